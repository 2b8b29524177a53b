// The fetch library's Windows build over WinHTTP: a GET answered by a tiny server on 127.0.0.1 in a thread.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "engineapi/EngineLibrary.h"
#include "fetchapi/tarnfetch_api.h"
#include "wine/ProgramFolder.h"
#include "win32/Win32LibraryLoader.h"

namespace tw::winetest {
namespace {

constexpr bool kThirtyTwoBit = sizeof(void*) == 4;

/// Answers the requests of `answers.size()` connections, one answer each, then stops.
class LoopbackServer {
public:
    explicit LoopbackServer(std::vector<std::string> answers) : answers_(std::move(answers)) {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(listener_, 4);
        int length = sizeof address;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~LoopbackServer() {
        closesocket(listener_);
        thread_.join();
        WSACleanup();
    }
    int port() const { return port_; }
    const std::string& lastRequest() const { return lastRequest_; }

private:
    void serve() {
        for (const std::string& answer : answers_) {
            SOCKET client = accept(listener_, nullptr, nullptr);
            if (client == INVALID_SOCKET) return;
            std::string request;
            char chunk[1024];
            while (request.find("\r\n\r\n") == std::string::npos) {
                int got = recv(client, chunk, sizeof chunk, 0);
                if (got <= 0) break;
                request.append(chunk, static_cast<size_t>(got));
            }
            lastRequest_ = request;
            send(client, answer.data(), static_cast<int>(answer.size()), 0);
            shutdown(client, SD_BOTH);
            closesocket(client);
        }
    }

    std::vector<std::string> answers_;
    SOCKET listener_ = INVALID_SOCKET;
    int port_ = 0;
    std::thread thread_;
    std::string lastRequest_;
};

std::string answerWith(const std::string& status, const std::string& body, const std::string& headers = "") {
    return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" + headers +
           "Connection: close\r\n\r\n" + body;
}

tw_sendGetRequest_fn boundGet(win32::Win32LibraryLoader& loader) {
    void* library = loader.load(ProgramFolder::beside("tarnfetch.dll"));
    return reinterpret_cast<tw_sendGetRequest_fn>(loader.resolve(library, "tw_sendGetRequest"));
}

int32_t get(tw_sendGetRequest_fn fn, const std::string& address, char* buffer, int32_t size) {
    std::string url = address, client = "TWOutlook4.0.0", none;
    return fn(url.data(), 5, 10, buffer, size, client.data(), none.data(), none.data());
}

TEST(FetchLibraryWineTest, AGetBringsTheBodyIntoTheBufferWithTheClientName) {
    win32::Win32LibraryLoader loader;
    auto fn = boundGet(loader);
    LoopbackServer server({answerWith("200 OK", "version=4.0.1\r\n")});
    char buffer[100];
    std::fill(std::begin(buffer), std::end(buffer), 'x');
    const std::string url = "http://127.0.0.1:" + std::to_string(server.port()) + "/tarnwick/version.txt";
    EXPECT_EQ(get(fn, url, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "version=4.0.1\r\n");
    EXPECT_NE(server.lastRequest().find("GET /tarnwick/version.txt"), std::string::npos) << server.lastRequest();
    EXPECT_NE(server.lastRequest().find("User-Agent: TWOutlook4.0.0"), std::string::npos) << server.lastRequest();
}

TEST(FetchLibraryWineTest, AMissingPageIsAFailureAndALongBodyStopsAtTheBuffersEnd) {
    win32::Win32LibraryLoader loader;
    auto fn = boundGet(loader);
    LoopbackServer server({answerWith("404 Not Found", "no such page"), answerWith("200 OK", std::string(500, 'a'))});
    const std::string base = "http://127.0.0.1:" + std::to_string(server.port());
    char buffer[16] = {};
    EXPECT_EQ(get(fn, base + "/missing", buffer, sizeof buffer), 404);
    char small[8];
    std::fill(std::begin(small), std::end(small), 'x');
    EXPECT_EQ(get(fn, base + "/long", small, 4), 0);
    EXPECT_EQ(std::string(small, 8), "aaaaxxxx") << "nothing is written past the size given";
}

TEST(FetchLibraryWineTest, StandardCallNamesCarryNoDecoration) {
    if (!kThirtyTwoBit) GTEST_SKIP() << "64-bit Windows has one calling convention and never decorates names";
    HMODULE library = LoadLibraryW(L"tarnfetch.dll");
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(GetProcAddress(library, "tw_sendGetRequest@32"), nullptr);
    EXPECT_NE(GetProcAddress(library, "tw_sendGetRequest"), nullptr);
    EXPECT_NE(GetProcAddress(library, "tw_sendRequest"), nullptr);
}

// The engine's rule updater finds the fetch library in the engine's own folder and, on its own thread,
// refuses a release the built-in key did not sign.
TEST(FetchLibraryWineTest, TheEngineLooksForRuleUpdatesThroughTheFetchLibraryBesideIt) {
    ProgramFolder folder("tarnfetch.dll");
    LoopbackServer server({answerWith("200 OK", "tw1 2030.01.01.00.00.00 1 " + std::string(64, 'a') + " x/tw1.bin\n"),
                           answerWith("200 OK", std::string(128, '0') + "\n")});
    win32::Win32LibraryLoader loader;
    engineapi::EngineLibrary engines(loader, ProgramFolder::beside("tarnengine.dll"));
    const int32_t engine = engines.TW_constructor("Tarnwick", folder.path());
    ASSERT_GT(engine, 0);
    engines.TW_setOption(engine, "rule_update_url", "http://127.0.0.1:" + std::to_string(server.port()) + "/tw");
    engines.TW_setOption(engine, "ruleupdate", "86400");
    EXPECT_EQ(engines.TW_initialize(engine), 0);
    std::string status;
    for (int i = 0; i < 200 && status.empty(); ++i) {
        ::Sleep(50);
        status = engines.TW_getOption(engine, "rule_update_status");
    }
    EXPECT_EQ(status, "failed signature");
    EXPECT_NE(server.lastRequest().find("GET /tw/rules/manifest.txt.sig"), std::string::npos) << server.lastRequest();
    EXPECT_EQ(engines.TW_destructor(engine), 0);
    EXPECT_TRUE(folder.files.listFiles(folder.at("rules")).size() == 1) << "only the time of the last look";
}

}  // namespace
}  // namespace tw::winetest
