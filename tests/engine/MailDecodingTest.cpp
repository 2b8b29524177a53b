// The engine's mail decoding: transfer encodings, MIME structure, HTML text and real corpus mail.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "HtmlText.h"
#include "MimeMessage.h"
#include "TransferDecoding.h"
#include "support/TestPaths.h"

namespace tarn::engine {
namespace {

std::string corpusFile(const std::string& name) {
    std::ifstream in(tw::test::sourceDir() + "/tests/engine/data/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string allText(const DecodedBody& body) {
    std::string text;
    for (const auto& part : body.texts) text += (part.html ? htmlToText(part.text).text : part.text) + "\n";
    return text;
}

TEST(TransferDecoding, DecodesBase64QuotedPrintableAndEncodedWords) {
    EXPECT_EQ(decodeBase64("SGVsbG8s\r\nIHdvcmxk\r\nIQ=="), "Hello, world!");
    EXPECT_EQ(decodeBase64("SGk"), "Hi");  // missing padding
    EXPECT_EQ(decodeBase64(encodeBase64(std::string("\0\xff\x10zz", 5))), std::string("\0\xff\x10zz", 5));
    EXPECT_EQ(decodeQuotedPrintable("caf=E9 soft=\r\nbreak =ZZ end="), "caf\xE9 softbreak =ZZ end=");

    std::vector<std::string> charsets;
    EXPECT_EQ(decodeEncodedWords("=?ISO-8859-1?Q?caf=E9_au?= =?UTF-8?B?bGFpdA==?= ok", &charsets), "caf\xE9 aulait ok");
    EXPECT_EQ(charsets, (std::vector<std::string>{"iso-8859-1", "utf-8"}));
    EXPECT_EQ(decodeEncodedWords("=?broken =?x?q?"), "=?broken =?x?q?");
}

TEST(MimeMessage, ParsesFoldedHeadersAndParameters) {
    auto fields = parseHeaderFields("Subject: one\r\n two\r\nContent-Type: text/plain;\r\n\tcharset=\"KOI8-R\"\r\nnot a field\r\nX-Empty:\r\n");
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_EQ(fields[0].value, "one\r\n two");
    EXPECT_EQ(headerParameter(findHeader(fields, "content-type"), "charset"), "KOI8-R");
    EXPECT_EQ(findHeader(fields, "X-Empty"), "");
    EXPECT_EQ(headerParameter("multipart/mixed; xboundary=a; boundary=b", "boundary"), "b");

    std::string_view headers, body;
    splitAtBlankLine("A: 1\r\nB: 2\r\n\r\nbody\r\n", headers, body);
    EXPECT_EQ(headers, "A: 1\r\nB: 2\r\n");
    EXPECT_EQ(body, "body\r\n");
}

TEST(MimeMessage, WalksNestedMultipartAndDecodesEachTextPart) {
    std::string headers = "Content-Type: multipart/mixed; boundary=\"outer\"\r\n";
    std::string body =
        "preamble\r\n--outer\r\nContent-Type: multipart/alternative; boundary=inner\r\n\r\n"
        "--inner\r\nContent-Type: text/plain; charset=us-ascii\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n"
        "plain=20text\r\n--inner\r\nContent-Type: text/html; charset=utf-8\r\n\r\n<p>html&amp;text</p>\r\n--inner--\r\n"
        "--outer\r\nContent-Type: application/octet-stream; name=\"setup.exe\"\r\nContent-Transfer-Encoding: base64\r\n\r\n"
        "TVqQAAMAAAAEAAAA\r\n--outer--\r\nepilogue\r\n";
    DecodedBody decoded = decodeBody(parseHeaderFields(headers), body, 1 << 20);
    ASSERT_EQ(decoded.texts.size(), 2u);
    EXPECT_EQ(decoded.texts[0].text, "plain text");
    EXPECT_TRUE(decoded.texts[1].html);
    EXPECT_EQ(decoded.charsets, (std::vector<std::string>{"us-ascii", "utf-8"}));
    EXPECT_EQ(decoded.fileNames, std::vector<std::string>{"setup.exe"});
    EXPECT_EQ(decoded.mediaTypes.back(), "application/octet-stream");
}

TEST(MimeMessage, TakesAComposedBodyAsItStandsWhenThePromisedStructureIsMissing) {
    // The add-in hands over text already composed from the parts, under the original headers.
    std::string headers = "Content-Type: multipart/alternative; boundary=gone\r\nContent-Transfer-Encoding: base64\r\n";
    DecodedBody decoded = decodeBody(parseHeaderFields(headers), "Cheap pills today <br> visit now", 1 << 20);
    ASSERT_EQ(decoded.texts.size(), 1u);
    EXPECT_EQ(decoded.texts[0].text, "Cheap pills today <br> visit now");
    EXPECT_TRUE(decoded.texts[0].html);
}

TEST(MimeMessage, SurvivesHostileStructure) {
    std::string deep;
    for (int i = 0; i < 50; ++i) deep += "--b\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n";
    DecodedBody decoded = decodeBody(parseHeaderFields("Content-Type: multipart/mixed; boundary=b\r\n"), deep, 1 << 20);
    EXPECT_LE(decoded.texts.size(), 64u);

    std::string big(3 << 20, 'x');
    decoded = decodeBody({}, big, 1000);
    EXPECT_EQ(decoded.decodedBytes, 1000u);
    decodeBody(parseHeaderFields("Content-Type: text/plain\r\nContent-Transfer-Encoding: quoted-printable\r\n"), "=", 10);
}

TEST(HtmlText, KeepsWhatAReaderSeesAndTheLinks) {
    HtmlText html = htmlToText(
        "<html><style>p{color:red}</style><p>Vi<!-- x -->agra &amp; more&#33;</p><a href=\"http://a.example/x?y=1&amp;z\">"
        "go</a><img src='http://img.example/i.gif'><script>alert(1)</script>a < b</html>");
    EXPECT_NE(html.text.find("Viagra & more!"), std::string::npos);
    EXPECT_EQ(html.text.find("color"), std::string::npos);
    EXPECT_EQ(html.text.find("alert"), std::string::npos);
    EXPECT_NE(html.text.find("a < b"), std::string::npos);
    EXPECT_EQ(html.links, (std::vector<std::string>{"http://a.example/x?y=1&z", "http://img.example/i.gif"}));
    EXPECT_NE(std::find(html.tagNames.begin(), html.tagNames.end(), "img"), html.tagNames.end());

    std::string out;
    appendDecodedEntities("&#x263A; &bogus; &#99999999; &", out);
    EXPECT_EQ(out, "\xE2\x98\xBA &bogus; &#99999999; &");
    htmlToText("<a href=\"unterminated <!-- <p");
}

TEST(MimeMessage, DecodesRealCorpusMail) {
    for (const char* name : {"spam-base64.eml", "spam-html-qp.eml", "ham-list.eml"}) {
        std::string raw = corpusFile(name);
        ASSERT_FALSE(raw.empty()) << name;
        std::string_view headers, body;
        splitAtBlankLine(raw, headers, body);
        DecodedBody decoded = decodeBody(parseHeaderFields(headers), body, 1 << 20);
        EXPECT_FALSE(decoded.texts.empty()) << name;
    }
    std::string raw = corpusFile("spam-base64.eml");
    std::string_view headers, body;
    splitAtBlankLine(raw, headers, body);
    EXPECT_NE(allText(decodeBody(parseHeaderFields(headers), body, 1 << 20)).find("refinance loan is approved"),
              std::string::npos);
}

}  // namespace
}  // namespace tarn::engine
