// The fetch library's transfers through CurlRequest, against a server on 127.0.0.1 that the test runs.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "core/Error.h"
#include "fetchapi/tarnfetch_api.h"
#include "Redirect.h"
#include "net/CurlRequest.h"
#include "net/LoopbackHttpServer.h"
#include "support/AddinHarness.h"
#include "support/TestPaths.h"

namespace tw::test {
namespace {

std::string pathOf(const std::string& head) {
    size_t start = head.find(' ') + 1;
    return head.substr(start, head.find(' ', start) - start);
}

LoopbackHttpServer::Answer site() {
    return [](const std::string& head, const std::string& body) -> std::string {
        const std::string path = pathOf(head);
        if (path == "/hello" || path == "/tarnwick/hello") return LoopbackHttpServer::response("200 OK", "hello world");
        if (path == "/big") return LoopbackHttpServer::response("200 OK", std::string(300000, 'b'));
        if (path == "/moved") return LoopbackHttpServer::response("302 Found", "elsewhere", "Location: /hello\r\n");
        if (path == "/away") return LoopbackHttpServer::response("302 Found", "login", "Location: http://localhost:1/hello\r\n");
        if (path == "/circle") return LoopbackHttpServer::response("302 Found", "", "Location: /circle\r\n");
        if (path == "/silent") return "";
        if (path == "/echo") return LoopbackHttpServer::response("200 OK", "got " + body);
        // A proxy is asked for the whole address.
        if (path.rfind("http://", 0) == 0) return LoopbackHttpServer::response("200 OK", "proxied " + path);
        return LoopbackHttpServer::response("404 Not Found", "no such page");
    };
}

class FetchTransfer : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("TARNFETCH_LOOPBACK_ONLY", "1", 1); }

    net::CurlRequest request() {
        net::CurlRequest r(fetch, settings, h.library.ensureLog());
        r.setConnectTimeout(2);
        r.setTimeout(5);
        return r;
    }

    AddinHarness h;
    sim::SimLibraryLoader loader{{fetchDir()}};
    net::FetchLibrary fetch{loader};
    settings::Settings settings;
    LoopbackHttpServer server{site()};
};

TEST_F(FetchTransfer, AnAnswerFillsTheResponseAndTheRequestNamesTheClient) {
    auto r = request();
    r.GetRequest(server.hostAndPort() + "/tarnwick", 8080, false, "/hello");
    EXPECT_EQ(r.errorCode(), 0);
    EXPECT_EQ(r.Response(), "hello world");
    ASSERT_EQ(server.heads().size(), 1u);
    const std::string head = server.heads()[0];
    EXPECT_EQ(pathOf(head), "/tarnwick/hello") << "the port argument never reaches the address";
    EXPECT_NE(head.find("User-Agent: TWOutlook4.0.0"), std::string::npos) << head;

    r.setContent("spam=1");
    r.Post(server.hostAndPort(), 80, false, "/echo");
    EXPECT_EQ(r.errorCode(), 0);
    EXPECT_EQ(r.Response(), "got spam=1");
}

TEST_F(FetchTransfer, ALongAnswerIsCutToTheBufferAndAMissingPageIsAFailure) {
    auto r = request();
    r.setBufferSize(100);
    r.GetRequest(server.hostAndPort(), 80, false, "/big");
    EXPECT_EQ(r.errorCode(), 0);
    EXPECT_EQ(r.Response(), std::string(100, 'b'));

    r.GetRequest(server.hostAndPort(), 80, false, "/nothing-here");
    EXPECT_EQ(r.errorCode(), 404);
}

TEST_F(FetchTransfer, RedirectsAreFollowedButNotForEver) {
    auto r = request();
    r.GetRequest(server.hostAndPort(), 80, false, "/moved");
    EXPECT_EQ(r.errorCode(), 0);
    EXPECT_EQ(r.Response(), "hello world");

    r.GetRequest(server.hostAndPort(), 80, false, "/circle");
    EXPECT_EQ(r.errorCode(), TF_TOO_MANY_REDIRECTS);
    // Two for the first address; the first request of the circle and its five redirects.
    EXPECT_EQ(server.heads().size(), 2u + 1u + TF_MAX_REDIRECTS);
}

TEST_F(FetchTransfer, ARedirectToAnotherHostIsRefusedAndNotFollowed) {
    auto r = request();
    r.GetRequest(server.hostAndPort(), 80, false, "/away");
    EXPECT_EQ(r.errorCode(), TF_REFUSED_HOST);
    EXPECT_EQ(r.Response(), "") << "the redirect's own page is no answer either";
}

