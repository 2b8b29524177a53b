// Rule updates against a scripted service: a sound release is installed and announced, every fault
// leaves the rules in force untouched, and the service is asked no more often than "ruleupdate" says.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <map>
#include <thread>

#include "Engine.h"
#include "FileIo.h"
#include "RuleCheck.h"
#include "RuleFetch.h"
#include "RuleHeader.h"
#include "RuleManifest.h"
#include "RuleUpdate.h"
#include "SharedLibrary.h"
#include "Sha256.h"
#include "support/TempFolder.h"
#include "support/TestPaths.h"

using namespace tarn::engine;
namespace fs = std::filesystem;
using tw::test::readFile;
using tw::test::TempFolder;

namespace {

constexpr const char* kShipped = "2026.11.01.00.00.00";
constexpr const char* kInstalled = "2026.12.01.00.00.00";  // an earlier update, in the rules folder
constexpr const char* kRelease = "2026.12.10.07.00.00";
constexpr const char* kBase = "http://rules.test/tw";

tarn::crypto::Ed25519Seed seedOf(uint8_t n) {
    tarn::crypto::Ed25519Seed seed;
    for (size_t i = 0; i < seed.size(); ++i) seed[i] = uint8_t(n + i * 3);
    return seed;
}

std::string ruleFile(const std::string& name, const std::string& stamp) {
    return writeRuleHeader(name, stamp) + "rules of " + name + std::string("\0\x01\xff end", 7);
}

// The release service as the fetch library shows it: bodies by address, a result code per address.
struct Service {
    std::map<std::string, std::string> bodies;
    std::map<std::string, int32_t> codes;
    std::vector<std::string> asked;

    int32_t fetch(const std::string& url, char* buffer, int32_t size) {
        asked.push_back(url);
        if (codes.count(url)) return codes[url];
        auto it = bodies.find(url);
        if (it == bodies.end()) return 404;
        const size_t fits = std::min(it->second.size(), size_t(size));
        std::memcpy(buffer, it->second.data(), fits);
        if (fits < size_t(size)) buffer[fits] = '\0';
        return 0;
    }

    // Publishes the files under their stamp's folder with a manifest signed by `signer`.
    void publish(const std::vector<std::pair<std::string, std::string>>& files, uint8_t signer = 1) {
        std::string manifest;
        for (const auto& [name, bytes] : files) {
            const auto header = readRuleHeader(bytes);
            const std::string stamp = header ? header->stamp : kRelease;
            const std::string path = stamp + "/" + name + ".bin";
            manifest += manifestLine({name, stamp, int64_t(bytes.size()), tarn::crypto::toHex(tarn::crypto::sha256(bytes)), path});
            bodies[std::string(kBase) + "/rules/" + path] = bytes;
        }
        setManifest(manifest, signer);
    }
    void setManifest(const std::string& manifest, uint8_t signer = 1) {
        bodies[std::string(kBase) + "/rules/manifest.txt"] = manifest;
        bodies[std::string(kBase) + "/rules/manifest.txt.sig"] =
            tarn::crypto::toHex(tarn::crypto::ed25519Sign(seedOf(signer), manifest)) + "\n";
    }
    std::string& file(const std::string& name, const std::string& stamp = kRelease) {
        return bodies[std::string(kBase) + "/rules/" + stamp + "/" + name + ".bin"];
    }
};

class RuleUpdate : public ::testing::Test {
protected:
    RuleUpdate() {
        fs::create_directories(install() );
        fs::create_directories(rules());
        for (const char* name : {"tw1", "tw2", "tw5"}) write(install() / (std::string(name) + ".bin"), ruleFile(name, kShipped));
        write(rules() / "tw1.bin", ruleFile("tw1", kInstalled));
    }

    fs::path install() const { return folder_.path() / "install"; }
    fs::path data() const { return folder_.path() / "data"; }
    fs::path rules() const { return data() / "rules"; }
    static void write(const fs::path& path, const std::string& bytes) { ASSERT_TRUE(replaceFileAtomically(path.string(), bytes)); }

    RuleUpdateSettings settings(int64_t interval = 86400) const {
        RuleUpdateSettings s;
        s.intervalSeconds = interval;
        s.baseUrl = kBase;
        s.installFolder = install().string();
        s.dataFolder = data().string();
        return s;
    }

