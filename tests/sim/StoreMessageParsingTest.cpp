// Real Internet messages read as the store reads them: transport headers, bodies, addresses,
// character sets, and broken input of every kind.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "sim/MimeMessage.h"
#include "support/TestPaths.h"

namespace tw::test {
namespace {

std::string dataFile(const std::string& name) {
    std::ifstream in(sourceDir() + "/tests/sim/data/" + name, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

TEST(StoreMessageParsing, TransportHeadersKeepEveryLineAsReceivedWithCrLf) {
    std::string raw = dataFile("ham-to-and-cc.eml");
    auto headers = sim::parseHeaders(raw);
    ASSERT_TRUE(headers.hasHeaders);
    // The mbox separator line is not a header; continuation lines stay as they were.
    EXPECT_EQ(headers.transportHeaders.rfind("Return-Path: <quinlan@pathname.com>\r\n", 0), 0u);
    EXPECT_NE(headers.transportHeaders.find("\r\n\tby phobos.labs.netnoteinc.com (Postfix) with ESMTP id D1C5643F99\r\n"),
              std::string::npos);
    EXPECT_NE(headers.transportHeaders.find("\r\n    (adsl-216-103-211-240.dsl.snfc21.pacbell.net"), std::string::npos);
    EXPECT_TRUE(headers.transportHeaders.size() > 2 &&
                headers.transportHeaders.substr(headers.transportHeaders.size() - 39) ==
                    "Date: Fri, 23 Aug 2002 03:31:20 -0700\r\n");
    // Every LF has its CR, and no body text slipped in.
    size_t lf = 0, crlf = 0;
    for (size_t i = 0; i < headers.transportHeaders.size(); ++i) {
        if (headers.transportHeaders[i] != '\n') continue;
        ++lf;
        if (i > 0 && headers.transportHeaders[i - 1] == '\r') ++crlf;
    }
    EXPECT_EQ(lf, crlf);
    EXPECT_EQ(headers.transportHeaders.find("won't be reading"), std::string::npos);

    EXPECT_EQ(headers.subject, "FYI - gone this weekend");
    ASSERT_TRUE(headers.sender.has_value());
    EXPECT_EQ(headers.sender->name, "Daniel Quinlan");
    EXPECT_EQ(headers.sender->address, "quinlan@pathname.com");
    ASSERT_EQ(headers.recipients.size(), 3u);
    EXPECT_EQ(headers.recipients[0].who.address, "zzzz@spamassassin.taint.org");
    EXPECT_EQ(headers.recipients[0].type, 1);
    EXPECT_EQ(headers.recipients[1].who.address, "craig@deersoft.com");
    EXPECT_EQ(headers.recipients[2].who.address, "quinlan@pathname.com");
    EXPECT_EQ(headers.recipients[2].type, 2);
    ASSERT_TRUE(headers.date.has_value());
    EXPECT_EQ(headers.date->toIsoText(), "2002-08-23 10:31:20");

    auto bodies = sim::parseBodies(raw);
    EXPECT_EQ(bodies.html, "");
    EXPECT_EQ(bodies.plain.rfind("I won't be reading email until Sunday night", 0), 0u);
}

TEST(StoreMessageParsing, AlternativePartsAreDecodedIntoHtmlAndPlainBodies) {
    auto bodies = sim::parseBodies(dataFile("spam-alternative-qp.eml"));
    EXPECT_EQ(bodies.plain.rfind("1) Join the Web's Hottest & Fastest Growing Community", 0), 0u);
    // Quoted-printable undone: "=3D" is "=", soft line breaks are joined.
    EXPECT_NE(bodies.html.find("<body bgcolor=\"#FFFFFF\" text=\"#000000\">"), std::string::npos);
    EXPECT_NE(bodies.html.find("target=\"_blank\">It Is "), std::string::npos);
    EXPECT_TRUE(bodies.attachments.empty());
    auto headers = sim::parseHeaders(dataFile("spam-alternative-qp.eml"));
    EXPECT_NE(headers.transportHeaders.find("Content-Type: multipart/alternative; boundary=\"----=_NextPart_000_74AB3_01C24D88.7DFFEAD0\"\r\n"),
              std::string::npos);
}

TEST(StoreMessageParsing, CharacterSetsBecomeUtf8) {
    // An encoded-word subject in Big5 and an HTML-only body: the plain body is the HTML's text.
    auto big5 = sim::parseHeaders(dataFile("spam-big5-html.eml"));
    EXPECT_EQ(big5.subject, "\xE6\x8B\xBE\xE9\x87\x91\xE4\xB8\x8D\xE6\x98\xA7~~\xE5\x88\xA5\xE5\x82\xBB\xE4\xBA\x86~~");
    EXPECT_EQ(big5.sender->address, "ee@enews.com.tw");
    EXPECT_TRUE(big5.recipients.empty());  // "undisclosed-recipients:;" is an empty group
    auto big5Bodies = sim::parseBodies(dataFile("spam-big5-html.eml"));
    EXPECT_FALSE(big5Bodies.html.empty());
    EXPECT_EQ(big5Bodies.plain.find('<'), std::string::npos);

    // A KOI8-R message; its recipient '"" <>' names nobody, so there is none.
    auto koi = sim::parseHeaders(dataFile("spam-koi8r.eml"));
    EXPECT_TRUE(koi.recipients.empty());
    EXPECT_EQ(koi.sender->address, "havoc1006@yahoo.com");
    EXPECT_EQ(sim::toUtf8("\xF0\xD2\xC9\xD7\xC5\xD4", "koi8-r"), "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82");
    EXPECT_EQ(sim::toUtf8("caf\xE9", "windows-1252"), "caf\xC3\xA9");

    // An unknown set keeps UTF-8 text and reads other bytes as Latin-1; nothing is dropped.
    EXPECT_EQ(sim::toUtf8("caf\xC3\xA9", "x-unknown-set"), "caf\xC3\xA9");
    EXPECT_EQ(sim::toUtf8("caf\xE9", "x-unknown-set"), "caf\xC3\xA9");
    // Bytes the set does not allow are marked, and the rest survives.
    EXPECT_EQ(sim::toUtf8("a\xFF" "b", "utf-16le").empty(), false);
    EXPECT_EQ(sim::toUtf8("ok \x81 end", "shift_jis").find("end"), sim::toUtf8("ok \x81 end", "shift_jis").size() - 3);
    // A NUL byte does not make UTF-8 text Latin-1 (which encoded its characters twice).
    const std::string withNul("caf\xC3\xA9\0!", 7);
    EXPECT_EQ(sim::toUtf8(withNul, ""), withNul);
    EXPECT_EQ(sim::toUtf8(std::string("caf\xE9\0", 5), ""), std::string("caf\xC3\xA9\0", 6));
}

TEST(StoreMessageParsing, EveryEncodedWordOfASubjectIsRead) {
    // Mailers pad each base64 word; the words after a padded one used to be lost.
    auto padded = sim::parseHeaders("Subject: =?UTF-8?B?YWI=?= =?UTF-8?B?Y2Q=?=\r\n =?ISO-8859-1?Q?caf=E9?=\r\n\r\nbody\r\n");
    EXPECT_EQ(padded.subject, "abcdcaf\xC3\xA9");
    // Text between encoded words stays, white space between them goes.
    EXPECT_EQ(sim::parseHeaders("Subject: =?UTF-8?B?YWI=?= and =?UTF-8?Q?c?=\r\n\r\n").subject, "ab and c");
    EXPECT_EQ(sim::parseHeaders("Subject: Re: =?utf-8?q?caf=C3=A9?= =?utf-8?b?IQ==?= x\r\n\r\n").subject,
              "Re: caf\xC3\xA9! x");
    EXPECT_EQ(sim::parseHeaders("Subject: =?bogus?= =?UTF-8?B?YWI=?=\r\n\r\n").subject, "=?bogus?= ab");
    EXPECT_EQ(sim::parseHeaders("Subject:   plain  words \r\n\r\n").subject, "plain  words");
}

TEST(StoreMessageParsing, BrokenInputIsReadAsWellAsItCanBe) {
    // No headers at all: text is a message whose plain body is the text.
    const std::string noHeaders = "just some words\nand more words\n";
    EXPECT_EQ(sim::classifyRaw(noHeaders), sim::RawKind::Message);
    EXPECT_FALSE(sim::parseHeaders(noHeaders).hasHeaders);
    EXPECT_EQ(sim::parseBodies(noHeaders).plain, noHeaders);

    // A multipart whose boundary never comes: the text after the headers is still the body.
    const std::string lostBoundary =
        "From: a@b.example\r\nContent-Type: multipart/mixed; boundary=\"never\"\r\n\r\nthe only text\r\n";
    EXPECT_NE(sim::parseBodies(lostBoundary).plain.find("the only text"), std::string::npos);

    // A part in an unknown character set and a broken base64 part.
    const std::string oddParts =
        "From: a@b.example\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n"
        "Content-Type: text/plain; charset=x-martian\r\n\r\ncaf\xE9\r\n--b\r\n"
        "Content-Type: application/pdf; name=x.pdf\r\nContent-Transfer-Encoding: base64\r\n\r\n!!!not*base64\r\n--b--\r\n";
    auto odd = sim::parseBodies(oddParts);
    EXPECT_EQ(odd.plain.rfind("caf\xC3\xA9", 0), 0u);
    ASSERT_EQ(odd.attachments.size(), 1u);
    EXPECT_EQ(odd.attachments[0].fileName, "x.pdf");

    // Header lines that break off: the block ends at the first line that is not a header.
    auto torn = sim::parseHeaders("Subject: fine\r\nthis is not a header\r\nFrom: late@x.example\r\n");
    EXPECT_EQ(torn.subject, "fine");
    EXPECT_FALSE(torn.sender.has_value());
    EXPECT_EQ(torn.transportHeaders, "Subject: fine\r\n");

    // A From line that is not an address gives no sender, and no crash.
    EXPECT_FALSE(sim::parseHeaders("From: \r\nSubject: x\r\n\r\nbody").sender.has_value());

    // Empty and binary input are told apart from messages.
    EXPECT_EQ(sim::classifyRaw(""), sim::RawKind::Empty);
    EXPECT_EQ(sim::classifyRaw(std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)), sim::RawKind::Binary);
    EXPECT_EQ(sim::classifyRaw(std::string("\xFF\xD8\xFF\xE0\x01\x02\x03\x04\x05\x06\x07", 11)), sim::RawKind::Binary);
}

TEST(StoreMessageParsing, AComposedMessageReadsBackWithItsAttachedMessage) {
    sim::ComposedMessage report;
    report.from = {"Demo User", "demo@example.invalid"};
    report.recipients = {{{"", "spam@reports.example"}, 1}, {{"Bea", "bea@x.example"}, 3}};
    report.subject = "R\xC3\xA9port";
    report.date = OleDate::fromCivil({2026, 12, 8, 9, 0, 0});
    report.plain = "==BEGIN SETTINGS\r\nline \xC3\xA9\r\n== END SETTINGS\r\n";
    report.attachments.push_back({"FYI - gone this weekend", dataFile("ham-to-and-cc.eml"), true});
    std::string raw = sim::composeMessage(report);

    auto headers = sim::parseHeaders(raw);
    EXPECT_EQ(headers.subject, "R\xC3\xA9port");
    EXPECT_EQ(headers.sender->address, "demo@example.invalid");
    ASSERT_EQ(headers.recipients.size(), 2u);
    EXPECT_EQ(headers.recipients[1].type, 3);
    auto bodies = sim::parseBodies(raw);
    EXPECT_NE(bodies.plain.find("line \xC3\xA9"), std::string::npos);
    ASSERT_EQ(bodies.attachments.size(), 1u);
    EXPECT_TRUE(bodies.attachments[0].embeddedMessage);
    EXPECT_EQ(bodies.attachments[0].fileName, "FYI - gone this weekend");
    EXPECT_NE(bodies.attachments[0].content.find("I won't be reading email"), std::string::npos);
}

}  // namespace
}  // namespace tw::test