TEST(FetchRedirect, OnlyTheSameHostAndNeverFromHttpsToHttp) {
    using tarn::fetch::redirectAllowed;
    EXPECT_TRUE(redirectAllowed("http://Service.example/a", "http://service.example:8080/b"));
    EXPECT_TRUE(redirectAllowed("http://service.example/a", "https://service.example/a"));
    EXPECT_FALSE(redirectAllowed("https://service.example/a", "http://service.example/a"));
    EXPECT_FALSE(redirectAllowed("http://service.example/a", "http://portal.example/login"));
    EXPECT_FALSE(redirectAllowed("http://service.example/a", "http://service.example@portal.example/"));
    EXPECT_FALSE(redirectAllowed("http://service.example/a", "ftp://service.example/a"));
}

TEST(FetchRedirect, ALocationIsResolvedAgainstTheAddressThatGaveIt) {
    using tarn::fetch::resolveLocation;
    const std::string from = "https://h.example:81/dir/page.txt?x=1";
    EXPECT_EQ(resolveLocation(from, "/other"), "https://h.example:81/other");
    EXPECT_EQ(resolveLocation(from, "next.txt"), "https://h.example:81/dir/next.txt");
    EXPECT_EQ(resolveLocation(from, "?y=2"), "https://h.example:81/dir/page.txt?y=2");
    EXPECT_EQ(resolveLocation(from, "//g.example/x"), "https://g.example/x");
    EXPECT_EQ(resolveLocation(from, " http://g.example/x\r\n"), "http://g.example/x");
    EXPECT_EQ(resolveLocation("http://h.example", "a"), "http://h.example/a");
    EXPECT_EQ(resolveLocation(from, "mailto:a@b.example"), "");
    EXPECT_EQ(resolveLocation(from, "file:///etc/passwd"), "");
}

TEST_F(FetchTransfer, AServerThatNeverAnswersIsLeftAtTheTimeOutAndAClosedPortFailsAtOnce) {
    auto r = request();
    r.setTimeout(1);
    auto started = std::chrono::steady_clock::now();
    r.GetRequest(server.hostAndPort(), 80, false, "/silent");
    EXPECT_EQ(r.errorCode(), TF_TIMED_OUT);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(4));

    r.GetRequest("127.0.0.1:" + std::to_string(LoopbackHttpServer::closedPort()), 80, false, "/hello");
    EXPECT_EQ(r.errorCode(), TF_CANNOT_CONNECT);
    EXPECT_EQ(r.Response(), "");
}

TEST_F(FetchTransfer, TheProxySettingsSendTheRequestThroughTheProxyWithItsCredentials) {
    settings.useProxyServer = true;
    settings.proxyServer = "127.0.0.1";
    settings.proxyServerPort = std::to_string(server.port());
    settings.proxyServerUser = "ann";
    settings.proxyServerPassword = "secret";
    auto r = request();
    // Nothing listens on the address itself: only the proxy can answer.
    const std::string target = "127.0.0.1:" + std::to_string(LoopbackHttpServer::closedPort());
    r.GetRequest(target, 80, false, "/page");
    EXPECT_EQ(r.errorCode(), 0);
    EXPECT_EQ(r.Response(), "proxied http://" + target + "/page");
    ASSERT_FALSE(server.heads().empty());
    EXPECT_NE(server.heads()[0].find("Proxy-Authorization: Basic YW5uOnNlY3JldA=="), std::string::npos)
        << server.heads()[0];

    settings.useProxyServer = false;
    r.GetRequest(target, 80, false, "/page");
    EXPECT_EQ(r.errorCode(), TF_CANNOT_CONNECT) << "the stored proxy is not used once switched off";
}

TEST_F(FetchTransfer, OnlyThisMachineIsReachedWhileTheGuardIsOn) {
    auto r = request();
    r.GetRequest("192.0.2.1", 80, false, "/hello");
    EXPECT_EQ(r.errorCode(), TF_REFUSED_HOST);
    r.GetRequest("127.0.0.1@192.0.2.1", 80, false, "/hello");
    EXPECT_EQ(r.errorCode(), TF_REFUSED_HOST);
    settings.useProxyServer = true;
    settings.proxyServer = "192.0.2.1";
    settings.proxyServerPort = "8080";
    r.GetRequest(server.hostAndPort(), 80, false, "/hello");
    EXPECT_EQ(r.errorCode(), TF_REFUSED_HOST);
    EXPECT_TRUE(server.heads().empty());
}

}  // namespace
}  // namespace tw::test