    std::unique_ptr<RuleUpdater> updater(int64_t interval = 86400) {
        RuleUpdater::Seams seams;
        seams.connect = [this](const RuleUpdateSettings&) {
            return [this](const std::string& url, char* buffer, int32_t size) { return service_.fetch(url, buffer, size); };
        };
        seams.key = tarn::crypto::ed25519PublicKey(seedOf(1));
        seams.now = [this] { return now_.load(); };
        seams.backgroundThread = false;
        auto u = std::make_unique<RuleUpdater>(seams);
        u->setReloadHook([this] { ++reloads_; });
        u->configure(settings(interval), true);
        return u;
    }

    std::map<std::string, std::string> rulesFolderFiles() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(rules()))
            if (entry.path().filename() != "lastcheck.txt") files[entry.path().filename().string()] = readFile(entry.path());
        return files;
    }

    TempFolder folder_;
    Service service_;
    std::atomic<int64_t> now_{1'800'000'000};
    int reloads_ = 0;
};

}  // namespace

TEST_F(RuleUpdate, InstallsOnlyTheNewerFilesAndCallsTheReloadHook) {
    const std::string tw1 = ruleFile("tw1", kRelease), tw2 = ruleFile("tw2", kRelease);
    service_.publish({{"tw1", tw1}, {"tw2", tw2}, {"tw5", ruleFile("tw5", kShipped)}, {"tw9", ruleFile("tw1", kRelease)}});
    ASSERT_TRUE(updater()->checkIfDue());

    EXPECT_EQ(reloads_, 1);
    const std::map<std::string, std::string> expected = {{"tw1.bin", tw1}, {"tw2.bin", tw2}};
    EXPECT_EQ(rulesFolderFiles(), expected) << "no temporary file is left, tw5 was current and tw9 is unknown";
    for (const std::string& url : service_.asked) EXPECT_EQ(url.find("tw5.bin"), std::string::npos) << url;
}

TEST_F(RuleUpdate, ReportsCurrentWithoutFetchingAnyFileWhenNothingIsNewer) {
    service_.publish({{"tw1", ruleFile("tw1", kInstalled)}, {"tw2", ruleFile("tw2", kShipped)}});
    auto u = updater();
    ASSERT_TRUE(u->checkIfDue());
    EXPECT_EQ(u->status(), "current");
    EXPECT_EQ(service_.asked.size(), 2u) << "the manifest and its signature only";
    EXPECT_EQ(reloads_, 0);
}

TEST_F(RuleUpdate, AnyFaultLeavesTheRulesInForceAndIsReported) {
    struct Fault {
        const char* what;
        std::function<void(Service&)> spoil;
        const char* status;
    };
    const std::string tw1 = ruleFile("tw1", kRelease), tw2 = ruleFile("tw2", kRelease);
    const Fault faults[] = {
        {"signed with another key", [&](Service& s) { s.publish({{"tw1", tw1}, {"tw2", tw2}}, 2); }, "failed signature"},
        {"manifest changed after signing",
         [&](Service& s) {
             s.publish({{"tw1", tw1}, {"tw2", tw2}});
             s.bodies[std::string(kBase) + "/rules/manifest.txt"] += manifestLine({"tw5", kRelease, 1, std::string(64, 'a'), "x"});
         },
         "failed signature"},
        {"no signature", [&](Service& s) { s.publish({{"tw1", tw1}}), s.codes[std::string(kBase) + "/rules/manifest.txt.sig"] = 404; },
         "failed fetch manifest.txt.sig 404"},
        {"second file truncated", [&](Service& s) { s.publish({{"tw1", tw1}, {"tw2", tw2}}), s.file("tw2").resize(tw2.size() - 3); },
         "failed size tw2"},
        {"second file longer", [&](Service& s) { s.publish({{"tw1", tw1}, {"tw2", tw2}}), s.file("tw2") += "more"; },
         "failed size tw2"},
        {"second file changed", [&](Service& s) { s.publish({{"tw1", tw1}, {"tw2", tw2}}), s.file("tw2").back() ^= 1; },
         "failed hash tw2"},
        {"file stalls", [&](Service& s) { s.publish({{"tw1", tw1}, {"tw2", tw2}}), s.codes[std::string(kBase) + "/rules/" + kRelease + "/tw2.bin"] = 4; },
         "failed timeout 2026.12.10.07.00.00/tw2.bin"},
        {"header names another file", [&](Service& s) { s.publish({{"tw1", tw1}, {"tw2", ruleFile("tw5", kRelease)}}); },
         "failed header tw2"},
        {"header has another stamp",
         [&](Service& s) {
             const std::string other = ruleFile("tw2", "2026.12.11.00.00.00");
             s.setManifest(manifestLine({"tw2", kRelease, int64_t(other.size()), tarn::crypto::toHex(tarn::crypto::sha256(other)), "x/tw2.bin"}));
             s.bodies[std::string(kBase) + "/rules/x/tw2.bin"] = other;
         },
         "failed header tw2"},
        {"an older release, replayed", [&](Service& s) { s.publish({{"tw1", ruleFile("tw1", "2026.11.20.00.00.00")}, {"tw2", tw2}}); },
         "failed older tw1 2026.11.20.00.00.00"},
        {"a path out of the rules folder",
         [&](Service& s) { s.setManifest(manifestLine({"tw2", kRelease, int64_t(tw2.size()), tarn::crypto::toHex(tarn::crypto::sha256(tw2)), "../tw2.bin"})); },
         "failed manifest malformed line 1"},
    };
    const auto before = rulesFolderFiles();
    for (const Fault& fault : faults) {
        service_ = Service{};
        fault.spoil(service_);
        now_ += 86400;
        auto u = updater();
        ASSERT_TRUE(u->checkIfDue()) << fault.what;
        EXPECT_EQ(u->status(), fault.status) << fault.what;
        EXPECT_EQ(rulesFolderFiles(), before) << fault.what;
        EXPECT_EQ(reloads_, 0) << fault.what;
    }
}

