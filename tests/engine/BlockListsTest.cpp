// DNS block lists: the engine against a loopback DNS server, and the reading of answers it cannot trust.
#include <gtest/gtest.h>

#include <chrono>

#include "DnsBlockLists.h"
#include "DnsMessage.h"
#include "Engine.h"
#include "support/DnsTestServer.h"
#include "support/TempFolder.h"

namespace tarn::engine {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using tw::test::DnsTestServer;

std::string receivedFrom(const std::string& address) {
    return "Received: from host.example (host.example [" + address + "])\r\n\tby mx.home.example with ESMTP\r\n";
}

const std::string kMessageEnd = "From: a@sender.example\r\nSubject: Lunch\r\n";

class BlockLists : public ::testing::Test {
protected:
    BlockLists() : engine_("Outlook", folder_.path().string()) {
        server_.addZone("bl.test");
        server_.addZone("two.test");
        set("offsetdir", folder_.path().string());
        set("enable_rbl_check", "yes");
        set("rbl_list", "bl.test");
        set("rbl_timeout", "0.5");
        set("dns_servers", server_.address());
        engine_.initialize();
    }

    void set(const std::string& name, const std::string& value) { ASSERT_EQ(engine_.setOption(name, value), kOk); }

    /// The score of a message relayed by `relays`, newest first; without training the words give 50.
    int32_t score(const std::vector<std::string>& relays) {
        std::string headers;
        for (const auto& relay : relays) headers += receivedFrom(relay);
        int32_t result = -1;
        const auto start = Clock::now();
        EXPECT_EQ(engine_.score(headers + kMessageEnd, "Lunch on Friday?", "", 0, result), kOk);
        lastCall_ = Clock::now() - start;
        return result;
    }

