// The update's whole flow with a key pair made here and a fake service: only a sound, signed, newer package is started.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>
#include <map>
#include <random>

#include "Ed25519.h"
#include "Sha256.h"
#include "fetchapi/tarnfetch_api.h"
#include "twupdate/ReleaseManifest.h"
#include "twupdate/Updater.h"

namespace tw::twupdate {
namespace crypto = tarn::crypto;
namespace {

namespace fs = std::filesystem;
const std::string kBase = "http://127.0.0.1:8080/tarnwick/release";

crypto::Ed25519Seed randomSeed() {
    std::random_device device;
    crypto::Ed25519Seed seed{};
    for (auto& byte : seed) byte = static_cast<uint8_t>(device());
    return seed;
}

// A service as a map from address to answer; a code instead of a body stands for a failed request.
struct FakeService {
    std::map<std::string, std::string> bodies;
    std::map<std::string, int32_t> codes;
    std::vector<std::string> asked;

    Fetch fetch() {
        return [this](const std::string& url, int32_t, int32_t, char* buffer, int32_t size) -> int32_t {
            asked.push_back(url);
            if (codes.count(url)) return codes[url];
            auto found = bodies.find(url);
            if (found == bodies.end()) return 404;
            const std::string& body = found->second;
            const size_t n = std::min(body.size(), static_cast<size_t>(size));
            std::copy_n(body.data(), n, buffer);
            if (n < static_cast<size_t>(size)) buffer[n] = '\0';
            return 0;
        };
    }
};

class TwupdateTest : public testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("twupdate-test-" + std::to_string(std::random_device()()));
        publish("1.2.0", package_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    void publish(const std::string& version, const std::string& bytes, std::string path = "1.2.0/Tarnwick-1.2.0.msi") {
        const ReleaseManifest manifest{version, static_cast<int64_t>(bytes.size()),
                                       crypto::toHex(crypto::sha256(bytes)), path};
        signAndServe(releaseManifestText(manifest));
        service_.bodies[kBase + "/" + path] = bytes;
    }
    void signAndServe(const std::string& manifest) {
        service_.bodies[kBase + "/manifest.txt"] = manifest;
        service_.bodies[kBase + "/manifest.txt.sig"] = crypto::toHex(crypto::ed25519Sign(seed_, manifest)) + "\n";
    }

    UpdateResult runUpdate(UpdateTimes times = {}) {
        Updater updater({kBase, folder_.string(), "1.0.0"},
                        {service_.fetch(), crypto::ed25519PublicKey(seed_), recordLaunch()}, times);
        return updater.run();
    }
    Launcher recordLaunch() {
        return [this](const std::string& path) {
            launched_.push_back(path);
            return true;
        };
    }
    void expectRefused(const UpdateResult& result, UpdateOutcome outcome, const std::string& words) {
        EXPECT_EQ(result.outcome, outcome);
        EXPECT_TRUE(isRefusal(result.outcome));
        EXPECT_NE(outcomeMessage(result).find(words), std::string::npos) << outcomeMessage(result);
        EXPECT_TRUE(launched_.empty());
        EXPECT_TRUE(!fs::exists(folder_) || fs::is_empty(folder_));
    }

    crypto::Ed25519Seed seed_ = randomSeed();
    std::string package_ = std::string("MSI package\0with a NUL inside", 29) + std::string(5000, 'x');
    FakeService service_;
    fs::path folder_;
    std::vector<std::string> launched_;
};

TEST_F(TwupdateTest, GoodUpdateSavesThePackageWholeAndStartsTheInstallerOnIt) {
    const UpdateResult result = runUpdate();
    ASSERT_EQ(result.outcome, UpdateOutcome::launched) << outcomeMessage(result);
    EXPECT_EQ(result.version, "1.2.0");
    ASSERT_EQ(launched_.size(), 1u);
    EXPECT_EQ(launched_[0], (folder_ / "Tarnwick-1.2.0.msi").string());
    std::ifstream in(launched_[0], std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), package_);
    EXPECT_FALSE(fs::exists(folder_ / "Tarnwick-1.2.0.msi.part"));
}

TEST_F(TwupdateTest, ReleaseNotNewerThanTheInstalledOneIsNotOfferedEvenWhenSigned) {
    publish("1.0.0", package_);
    EXPECT_EQ(runUpdate().outcome, UpdateOutcome::upToDate);
    publish("0.9.9", package_);
    const UpdateResult older = runUpdate();
    EXPECT_EQ(older.outcome, UpdateOutcome::upToDate);
    EXPECT_EQ(outcomeMessage(older), "");
    EXPECT_TRUE(launched_.empty());
}

TEST_F(TwupdateTest, WrongHashIsRefused) {
    service_.bodies[kBase + "/1.2.0/Tarnwick-1.2.0.msi"][100] ^= 1;
    expectRefused(runUpdate(), UpdateOutcome::wrongHash, "SHA-256");
}

TEST_F(TwupdateTest, TruncatedOrOverlongDownloadIsRefused) {
    std::string& served = service_.bodies[kBase + "/1.2.0/Tarnwick-1.2.0.msi"];
    served.resize(package_.size() - 1);
    expectRefused(runUpdate(), UpdateOutcome::wrongSize, "incomplete");
    served = package_ + "y";
    expectRefused(runUpdate(), UpdateOutcome::wrongSize, "incomplete");
}

TEST_F(TwupdateTest, SignatureOfAnotherKeyOrOverOtherBytesIsRefused) {
    const std::string manifest = service_.bodies[kBase + "/manifest.txt"];
    crypto::Ed25519Seed stranger = randomSeed();
    service_.bodies[kBase + "/manifest.txt.sig"] = crypto::toHex(crypto::ed25519Sign(stranger, manifest));
    expectRefused(runUpdate(), UpdateOutcome::badSignature, "not signed");

    signAndServe(manifest);
    service_.bodies[kBase + "/manifest.txt"] = manifest.substr(0, manifest.size() - 1) + "x\n";
    expectRefused(runUpdate(), UpdateOutcome::badSignature, "not signed");

    service_.codes[kBase + "/manifest.txt.sig"] = 404;
    expectRefused(runUpdate(), UpdateOutcome::badSignature, "not signed");
    EXPECT_EQ(service_.asked.back(), kBase + "/manifest.txt.sig");  // no package asked for
}

TEST_F(TwupdateTest, ManifestNamingAnotherHostOrARedirectThereIsRefused) {
    for (const char* path : {"http://elsewhere.example/Tarnwick.msi", "//elsewhere.example/Tarnwick.msi"}) {
        signAndServe("tarnwick 1.2.0 5029 " + crypto::toHex(crypto::sha256(package_)) + " " + std::string(path) + "\n");
        expectRefused(runUpdate(), UpdateOutcome::otherHost, "other than the Tarnwick service");
    }
    publish("1.2.0", package_);
    service_.codes[kBase + "/1.2.0/Tarnwick-1.2.0.msi"] = TF_REFUSED_HOST;
    expectRefused(runUpdate(), UpdateOutcome::otherHost, "other than the Tarnwick service");
}

TEST_F(TwupdateTest, StalledOrFailedRequestsAreRefused) {
    service_.codes[kBase + "/1.2.0/Tarnwick-1.2.0.msi"] = TF_TIMED_OUT;
    expectRefused(runUpdate(), UpdateOutcome::stalled, "stopped answering");
    service_.codes[kBase + "/1.2.0/Tarnwick-1.2.0.msi"] = 500;
    const UpdateResult failed = runUpdate();
    expectRefused(failed, UpdateOutcome::downloadFailed, "(500)");
    service_.codes[kBase + "/manifest.txt"] = TF_CANNOT_CONNECT;
    expectRefused(runUpdate(), UpdateOutcome::noManifest, "could not be reached");
    // A service that publishes no package is not worth a message at every start-up.
    service_.codes[kBase + "/manifest.txt"] = 404;
    const UpdateResult none = runUpdate();
    EXPECT_EQ(none.outcome, UpdateOutcome::noRelease);
    EXPECT_EQ(outcomeMessage(none), "");
}

TEST_F(TwupdateTest, MalformedSignedManifestIsRefused) {
    const std::string hash = crypto::toHex(crypto::sha256(package_));
    for (const std::string& text :
         {"tarnwick 1.2.0 5029 " + hash + " ../Tarnwick.msi\n", "tarnwick 1.2 5029 " + hash + " a.msi\n",
          "tarnwick 1.2.0 0 " + hash + " a.msi\n", "tarnwick 1.2.0 5029 " + hash + " a.msi",
          "tarnwick 1.2.0 5029 " + hash + " a.msi\nmore\n", "other 1.2.0 5029 " + hash + " a.msi\n"}) {
        signAndServe(text);
        expectRefused(runUpdate(), UpdateOutcome::badManifest, "not readable");
    }
}

TEST_F(TwupdateTest, LibraryThatNeverReturnsIsGivenUpOnAtItsDeadline) {
    // The request outlives the test: it may touch nothing of the test's own.
    auto release = std::make_shared<std::atomic<bool>>(false);
    auto hanging = [release](const std::string&, int32_t, int32_t, char*, int32_t) -> int32_t {
        while (!*release) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return TF_TIMED_OUT;
    };
    Updater updater({kBase, folder_.string(), "1.0.0"}, {hanging, crypto::ed25519PublicKey(seed_), recordLaunch()},
                    {1, 1, 1, 0});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(updater.run().outcome, UpdateOutcome::stalled);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    *release = true;
}

TEST_F(TwupdateTest, CancelWhileDownloadingStopsAtOnceAndLeavesNoFile) {
    auto release = std::make_shared<std::atomic<bool>>(false);
    Fetch served = service_.fetch();
    Updater* running = nullptr;
    auto slowPackage = [&, release](const std::string& url, int32_t c, int32_t t, char* buffer, int32_t size) -> int32_t {
        if (!url.ends_with(".msi")) return served(url, c, t, buffer, size);
        running->cancel();
        // Given up on by now: the request may touch nothing of the test's own.
        while (!*release) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return TF_TRANSFER_FAILED;
    };
    Updater updater({kBase, folder_.string(), "1.0.0"}, {slowPackage, crypto::ed25519PublicKey(seed_), recordLaunch()});
    running = &updater;
    EXPECT_EQ(updater.run().outcome, UpdateOutcome::cancelled);
    *release = true;
    EXPECT_TRUE(launched_.empty());
    EXPECT_TRUE(!fs::exists(folder_) || fs::is_empty(folder_));
}

}  // namespace
}  // namespace tw::twupdate
