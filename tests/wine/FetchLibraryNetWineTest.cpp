// The fetch library's Windows build beyond a plain GET: POST, redirects, proxies and the deadline, against
// loopback servers in this program. No server here speaks TLS: the https-to-http refusal is the redirect
// rule's own test on Linux, the same code on both sides.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "fetchapi/tarnfetch_api.h"
#include "wine/HttpTestServer.h"
#include "wine/ProgramFolder.h"
#include "win32/Win32LibraryLoader.h"

namespace tw::winetest {
namespace {

using Clock = std::chrono::steady_clock;

std::string pathOf(const std::string& head) {
    size_t start = head.find(' ') + 1;
    return head.substr(start, head.find(' ', start) - start);
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

/// A proxy's answer: the address asked for, by its Host header (Wine's WinHTTP sends a proxy only the path).
Reply proxied(const std::string& head) {
    size_t at = head.find("\r\nHost: ");
    const std::string host = at == std::string::npos ? "" : head.substr(at + 8, head.find("\r\n", at + 2) - at - 8);
    return {Reply::Answer, HttpTestServer::answer("200 OK", "proxied " + host), ""};
}

/// The library's two functions, with the answer as a text.
class Fetch {
public:
    Fetch() {
        void* library = loader_.load(ProgramFolder::beside("tarnfetch.dll"));
        get_ = reinterpret_cast<tw_sendGetRequest_fn>(loader_.resolve(library, "tw_sendGetRequest"));
        post_ = reinterpret_cast<tw_sendRequest_fn>(loader_.resolve(library, "tw_sendRequest"));
    }
    int32_t get(std::string url, int32_t connect = 5, int32_t total = 10) {
        char buffer[256] = {};
        int32_t result = get_(url.data(), connect, total, buffer, sizeof buffer - 1, client_.data(), proxy.data(),
                              credentials.data());
        answer = buffer;
        return result;
    }
    int32_t post(std::string body, std::string url) {
        char buffer[256] = {};
        int32_t result = post_(body.data(), url.data(), 5, 10, buffer, sizeof buffer - 1, client_.data(), proxy.data(),
                               credentials.data());
        answer = buffer;
        return result;
    }
    std::string proxy, credentials, answer;

private:
    win32::Win32LibraryLoader loader_;
    tw_sendGetRequest_fn get_ = nullptr;
    tw_sendRequest_fn post_ = nullptr;
    std::string client_ = "TWOutlook4.0.0";
};

Reply answer(const std::string& status, const std::string& body, const std::string& headers = "") {
    return {Reply::Answer, HttpTestServer::answer(status, body, headers), ""};
}

Reply site(const std::string& head, const std::string& body) {
    const std::string path = pathOf(head);
    if (path == "/hello") return answer("200 OK", "hello");
    if (path == "/echo") return answer("200 OK", head.substr(0, head.find(' ')) + " " + body);
    if (path == "/moved") return answer("302 Found", "moved", "Location: /hello\r\n");
    if (path == "/seeother") return answer("303 See Other", "", "Location: /echo\r\n");
    if (path == "/circle") return answer("302 Found", "", "Location: circle\r\n");
    if (path == "/away") return answer("302 Found", "login", "Location: http://localhost:1/hello\r\n");
    if (path == "/ftp") return answer("302 Found", "", "Location: ftp://127.0.0.1/x\r\n");
    return answer("404 Not Found", "no such page");
}

TEST(FetchLibraryNetWineTest, APostSendsItsBodyAndASeeOtherContinuesAsAGet) {
    Fetch fetch;
    HttpTestServer server(site);
    EXPECT_EQ(fetch.post("spam=1", server.base() + "/echo"), 0);
    EXPECT_EQ(fetch.answer, "POST spam=1");
    EXPECT_EQ(fetch.post("spam=1", server.base() + "/seeother"), 0);
    EXPECT_EQ(fetch.answer, "GET ");
}

TEST(FetchLibraryNetWineTest, RedirectsStayOnTheSameHostAndStopAtTheLimit) {
    Fetch fetch;
    HttpTestServer server(site);
    EXPECT_EQ(fetch.get(server.base() + "/moved"), 0);
    EXPECT_EQ(fetch.answer, "hello");

    EXPECT_EQ(fetch.get(server.base() + "/circle"), TF_TOO_MANY_REDIRECTS);
    EXPECT_EQ(server.heads().size(), 2u + 1u + TF_MAX_REDIRECTS);

    // A login page elsewhere, and an address of another kind, are never asked for.
    EXPECT_EQ(fetch.get(server.base() + "/away"), TF_REFUSED_HOST);
    EXPECT_EQ(fetch.answer, "");
    EXPECT_EQ(fetch.get(server.base() + "/ftp"), TF_REFUSED_HOST);
    EXPECT_EQ(server.heads().size(), 2u + 1u + TF_MAX_REDIRECTS + 2u);
}

TEST(FetchLibraryNetWineTest, TheAddinsProxyGetsTheCredentialsWhenItAsks) {
    Fetch fetch;
    HttpTestServer proxy([](const std::string& head, const std::string&) {
        if (!has(head, "Proxy-Authorization: Basic YW5uOnNlY3JldA=="))
            return answer("407 Proxy Authentication Required", "", "Proxy-Authenticate: Basic realm=\"office\"\r\n");
        return proxied(head);
    });
    fetch.proxy = "127.0.0.1:" + std::to_string(proxy.port());
    fetch.credentials = "ann:secret";
    // Nothing listens on the address itself: only the proxy can answer.
    const std::string target = "127.0.0.1:" + std::to_string(HttpTestServer::closedPort());
    EXPECT_EQ(fetch.get("http://" + target + "/page"), 0);
    EXPECT_EQ(fetch.answer, "proxied " + target);

    fetch.credentials = "ann:wrong";
    EXPECT_EQ(fetch.get("http://" + target + "/page"), 407);
}

/// Sets the user's Internet settings to a proxy, in both forms the system keeps them, for one test.
class UserInternetProxy {
public:
    explicit UserInternetProxy(const std::string& proxy) {
        RegCreateKeyExA(HKEY_CURRENT_USER, kSettings, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &settings_, nullptr);
        RegCreateKeyExA(HKEY_CURRENT_USER, kConnections, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &connections_, nullptr);
        DWORD on = 1;
        RegSetValueExA(settings_, "ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), sizeof on);
        RegSetValueExA(settings_, "ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(proxy.c_str()),
                       static_cast<DWORD>(proxy.size() + 1));
        // Version, change counter, flags (direct and a named proxy), then the proxy, the bypass list and
        // the configuration script's address, each as a length and its bytes.
        std::string blob;
        auto number = [&blob](DWORD n) { blob.append(reinterpret_cast<const char*>(&n), sizeof n); };
        number(0x46);
        number(1);
        number(0x3);
        number(static_cast<DWORD>(proxy.size()));
        blob += proxy;
        number(0);
        number(0);
        blob.append(32, '\0');
        RegSetValueExA(connections_, "DefaultConnectionSettings", 0, REG_BINARY,
                       reinterpret_cast<const BYTE*>(blob.data()), static_cast<DWORD>(blob.size()));
    }
    ~UserInternetProxy() {
        RegDeleteValueA(settings_, "ProxyEnable");
        RegDeleteValueA(settings_, "ProxyServer");
        RegDeleteValueA(connections_, "DefaultConnectionSettings");
        RegCloseKey(connections_);
        RegCloseKey(settings_);
    }
    UserInternetProxy(const UserInternetProxy&) = delete;
    UserInternetProxy& operator=(const UserInternetProxy&) = delete;

private:
    static constexpr const char* kSettings = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
    static constexpr const char* kConnections =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";
    HKEY settings_ = nullptr;
    HKEY connections_ = nullptr;
};

TEST(FetchLibraryNetWineTest, WithoutItsOwnProxyTheUsersInternetSettingsDecide) {
    HttpTestServer proxy([](const std::string& head, const std::string&) { return proxied(head); });
    const std::string target = "127.0.0.1:" + std::to_string(HttpTestServer::closedPort());
    Fetch fetch;
    {
        UserInternetProxy setting("127.0.0.1:" + std::to_string(proxy.port()));
        EXPECT_EQ(fetch.get("http://" + target + "/page"), 0);
        EXPECT_EQ(fetch.answer, "proxied " + target);

        HttpTestServer own([](const std::string&, const std::string&) { return answer("200 OK", "own proxy"); });
        fetch.proxy = "127.0.0.1:" + std::to_string(own.port());
        EXPECT_EQ(fetch.get("http://" + target + "/page"), 0);
        EXPECT_EQ(fetch.answer, "own proxy") << "the add-in's own proxy comes first";
        fetch.proxy.clear();
    }
    EXPECT_EQ(fetch.get("http://" + target + "/page"), TF_CANNOT_CONNECT) << "with no proxy anywhere the connection is direct";
    EXPECT_EQ(proxy.heads().size(), 1u);
}

TEST(FetchLibraryNetWineTest, ARefusedConnectionFailsAtOnce) {
    Fetch fetch;
    const auto started = Clock::now();
    EXPECT_EQ(fetch.get("http://127.0.0.1:" + std::to_string(HttpTestServer::closedPort()) + "/"), TF_CANNOT_CONNECT);
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(3));
}

/// Seconds a GET with a 1-second connection time-out and a 2-second total took, and its result.
std::pair<double, int32_t> timedGet(Fetch& fetch, const std::string& url) {
    const auto started = Clock::now();
    int32_t result = fetch.get(url, 1, 2);
    return {std::chrono::duration<double>(Clock::now() - started).count(), result};
}

TEST(FetchLibraryNetWineTest, ServersThatNeverFinishAreLeftAtTheDeadline) {
    Fetch fetch;
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 100\r\nConnection: close\r\n\r\n";
    HttpTestServer server([&](const std::string& request, const std::string&) {
        const std::string path = pathOf(request);
        if (path == "/silent") return Reply{Reply::Silent, "", ""};
        if (path == "/trickle") return Reply{Reply::Trickle, head + std::string(100, 'a'), ""};
        // The head at once, then the body a byte a second.
        return Reply{Reply::Trickle, std::string(100, 'a'), head};
    });
    for (const char* page : {"/silent", "/trickle", "/slow-body"}) {
        auto [seconds, result] = timedGet(fetch, server.base() + page);
        EXPECT_EQ(result, TF_TIMED_OUT) << page;
        EXPECT_GE(seconds, 1.9) << page;
        EXPECT_LT(seconds, 2.6) << page << ": the total time-out is a total";
    }
}

}  // namespace
}  // namespace tw::winetest
