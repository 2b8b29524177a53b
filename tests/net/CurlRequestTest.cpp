// What CurlRequest hands the fetch library and how it reads the answer back, with the scripted library.
#include <gtest/gtest.h>

#include "core/Error.h"
#include "net/CurlRequest.h"
#include "support/AddinHarness.h"
#include "support/FetchRecording.h"

namespace tw::test {
namespace {

class CurlRequestTest : public ::testing::Test {
protected:
    net::CurlRequest request(net::FetchLibrary& library) { return net::CurlRequest(library, settings, h.library.ensureLog()); }

    FetchRecording recording;
    AddinHarness h;
    net::FetchLibrary fetch{h.libraries};
    settings::Settings settings;
};

TEST_F(CurlRequestTest, TheAddressClientAndProxyAreBuiltFromTheArgumentsAndSettings) {
    auto r = request(fetch);
    settings.proxyServer = "gate.example";
    settings.proxyServerPort = "3128";
    settings.proxyServerUser = "ann";
    settings.proxyServerPassword = "pw";
    r.GetRequest("service.example/tarnwick", 8080, true, "/ping.txt");
    settings.useProxyServer = true;
    r.GetRequest("service.example", 80, false, "/a");
    settings.proxyServerUser = "";
    r.setContent("body text");
    r.Post("service.example", 80, false, "/b", "user", "password");

    auto calls = recording.calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0], "GET https://service.example/tarnwick/ping.txt connect=10 total=300 buffer=80000 "
                        "client=TWOutlook4.0.0 proxy= credentials=")
        << "stored proxy values stay unused while the proxy is off; no port in the address";
    EXPECT_EQ(calls[1], "GET http://service.example/a connect=10 total=300 buffer=80000 client=TWOutlook4.0.0 "
                        "proxy=gate.example:3128 credentials=ann:pw");
    EXPECT_EQ(calls[2], "POST http://service.example/b body=body text connect=10 total=300 buffer=80000 "
                        "client=TWOutlook4.0.0 proxy=gate.example:3128 credentials=");
}

TEST_F(CurlRequestTest, AnAnswerThatFillsTheBufferIsReadToItsEndAndNoFurther) {
    auto r = request(fetch);
    r.setBufferSize(8);
    recording.setBody("0123456789");
    r.GetRequest("service.example", 80, false, "/");
    EXPECT_EQ(r.Response(), "01234567");
    r.setBufferSize(1);
    r.GetRequest("service.example", 80, false, "/");
    EXPECT_EQ(r.Response(), "0");
}

TEST_F(CurlRequestTest, EveryFailureLeavesANonZeroErrorCodeAndNoOldAnswer) {
    auto r = request(fetch);
    recording.setBody("version=4.0.1");
    r.GetRequest("service.example", 80, false, "/");
    EXPECT_EQ(r.errorCode(), 0);
    recording.setResult(-3);
    r.GetRequest("service.example", 80, false, "/");
    EXPECT_EQ(r.errorCode(), -3) << "a negative code is a failure too";

    recording.setResult(0);
    r.GetRequest("service.example", 80, false, "/");
    ASSERT_EQ(r.errorCode(), 0);
    net::FetchLibrary missing(h.libraries, "nofetch.dll");
    auto lost = request(missing);
    lost.GetRequest("service.example", 80, false, "/");
    EXPECT_NE(lost.errorCode(), 0) << "a library that cannot be loaded is no success";
    EXPECT_EQ(lost.Response(), "");
    EXPECT_TRUE(h.logHas("CurlGet : Error #")) << h.logText();

    lost.setContent("x");
    try {
        lost.Post("service.example", 80, false, "/");
        FAIL() << "a POST without the library raised nothing";
    } catch (const Error& e) {
        EXPECT_EQ(e.description(), "CurlSendRequest failed");
        EXPECT_NE(e.number(), 0);
    }
    EXPECT_NE(lost.errorCode(), 0);
}

}  // namespace
}  // namespace tw::test
