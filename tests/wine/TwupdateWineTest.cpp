// twupdate's flow under Windows through the real fetch library against a loopback release service.
// The program holds the real release key and nothing may replace it in the field, so the flow runs
// here in-process with a key pair made by the test and a launcher that records instead of msiexec.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "Ed25519.h"
#include "Sha256.h"
#include "twupdate/ReleaseManifest.h"
#include "twupdate/Updater.h"
#include "wine/ProgramFolder.h"
#include "win32/Win32LibraryLoader.h"
#include "win32/Win32Registry.h"
#include "win32/programs/TwupdateSeams.h"

namespace tw::winetest {
namespace {

namespace crypto = tarn::crypto;

/// Answers every connection from a table of paths; a path marked "stall" is accepted and never
/// answered until the server stops.
class ReleaseService {
public:
    explicit ReleaseService(const char* address = "127.0.0.1") {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in where{};
        where.sin_family = AF_INET;
        where.sin_addr.s_addr = inet_addr(address);
        bind(listener_, reinterpret_cast<sockaddr*>(&where), sizeof where);
        listen(listener_, 8);
        int length = sizeof where;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&where), &length);
        host_ = std::string(address) + ":" + std::to_string(ntohs(where.sin_port));
        thread_ = std::thread([this] { serve(); });
    }
    ~ReleaseService() {
        closesocket(listener_);
        thread_.join();
        std::lock_guard lock(mutex_);
        for (SOCKET held : stalled_) closesocket(held);
        WSACleanup();
    }
    const std::string& host() const { return host_; }
    void put(const std::string& path, std::string answer) {
        std::lock_guard lock(mutex_);
        answers_[path] = std::move(answer);
    }
    std::vector<std::string> asked() {
        std::lock_guard lock(mutex_);
        return asked_;
    }
    void putBody(const std::string& path, const std::string& body) {
        put(path, "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
    }

private:
    void serve() {
        for (;;) {
            SOCKET client = accept(listener_, nullptr, nullptr);
            if (client == INVALID_SOCKET) return;
            std::string request;
            char chunk[2048];
            while (request.find("\r\n\r\n") == std::string::npos) {
                const int got = recv(client, chunk, sizeof chunk, 0);
                if (got <= 0) break;
                request.append(chunk, static_cast<size_t>(got));
            }
            const size_t start = request.find(' ') + 1;
            const std::string path = request.substr(start, request.find(' ', start) - start);
            std::string answer;
            {
                std::lock_guard lock(mutex_);
                asked_.push_back(path);
                auto found = answers_.find(path);
                answer = found == answers_.end()
                             ? "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n"
                             : found->second;
                if (answer == "stall") {
                    stalled_.push_back(client);
                    continue;
                }
            }
            send(client, answer.data(), static_cast<int>(answer.size()), 0);
            shutdown(client, SD_BOTH);
            closesocket(client);
        }
    }

    SOCKET listener_ = INVALID_SOCKET;
    std::string host_;
    std::thread thread_;
    std::mutex mutex_;
    std::map<std::string, std::string> answers_;
    std::vector<SOCKET> stalled_;
    std::vector<std::string> asked_;
};

const std::string kReleaseFolder = "/tarnwick/release";
const std::string kPackagePath = "1.4.2/Tarnwick-1.4.2.msi";

class TwupdateWineTest : public testing::Test {
protected:
    void SetUp() override {
        std::random_device device;
        for (auto& byte : seed_) byte = static_cast<uint8_t>(device());
        package_.resize(300000);
        for (auto& c : package_) c = static_cast<char>(device());
        // The folder make-release.sh writes: the release file, the signed manifest and the package.
        service_.putBody(kReleaseFolder + "/version.txt", "version=1.4.2\n");
        publish(seed_, package_);
        service_.putBody(kReleaseFolder + "/" + kPackagePath, package_);
        download_ = ProgramFolder::beside("runs\\twupdate-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(win32::toWide(download_));
    }

    void publish(const crypto::Ed25519Seed& signer, const std::string& package) {
        const twupdate::ReleaseManifest manifest{"1.4.2", static_cast<int64_t>(package.size()),
                                                 crypto::toHex(crypto::sha256(package)), kPackagePath};
        const std::string text = twupdate::releaseManifestText(manifest);
        service_.putBody(kReleaseFolder + "/manifest.txt", text);
        service_.putBody(kReleaseFolder + "/manifest.txt.sig", crypto::toHex(crypto::ed25519Sign(signer, text)) + "\n");
    }

    twupdate::UpdateResult update() {
        static win32::Win32LibraryLoader loader;
        static net::FetchLibrary library(loader, ProgramFolder::beside("tarnfetch.dll"));
        twupdate::UpdateSeams seams;
        seams.fetch = win32::twupdateFetch(library, "", "");
        seams.key = crypto::ed25519PublicKey(seed_);
        seams.launch = [this](const std::string& path) {
            launched_.push_back(path);
            return true;
        };
        twupdate::Updater updater({"http://" + service_.host() + kReleaseFolder, download_, "1.4.1"}, seams,
                                  {2, 5, 5, 2});
        return updater.run();
    }

    bool downloadFolderEmpty() const {
        const std::filesystem::path folder(win32::toWide(download_));
        return !std::filesystem::exists(folder) || std::filesystem::is_empty(folder);
    }

    crypto::Ed25519Seed seed_{};
    std::string package_;
    ReleaseService service_;
    std::string download_;
    std::vector<std::string> launched_;
};

TEST_F(TwupdateWineTest, GoodUpdateStartsTheInstallerOnTheCheckedPackage) {
    const auto result = update();
    ASSERT_EQ(result.outcome, twupdate::UpdateOutcome::launched) << twupdate::outcomeMessage(result);
    ASSERT_EQ(launched_.size(), 1u);
    EXPECT_EQ(launched_[0], download_ + "\\Tarnwick-1.4.2.msi");
    win32::Win32FileSystem files;
    EXPECT_EQ(files.readAll(launched_[0]), package_);
}

TEST_F(TwupdateWineTest, WrongHashBadSignatureAndTruncatedDownloadAreRefused) {
    std::string altered = package_;
    altered[1000] ^= 0x20;
    service_.putBody(kReleaseFolder + "/" + kPackagePath, altered);
    auto result = update();
    EXPECT_EQ(result.outcome, twupdate::UpdateOutcome::wrongHash);
    EXPECT_NE(twupdate::outcomeMessage(result).find("SHA-256"), std::string::npos);

    service_.putBody(kReleaseFolder + "/" + kPackagePath, package_.substr(0, package_.size() - 4096));
    result = update();
    EXPECT_EQ(result.outcome, twupdate::UpdateOutcome::wrongSize);
    EXPECT_NE(twupdate::outcomeMessage(result).find("incomplete"), std::string::npos);

    service_.putBody(kReleaseFolder + "/" + kPackagePath, package_);
    crypto::Ed25519Seed stranger = seed_;
    stranger[0] ^= 1;
    publish(stranger, package_);
    result = update();
    EXPECT_EQ(result.outcome, twupdate::UpdateOutcome::badSignature);
    EXPECT_NE(twupdate::outcomeMessage(result).find("not signed"), std::string::npos);

    EXPECT_TRUE(launched_.empty());
    EXPECT_TRUE(downloadFolderEmpty());
}

// Another host serving a package of its own: whether the fetch library refuses the redirect (a
// refused host) or follows it (then the hash refuses that host's package), nothing starts.
TEST_F(TwupdateWineTest, RedirectToAnotherHostIsRefused) {
    ReleaseService elsewhere("127.0.0.2");
    std::string foreign = package_;
    foreign[0] ^= 1;
    elsewhere.putBody(kReleaseFolder + "/" + kPackagePath, foreign);
    service_.put(kReleaseFolder + "/" + kPackagePath, "HTTP/1.1 302 Found\r\nLocation: http://" + elsewhere.host() +
                                                          kReleaseFolder + "/" + kPackagePath +
                                                          "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    const auto result = update();
    EXPECT_TRUE(twupdate::isRefusal(result.outcome)) << static_cast<int>(result.outcome);
    EXPECT_FALSE(twupdate::outcomeMessage(result).empty());
    EXPECT_TRUE(launched_.empty());
    EXPECT_TRUE(downloadFolderEmpty());
}

TEST_F(TwupdateWineTest, ServiceThatStallsIsGivenUpOnAtTheDeadline) {
    service_.put(kReleaseFolder + "/" + kPackagePath, "stall");
    const auto start = GetTickCount();
    const auto result = update();
    EXPECT_EQ(result.outcome, twupdate::UpdateOutcome::stalled);
    EXPECT_NE(twupdate::outcomeMessage(result).find("stopped answering"), std::string::npos);
    EXPECT_LT(GetTickCount() - start, 20000u);
    EXPECT_TRUE(launched_.empty());
    EXPECT_TRUE(downloadFolderEmpty());
}

// The program itself, pointed at the loopback service by "serviceHost": it holds the real release key,
// so the test's signature is refused, nothing is downloaded and nothing runs; a service that publishes
// no manifest is no fault.
TEST_F(TwupdateWineTest, TheProgramRefusesAReleaseTheReleaseKeyDidNotSign) {
    ProgramFolder folder("twupdate.exe");
    folder.files.copyFile(ProgramFolder::beside("tarnfetch.dll"), folder.at("tarnfetch.dll"));
    win32::Win32Registry registry;
    const std::string key = "Software\\Orvenna";
    registry.createKey(platform::Hive::CurrentUser, key);
    const auto before = registry.queryValue(platform::Hive::CurrentUser, key, "serviceHost");
    registry.setValue(platform::Hive::CurrentUser, key, "serviceHost", platform::RegValue::ofString(service_.host()));

    EXPECT_EQ(folder.run("1"), 1);
    const auto asked = service_.asked();
    EXPECT_EQ(std::count(asked.begin(), asked.end(), kReleaseFolder + "/manifest.txt"), 1);
    EXPECT_EQ(std::count(asked.begin(), asked.end(), kReleaseFolder + "/" + kPackagePath), 0);
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(temp) / L"Tarnwick update" / L"Tarnwick-1.4.2.msi"));

    service_.put(kReleaseFolder + "/manifest.txt", "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(folder.run("1"), 0);
    EXPECT_EQ(folder.run(""), 2) << "started without the release check's argument it does nothing";

    if (before) registry.setValue(platform::Hive::CurrentUser, key, "serviceHost", *before);
    else registry.deleteValue(platform::Hive::CurrentUser, key, "serviceHost");
}

}  // namespace
}  // namespace tw::winetest
