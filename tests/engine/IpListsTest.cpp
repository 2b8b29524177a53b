// The user's IP lists: reading entries, finding the sender's relay in real mail, and the score they force.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "IpList.h"
#include "MessageInfo.h"
#include "MimeMessage.h"
#include "engineapi/EngineLibrary.h"
#include "sim/SimLibraryLoader.h"
#include "support/TempFolder.h"
#include "support/TestPaths.h"

namespace tarn::engine {
namespace {

IpAddress ip(const char* text) { return parseIpAddress(text).value(); }

bool listHolds(const char* list, const char* address) { return IpList::parse(list, nullptr).contains(ip(address)); }

std::string headersOf(const std::string& name) {
    std::ifstream in(tw::test::sourceDir() + "/tests/engine/data/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    const std::string raw = text.str();
    std::string_view headers, body;
    splitAtBlankLine(raw, headers, body);
    return std::string(headers);
}

std::optional<IpAddress> relayOf(const std::string& name, const char* ignored = "") {
    return senderRelay(headersOf(name), IpList::parse(ignored, nullptr));
}

TEST(IpList, MatchesAddressesRangesAndWildcardsOfTheirOwnFamily) {
    EXPECT_TRUE(listHolds("203.0.113.7", "203.0.113.7"));
    EXPECT_FALSE(listHolds("203.0.113.7", "203.0.113.8"));
    EXPECT_TRUE(listHolds("198.51.100.77/24", "198.51.100.1")) << "host bits of a range are ignored";
    EXPECT_FALSE(listHolds("198.51.100.0/25", "198.51.100.128"));
    EXPECT_TRUE(listHolds("0.0.0.0/0", "255.255.255.255"));
    EXPECT_TRUE(listHolds("203.0.113.7/32", "203.0.113.7"));
    EXPECT_FALSE(listHolds("203.0.113.7/32", "203.0.113.6"));
    EXPECT_TRUE(listHolds("2001:db8::/32", "2001:db8:ffff::1"));
    EXPECT_FALSE(listHolds("2001:db8::/32", "2001:db9::1"));
    EXPECT_TRUE(listHolds("2001:db8::1/128", "2001:DB8:0:0:0:0:0:1"));
    EXPECT_FALSE(listHolds("2001:db8::1/128", "2001:db8::2"));
    EXPECT_FALSE(listHolds("::/0", "192.0.2.1")) << "an IPv4 address is in no IPv6 range";
    EXPECT_FALSE(listHolds("0.0.0.0/0", "2001:db8::1"));
    EXPECT_TRUE(listHolds("::ffff:192.0.2.0/120", "192.0.2.9")) << "IPv4-mapped entries are IPv4";
    EXPECT_TRUE(listHolds("192.0.2.*", "192.0.2.200"));
    EXPECT_FALSE(listHolds("192.0.2.*", "192.0.3.1"));
    EXPECT_TRUE(listHolds(" 10.* ,192.0.2.1", "10.200.3.4"));
    EXPECT_TRUE(listHolds("10.20.*.*", "10.20.1.1"));
}

TEST(IpList, SkipsAndNamesTheEntriesItCannotRead) {
    std::vector<std::string> malformed;
    IpList list = IpList::parse(
        "192.0.2.1,,host.example, 10.0.0.0/33,2001:db8::/129,*,10.*.5,1.2.3.4.*,256.1.1.1,1.2.3,2001:db8:::1,"
        "::ffff:1.2.3.4/95,192.0.2.0/,198.51.100.0/24",
        &malformed);
    EXPECT_EQ(malformed, (std::vector<std::string>{"host.example", "10.0.0.0/33", "2001:db8::/129", "*", "10.*.5",
                                                   "1.2.3.4.*", "256.1.1.1", "1.2.3", "2001:db8:::1",
                                                   "::ffff:1.2.3.4/95", "192.0.2.0/"}));
    EXPECT_TRUE(list.contains(ip("192.0.2.1")));
    EXPECT_TRUE(list.contains(ip("198.51.100.9"))) << "entries after a bad one still count";
    EXPECT_FALSE(list.contains(ip("10.0.0.1")));
}

TEST(ReceivedRelay, TakesTheAddressTheServerSawNotTheOneTheSenderClaimed) {
    EXPECT_EQ(receivedRelay("from helo.example (rdns.example [192.0.2.1])\r\n\tby mx.example (Postfix) with ESMTP"),
              ip("192.0.2.1"));
    EXPECT_EQ(receivedRelay("from helo.example ([IPv6:2001:db8::1]) by mx.example with ESMTPS"), ip("2001:db8::1"));
    EXPECT_EQ(receivedRelay("from rdns.example ([2001:db8::5] helo=forged.example) by mx.example with esmtp"),
              ip("2001:db8::5"));
    EXPECT_EQ(receivedRelay("from unknown (HELO 198.51.100.1) (192.0.2.2) by mx.example with SMTP"), ip("192.0.2.2"));
    EXPECT_EQ(receivedRelay("from [192.0.2.3] (helo=[198.51.100.1]) by mx.example with smtp"), ip("192.0.2.3"));
    EXPECT_EQ(receivedRelay("from 198.51.100.1 (unknown [192.0.2.4]) by mx.example"), ip("192.0.2.4"));
    EXPECT_EQ(receivedRelay("from host-192.0.2.5.example by mx.example ([198.51.100.2])"), std::nullopt)
        << "neither a host name with digits nor the receiving server's own address is the relay";
    EXPECT_EQ(receivedRelay("(qmail 23282 invoked from network); 27 Aug 2002 22:55:08 -0000"), std::nullopt);
}

TEST(SenderRelay, PassesInternalAndIgnoredHopsOfRealMail) {
    // Fetched by POP from the provider, which took it from a relay that names a forged HELO.
    EXPECT_EQ(relayOf("spam-postfix-forged-below.eml"), ip("193.120.211.219"));
    EXPECT_EQ(relayOf("spam-postfix-forged-below.eml", "193.120.211.*,205.210.42.0/24"), ip("210.19.113.130"));
    // A mailing list's public gateway, then its private hop, then the sender.
    EXPECT_EQ(relayOf("spam-exim-private-hop.eml"), ip("216.136.171.252"));
    EXPECT_EQ(relayOf("spam-exim-private-hop.eml", "216.136.160.0/19"), ip("195.174.161.55"));
    // qmail's "invoked by uid" line names no relay.
    EXPECT_EQ(relayOf("spam-qmail-helo.eml", "208.57.0.14"), ip("208.57.45.218"));
    EXPECT_EQ(relayOf("spam-qmail-helo.eml", "0.0.0.0/0"), std::nullopt);
}

class IpListScoring : public ::testing::Test {
protected:
    IpListScoring() : loader_({tw::test::engineDir()}), engine_(loader_) {
        handle_ = engine_.TW_constructor("Outlook", folder_.path().string());
        engine_.TW_setOption(handle_, "offsetdir", folder_.path().string());
        engine_.TW_initialize(handle_);
    }
    ~IpListScoring() override { engine_.TW_destructor(handle_); }

    int32_t score(const std::string& headers) {
        int32_t result = -1;
        EXPECT_EQ(engine_.TW_score(handle_, headers, "Hello there.\r\n", "", 0, "", result), 0);
        return result;
    }

    tw::test::TempFolder folder_;
    tw::sim::SimLibraryLoader loader_;
    tw::engineapi::EngineLibrary engine_;
    int32_t handle_ = 0;
};

TEST_F(IpListScoring, BlockedRelayScoresFullApprovedScoresNothingAndApprovalWins) {
    const std::string mail = headersOf("spam-postfix-forged-below.eml");
    EXPECT_EQ(score(mail), 50);
    engine_.TW_setOption(handle_, "ignored_ip_list", "193.120.211.219");
    engine_.TW_setOption(handle_, "blocked_ip_list", "176.244.234.14,52.127.142.0/24");
    EXPECT_EQ(score(mail), 50) << "addresses in headers below the sender's relay may be forged";
    engine_.TW_setOption(handle_, "blocked_ip_list", "205.210.42.30");
    EXPECT_EQ(score(mail), 100);
    engine_.TW_setOption(handle_, "approved_ip_list", "205.210.*");
    EXPECT_EQ(score(mail), 0);
    engine_.TW_setOption(handle_, "blocked_ip_list", "");
    engine_.TW_setOption(handle_, "approved_ip_list", "");
    EXPECT_EQ(score(mail), 50);
}

TEST_F(IpListScoring, ReadBackNamesTheEntriesSkipped) {
    EXPECT_EQ(engine_.getLongOption(handle_, "ip_list_errors"), "");
    engine_.TW_setOption(handle_, "Blocked_IP_List", "192.0.2.1,nonsense");
    engine_.TW_setOption(handle_, "ignored_ip_list", "10.0.0.0/40");
    EXPECT_EQ(engine_.getLongOption(handle_, "ip_list_errors"),
              "blocked_ip_list\tnonsense\nignored_ip_list\t10.0.0.0/40\n");
    EXPECT_NE(engine_.TW_setOption(handle_, "ip_list_errors", ""), 0) << "the read-back cannot be set";
    engine_.TW_setOption(handle_, "blocked_ip_list", "192.0.2.1");
    EXPECT_EQ(engine_.getLongOption(handle_, "ip_list_errors"), "ignored_ip_list\t10.0.0.0/40\n");
}

}  // namespace
}  // namespace tarn::engine