TEST_F(RuleUpdate, AsksTheServiceAtMostOnceAnIntervalAcrossRestarts) {
    service_.publish({{"tw1", ruleFile("tw1", kInstalled)}});
    EXPECT_TRUE(updater()->checkIfDue());
    now_ += 3600;
    EXPECT_FALSE(updater()->checkIfDue()) << "a restart an hour later does not ask again";
    EXPECT_TRUE(updater(3000)->checkIfDue()) << "a shorter interval that has passed does";
    now_ += 86399;
    EXPECT_FALSE(updater()->checkIfDue());
    now_ += 1;
    EXPECT_TRUE(updater()->checkIfDue());
    now_ -= 100000;
    EXPECT_TRUE(updater()->checkIfDue()) << "a clock put back does not hold checks off";
    now_ += 10 * 86400;
    EXPECT_FALSE(updater(0)->checkIfDue()) << "0 turns checks off";
    RuleUpdater notInitialized{RuleUpdater::Seams{}};
    notInitialized.configure(settings(), false);
    EXPECT_FALSE(notInitialized.checkIfDue()) << "nothing is asked before the engine is initialized";
    EXPECT_EQ(service_.asked.size(), 8u);

    // Where the time of the last look cannot be written, the updater still keeps the interval itself.
    write(folder_.path() / "plain-file", "not a folder");
    RuleUpdater::Seams seams;
    seams.connect = [this](const RuleUpdateSettings&) {
        return [this](const std::string& url, char* buffer, int32_t size) { return service_.fetch(url, buffer, size); };
    };
    seams.now = [this] { return now_.load(); };
    seams.backgroundThread = false;
    RuleUpdater unwritable(seams);
    RuleUpdateSettings s = settings();
    s.dataFolder = (folder_.path() / "plain-file").string();
    unwritable.configure(s, true);
    EXPECT_TRUE(unwritable.checkIfDue());
    now_ += 60;
    EXPECT_FALSE(unwritable.checkIfDue());
}