    tw::test::TempFolder folder_;
    DnsTestServer server_;
    Engine engine_;
    Clock::duration lastCall_{};
};

TEST_F(BlockLists, AListedRelayRaisesTheScoreAndIsNamedAmongTheClues) {
    server_.list("bl.test", "203.0.113.9");
    EXPECT_EQ(score({"198.51.100.20"}), 50);
    EXPECT_EQ(engine_.explainLastScore(), "");
    EXPECT_GE(score({"198.51.100.20", "203.0.113.9"}), 90) << "an older public relay is asked too";
    EXPECT_EQ(engine_.explainLastScore(), "rbl\t203.0.113.9\t0.990\tbl.test\n");
    EXPECT_EQ(server_.questions(), (std::vector<std::string>{"20.100.51.198.bl.test", "9.113.0.203.bl.test"}))
        << "the first relay's answer came from the cache";
}

TEST_F(BlockLists, PrivateLoopbackAndIgnoredRelaysAreNeverAskedAndAtMostMaxIps) {
    set("ignored_ip_list", "192.0.2.0/24");
    set("rbl_max_ips", "2");
    score({"127.0.0.1", "10.1.2.3", "192.168.5.5", "172.20.0.1", "169.254.1.1", "192.0.2.8", "198.51.100.1",
           "198.51.100.2", "198.51.100.3"});
    EXPECT_EQ(server_.questions(), (std::vector<std::string>{"1.100.51.198.bl.test", "2.100.51.198.bl.test"}));
}

TEST_F(BlockLists, ASilentZoneCostsOneDeadlineThenIsSetAsideWhileTheOthersAreStillAsked) {
    server_.addZone("quiet.test", DnsTestServer::Zone::silent);
    server_.list("bl.test", "203.0.113.9");
    set("rbl_list", "quiet.test,bl.test");
    EXPECT_GE(score({"203.0.113.9"}), 90) << "the zone that answered still counts";
    EXPECT_GE(lastCall_, 450ms);
    EXPECT_LT(lastCall_, 900ms) << "the score waited past its deadline";
    server_.forgetQuestions();
    score({"203.0.113.10"});
    EXPECT_LT(lastCall_, 300ms);
    EXPECT_EQ(server_.questions(), std::vector<std::string>{"10.113.0.203.bl.test"}) << "the silent zone was asked again";
}

TEST_F(BlockLists, AMalformedAnswerListsNothing) {
    server_.addZone("broken.test", DnsTestServer::Zone::malformed);
    set("rbl_list", "broken.test");
    EXPECT_EQ(score({"203.0.113.9"}), 50);
    EXPECT_LT(lastCall_, 900ms);
    EXPECT_EQ(engine_.explainLastScore(), "");
}

TEST_F(BlockLists, MultihitNeedsTwoZonesToAgree) {
    set("rbl_list", "bl.test,two.test");
    set("rbl_multihit", "yes");
    server_.list("bl.test", "203.0.113.1");
    server_.list("bl.test", "203.0.113.2");
    server_.list("two.test", "203.0.113.2");
    EXPECT_EQ(score({"203.0.113.1"}), 50);
    EXPECT_GE(score({"203.0.113.2"}), 90);
    EXPECT_EQ(engine_.explainLastScore(), "rbl\t203.0.113.2\t0.990\tbl.test\nrbl\t203.0.113.2\t0.990\ttwo.test\n");
}

TEST_F(BlockLists, NothingIsAskedWhenTheWordsAreSureOrTheCheckIsOff) {
    server_.list("bl.test", "203.0.113.9");
    set("rbl_threshold", "60:99");
    EXPECT_EQ(score({"203.0.113.9"}), 50);
    set("rbl_threshold", "50:50");
    EXPECT_GE(score({"203.0.113.9"}), 90) << "the bounds are inclusive";
    set("enable_rbl_check", "no");  // as the add-in does while it trains
    server_.forgetQuestions();
    EXPECT_EQ(score({"203.0.113.7"}), 50);
    EXPECT_TRUE(server_.questions().empty());
}

TEST_F(BlockLists, AnswersAreKeptForTheirLifetimeSoASecondScoreAsksNothing) {
    server_.list("bl.test", "203.0.113.9");
    score({"203.0.113.9", "198.51.100.20"});
    server_.forgetQuestions();
    server_.setDelay(2s);
    EXPECT_GE(score({"203.0.113.9", "198.51.100.20"}), 90);
    EXPECT_TRUE(server_.questions().empty());
    EXPECT_LT(lastCall_, 100ms);

    server_.setDelay(0ms);
    server_.setTtl(300, 0);  // the zone's SOA says a "not listed" may not be kept
    score({"198.51.100.30"});
    score({"198.51.100.30"});
    EXPECT_EQ(server_.questions(), (std::vector<std::string>{"30.100.51.198.bl.test", "30.100.51.198.bl.test"}));
}

TEST(DnsBlockListLifetimes, AnswersExpireWithTheirTtlAndASilentZoneIsAskedAgainAfterTenMinutes) {
    DnsTestServer server;
    server.addZone("bl.test");
    server.addZone("quiet.test", DnsTestServer::Zone::silent);
    server.list("bl.test", "203.0.113.9");
    server.setTtl(300, 60);
    Clock::time_point now = Clock::now();
    DnsBlockLists lists([&now] { return now; });
    EngineOptions options;
    for (const auto& [name, value] : {std::pair<const char*, std::string>{"enable_rbl_check", "yes"},
                                      {"rbl_list", "bl.test,quiet.test"}, {"rbl_timeout", "0.2"},
                                      {"dns_servers", server.address()}})
        options.set(name, value);
    const IpList none;
    const std::string headers = receivedFrom("203.0.113.9") + receivedFrom("198.51.100.7");
    auto askedAfter = [&](std::chrono::seconds later) {
        now += later;
        server.forgetQuestions();
        EXPECT_EQ(lists.check(headers, options, none, 50).size(), 1u);
        return server.questions().size();
    };
    EXPECT_EQ(askedAfter(0s), 4u);
    EXPECT_EQ(askedAfter(59s), 0u);
    EXPECT_EQ(askedAfter(2s), 1u) << "the \"not listed\" outlived its SOA minimum";
    EXPECT_EQ(askedAfter(240s), 2u) << "the listing outlived its TTL";
    EXPECT_EQ(askedAfter(301s), 4u) << "the silent zone was set aside past ten minutes";
}

TEST(DnsMessage, QuestionsNameTheAddressReversedInTheZone) {
    EXPECT_EQ(blockListQueryName(parseIpAddress("203.0.113.9").value(), "bl.test"), "9.113.0.203.bl.test");
    EXPECT_EQ(blockListQueryName(parseIpAddress("2001:db8::1").value(), "bl.test"),
              "1.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.8.b.d.0.1.0.0.2.bl.test");
    EXPECT_TRUE(dnsQuery(std::string(64, 'a') + ".test", 1).empty());
    EXPECT_TRUE(dnsQuery("a..test", 1).empty());
}

TEST(DnsMessage, AnswersThatRunPastTheirEndOrLoopOrAnswerAnotherQuestionSayNothing) {
    const std::string name = "9.113.0.203.bl.test";
    std::vector<uint8_t> answer = dnsQuery(name, 7);
    answer[2] = 0x81, answer[3] = 0x80, answer[7] = 1;
    answer.insert(answer.end(), {0xC0, 0x0C, 0, 1, 0, 1, 0, 0, 0, 60, 0, 4, 127, 0, 0, 2});
    DnsReply good = readDnsReply(answer.data(), answer.size(), name);
    ASSERT_EQ(good.kind, DnsReply::Kind::addresses);
    EXPECT_EQ(good.addresses, std::vector<uint32_t>{0x7F000002});
    EXPECT_EQ(good.ttl, 60u);
    EXPECT_EQ(readDnsReply(answer.data(), answer.size(), "8.113.0.203.bl.test").kind, DnsReply::Kind::failed);
    for (size_t cut = 0; cut < answer.size(); ++cut)
        EXPECT_EQ(readDnsReply(answer.data(), cut, name).kind, DnsReply::Kind::failed) << cut;
    std::vector<uint8_t> looping = answer;
    looping[answer.size() - 16] = 0xC0, looping[answer.size() - 15] = static_cast<uint8_t>(answer.size() - 16);
    EXPECT_EQ(readDnsReply(looping.data(), looping.size(), name).kind, DnsReply::Kind::failed);
    std::vector<uint8_t> truncated = answer;
    truncated[2] |= 0x02;
    EXPECT_EQ(readDnsReply(truncated.data(), truncated.size(), name).kind, DnsReply::Kind::failed);
}

}  // namespace
}  // namespace tarn::engine
