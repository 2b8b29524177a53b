// Countries and character sets of a message, and the delivery-failure notice for blocked mail.
#include <gtest/gtest.h>

#include <filesystem>

#include "Bounce.h"
#include "FileIo.h"
#include "GeoIpCountries.h"
#include "MessageInfo.h"
#include "MimeMessage.h"
#include "support/TempFolder.h"

namespace tarn::engine {
namespace {

/// A one-node database: addresses below 128.0.0.0 are in Germany, the rest unknown.
std::string tinyGeoIpDatabase() {
    const uint32_t countryBegin = 16776960, germany = 56;
    std::string bytes;
    for (uint32_t value : {countryBegin + germany, countryBegin}) {
        for (int i = 0; i < 3; ++i) bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
    bytes += std::string("\xFF\xFF\xFF\x01", 4);
    return bytes;
}

TEST(MessageInfo, FindsPublicRelayAddressesAndHostCountries) {
    EXPECT_EQ(receivedAddresses("from a ([10.1.2.3]) by b (203.0.113.9) [192.168.1.1] 1.2.3.4.5 999.1.1.1 x"),
              (std::vector<uint32_t>{(203u << 24) | (113u << 8) | 9u}));
    EXPECT_EQ(receivedHostCountries("from mail.example.co.uk (relay.example.DE [10.0.0.1]) by mx.example.com"),
              (std::vector<std::string>{"gb", "de"}));
}

TEST(MessageInfo, PrefersTheAddressDatabaseAndFallsBackToHostNames) {
    GeoIpCountries database;
    ASSERT_TRUE(database.openFromBytes(tinyGeoIpDatabase()));
    EXPECT_EQ(database.lookup(0x01020304), "de");
    EXPECT_EQ(database.lookup(0xC0000201), "");
    EXPECT_FALSE(GeoIpCountries().openFromBytes("xy"));

    std::string headers =
        "Received: from relay.example.fr (relay.example.fr [20.1.1.1]) by mx.example.org\r\n"
        "Received: from host.example.jp ([200.1.1.1]) by relay.example.fr\r\n"
        "Subject: =?KOI8-R?B?7sXU?=\r\n"
        "Content-Type: multipart/alternative; boundary=b\r\n";
    std::string body = "--b\r\nContent-Type: text/plain; charset=windows-1251\r\n\r\nx\r\n--b--\r\n";
    MessageInfo info = describeMessage(headers, body, &database);
    EXPECT_EQ(info.countries, (std::vector<std::string>{"de", "jp", "fr"}));
    EXPECT_EQ(info.charsets, (std::vector<std::string>{"koi8-r", "windows-1251"}));
    EXPECT_EQ(describeMessage(headers, body, nullptr).countries, (std::vector<std::string>{"fr", "jp"}));
}

TEST(Bounce, ComposesAWellFormedDeliveryStatusNotice) {
    std::string original = "From: spammer@bad.example\r\nTo: Me <me@home.example>\nSubject: buy\r\n now\r\n";
    std::string notice = composeBounce("spammer@bad.example", original, "Tue, 03 Mar 2026 10:00:00 +0000", "42-1");
    std::string_view headers, body;
    splitAtBlankLine(notice, headers, body);
    auto fields = parseHeaderFields(headers);
    EXPECT_EQ(findHeader(fields, "To"), "<spammer@bad.example>");
    EXPECT_EQ(findHeader(fields, "Auto-Submitted"), "auto-replied");
    EXPECT_NE(findHeader(fields, "From").find("MAILER-DAEMON@home.example"), std::string_view::npos);
    std::string boundary = headerParameter(findHeader(fields, "Content-Type"), "boundary");
    ASSERT_FALSE(boundary.empty());
    EXPECT_NE(body.find("Final-Recipient: rfc822; me@home.example"), std::string_view::npos);
    EXPECT_NE(body.find("Status: 5.7.1"), std::string_view::npos);
    EXPECT_NE(body.find("Content-Type: text/rfc822-headers\r\n\r\nFrom: spammer@bad.example\r\nTo: Me <me@home.example>\r\n"),
              std::string_view::npos);
    EXPECT_NE(body.find("--" + boundary + "--"), std::string_view::npos);
    EXPECT_EQ(notice.find("\r\n now\r\n\" could"), std::string::npos) << "a folded subject must not break the text";
}

TEST(Bounce, WritesToTheOutboxButNeverAnswersAutomaticMailOrForgedRecipients) {
    tw::test::TempFolder folder;
    std::string outbox = (folder.path() / "outbox").string();
    EXPECT_EQ(bounceToOutbox(outbox, "spammer@bad.example", "From: spammer@bad.example\r\n"), BounceResult::Queued);
    EXPECT_EQ(bounceToOutbox(outbox, "x@y.example", "Auto-Submitted: auto-replied\r\n"), BounceResult::Suppressed);
    EXPECT_EQ(bounceToOutbox(outbox, "x@y.example", "From: MAILER-DAEMON@y.example\r\n"), BounceResult::Suppressed);
    EXPECT_EQ(bounceToOutbox(outbox, "x@y.example\r\nBcc: all@z.example", "From: a@b.example\r\n"),
              BounceResult::BadRecipient);
    EXPECT_EQ(bounceToOutbox(outbox, "", ""), BounceResult::BadRecipient);
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(outbox)) {
        ++files;
        EXPECT_EQ(entry.path().extension(), ".eml");
    }
    EXPECT_EQ(files, 1);
}

}  // namespace
}  // namespace tarn::engine