TEST_F(RuleUpdate, ClosingWaitsForTheRequestInFlightOnly) {
    std::atomic<int> requests{0};
    RuleUpdater::Seams seams;
    seams.connect = [&](const RuleUpdateSettings&) {
        return [&](const std::string&, char*, int32_t) {
            ++requests;
            std::this_thread::sleep_for(std::chrono::milliseconds(300));  // a stalling service, up to its time-out
            return kFetchTimedOut;
        };
    };
    seams.now = [this] { return now_.load(); };
    auto u = std::make_unique<RuleUpdater>(seams);
    u->configure(settings(), true);
    for (int i = 0; i < 200 && requests == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(requests, 1) << "initializing starts a check on the updater's thread";
    const auto start = std::chrono::steady_clock::now();
    u.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
    EXPECT_EQ(requests, 1);
}

TEST(RuleManifest, RefusesLinesThatAreNotExactlyFiveSoundFields) {
    const std::string hash(64, 'a');
    const std::string good = "tw1 2026.12.10.07.00.00 10 " + hash + " 2026.12.10.07.00.00/tw1.bin\n";
    ASSERT_TRUE(parseManifest(good));
    for (const std::string& bad :
         {std::string(), good.substr(0, good.size() - 1), good + good, "tw1 2026.12.10.07.00.00 10 " + hash + "\n",
          "tw1 2026.12.10.07.00.00 -10 " + hash + " a\n", "tw1 2026.12.10.07.00.00 10 " + std::string(64, 'A') + " a\n",
          "tw1 2026.12.10.07.00.00 99999999999 " + hash + " a\n", "tw1 2026.12.10.07.00.00 10 " + hash + " /etc/x\n",
          "tw1 2026.12.10.07.00.00 10 " + hash + " a//b\n", "tw1 2026.12.10.07.00.00 10 " + hash + " a/../b\n",
          "tw1 2026.12.10.07.00.00 10 " + hash + " a b\n", "tw1  2026.12.10.07.00.00 10 " + hash + " a\n"})
        EXPECT_FALSE(parseManifest(bad)) << bad;
}

TEST(RuleFetchLibrary, AsksThroughTheProxyWithBoundedTimeOuts) {
    auto library = FetchLibrary::load(tw::test::stubLibraryDir());
    ASSERT_TRUE(library);
    void* stub = openSharedLibrary(joinPath(tw::test::stubLibraryDir(), kFetchLibraryFileName));
    auto reset = reinterpret_cast<void (*)()>(sharedLibraryFunction(stub, "TFSTUB_reset"));
    auto setBody = reinterpret_cast<void (*)(const char*)>(sharedLibraryFunction(stub, "TFSTUB_setBody"));
    auto call = reinterpret_cast<void (*)(int32_t, char*, int32_t)>(sharedLibraryFunction(stub, "TFSTUB_call"));
    ASSERT_TRUE(reset && setBody && call);
    reset();
    setBody("manifest");
    char buffer[16] = {};
    EXPECT_EQ(library->getter("proxy.example:3128", "ann:pw", "client")("http://x/rules/manifest.txt", buffer, 16), 0);
    EXPECT_STREQ(buffer, "manifest");
    char recorded[512];
    call(0, recorded, sizeof recorded);
    EXPECT_STREQ(recorded, "GET http://x/rules/manifest.txt connect=10 total=60 buffer=16 client=client "
                           "proxy=proxy.example:3128 credentials=ann:pw");
    closeSharedLibrary(stub);
    EXPECT_FALSE(FetchLibrary::load(tw::test::sourceDir())) << "no library there";
}

TEST(RuleUpdateOptions, TheEngineReportsAMissingFetchLibraryAndRefusesToSetTheStatus) {
    TempFolder folder;
    Engine engine("test", folder.path().string());
    std::string status;
    ASSERT_EQ(engine.getOption(kRuleUpdateStatusOption, status), kOk);
    EXPECT_EQ(status, "");
    EXPECT_EQ(engine.setOption(kRuleUpdateStatusOption, "current"), kBadArgument);
    engine.setOption("ruleupdate", "86400");
    engine.initialize();
    for (int i = 0; i < 400 && status.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        engine.getOption(kRuleUpdateStatusOption, status);
    }
    EXPECT_EQ(status, "failed library");
    EXPECT_TRUE(fs::exists(folder.path() / "rules" / "lastcheck.txt"));
}

TEST(RuleUpdateOptions, SkippingUpdatesTurnsTheChecksOff) {
    EngineOptions options;
    options.set("ruleupdate", "86400");
    EXPECT_EQ(ruleUpdateSettings(options, "in", "data", "test").intervalSeconds, 86400);
    options.set("network_readonly", "yes");
    EXPECT_EQ(ruleUpdateSettings(options, "in", "data", "test").intervalSeconds, 0);
}
