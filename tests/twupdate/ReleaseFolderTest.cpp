// make-release.sh's folder served over HTTP through the real fetch library: twupdate installs its package and the engine its rules.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "Ed25519.h"
#include "RuleCheck.h"
#include "RuleFetch.h"
#include "Sha256.h"
#include "net/LoopbackHttpServer.h"
#include "support/TestPaths.h"
#include "twupdate/Updater.h"

namespace tw::twupdate {
namespace {

namespace crypto = tarn::crypto;
namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Serves the files under `root` by the request's path; 404 for anything else.
std::string serveFolder(const fs::path& root, const std::string& head) {
    const size_t start = head.find(' ') + 1;
    const std::string path = head.substr(start, head.find(' ', start) - start);
    const fs::path file = root / path.substr(1);
    if (path.find("..") != std::string::npos || !fs::is_regular_file(file))
        return "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    const std::string body = readFile(file);
    return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

class ReleaseFolder : public testing::Test {
protected:
    void SetUp() override {
        std::random_device device;
        dir_ = fs::temp_directory_path() / ("twupdate-release-" + std::to_string(device()));
        fs::create_directories(dir_);
        for (auto& byte : seed_) byte = static_cast<uint8_t>(device());
        writeFile(dir_ / "secret", crypto::toHex(seed_) + "\n");
        package_ = std::string(70000, '\0');
        for (auto& c : package_) c = static_cast<char>(device());
        writeFile(dir_ / "Tarnwick-1.4.2.msi", package_);
        const std::string command = "TWSIGN='" + test::twsignPath() + "' bash '" + test::sourceDir() +
                                    "/scripts/make-release.sh' 1.4.2 '" + (dir_ / "secret").string() + "' '" +
                                    (dir_ / "Tarnwick-1.4.2.msi").string() + "' '" + (dir_ / "out").string() +
                                    "' >/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0);
        library_ = tarn::engine::FetchLibrary::load(test::fetchDir());
        ASSERT_TRUE(library_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    UpdateResult update(const std::string& base) {
        auto get = library_->getter("", "", "twupdate-test");
        Fetch fetch = [get](const std::string& url, int32_t, int32_t, char* buffer, int32_t size) {
            return get(url, buffer, size);
        };
        Updater updater({base + "/tarnwick/release", (dir_ / "download").string(), "1.4.1"},
                        {fetch, crypto::ed25519PublicKey(seed_), [this](const std::string& path) {
                             launched_.push_back(path);
                             return true;
                         }});
        return updater.run();
    }

    fs::path dir_;
    crypto::Ed25519Seed seed_{};
    std::string package_;
    std::unique_ptr<tarn::engine::FetchLibrary> library_;
    std::vector<std::string> launched_;
};

TEST_F(ReleaseFolder, ServedAsItIsItUpdatesTheAddinAndTheEngineRules) {
    EXPECT_EQ(readFile(dir_ / "out/tarnwick/release/version.txt"), "version=1.4.2\n");
    test::LoopbackHttpServer server([&](const std::string& head, const std::string&) { return serveFolder(dir_ / "out", head); });
    const std::string base = "http://" + server.hostAndPort();

    const UpdateResult result = update(base);
    ASSERT_EQ(result.outcome, UpdateOutcome::launched) << outcomeMessage(result);
    ASSERT_EQ(launched_.size(), 1u);
    EXPECT_EQ(readFile(launched_[0]), package_);

    // The same folder and key serve the engine's rule update.
    fs::create_directories(dir_ / "install");
    const auto rules = tarn::engine::checkForNewerRules(
        {base, (dir_ / "install").string(), (dir_ / "rules").string()}, crypto::ed25519PublicKey(seed_),
        library_->getter("", "", "twupdate-test"), [] { return false; });
    EXPECT_EQ(rules.installed.size(), 3u) << rules.status;
    EXPECT_EQ(readFile(dir_ / "rules/tw1.bin"), readFile(test::sourceDir() + "/resources/rules/tw1.bin"));
}

TEST(MakeRelease, RefusesASecretKeyInsideTheRepositoryAndABadVersion) {
    const std::string script = "bash '" + test::sourceDir() + "/scripts/make-release.sh' ";
    const std::string inRepo = test::sourceDir() + "/README.md";
    EXPECT_NE(std::system((script + "1.0.0 '" + inRepo + "' '" + inRepo + "' /tmp/none 2>/dev/null").c_str()), 0);
    EXPECT_NE(std::system((script + "1.0 /etc/hostname /etc/hostname /tmp/none 2>/dev/null").c_str()), 0);
}

}  // namespace
}  // namespace tw::twupdate
