// Reading a message for the engine and the lists: boundary, composed body, sender, recipients.
#include <gtest/gtest.h>

#include "classify/MessageContent.h"
#include "support/AddinHarness.h"

namespace tw::test {
namespace {

using classify::getDomain;
using classify::getMultiPartBoundary;

TEST(MultiPartBoundary, OnlyTheExactHeaderFormIsRecognised) {
    EXPECT_EQ(getMultiPartBoundary("X: 1\r\nContent-Type: multipart/alternative; boundary=\"b1\"\r\nY: 2\r\n"), "b1");
    EXPECT_EQ(getMultiPartBoundary("Content-Type: multipart/alternative; boundary=b2\nY: 2\n"), "b2");
    // At the very end of the headers the rest comes back as it stands, quotes and all.
    EXPECT_EQ(getMultiPartBoundary("Content-Type: multipart/alternative; boundary=\"end\""), "\"end\"");
    EXPECT_EQ(getMultiPartBoundary("Content-Type: multipart/mixed; boundary=\"m\"\r\n"), "");
    EXPECT_EQ(getMultiPartBoundary("content-type: multipart/alternative; boundary=\"m\"\r\n"), "");
    EXPECT_EQ(getMultiPartBoundary("Content-Type: multipart/alternative;\r\n\tboundary=\"m\"\r\n"), "");
}

TEST(MultiPartBoundary, AOneCharacterBoundaryIsCutAtItsLineEndInEitherForm) {
    const std::string header = "Content-Type: multipart/alternative; boundary=";
    for (const char* end : {"\r\n", "\n"}) {
        EXPECT_EQ(getMultiPartBoundary("X: 1" + std::string(end) + header + "a" + end + "Y: 2" + end), "a") << end;
        EXPECT_EQ(getMultiPartBoundary(header + "\"z\"" + end), "z") << end;
        EXPECT_EQ(getMultiPartBoundary(header + "ab" + end), "ab") << end;
    }
}

TEST(Domain, IsTheTextAfterTheFirstAtSign) {
    EXPECT_EQ(getDomain("ann@example.com"), "example.com");
    EXPECT_EQ(getDomain("odd@inner@outer"), "inner");
    EXPECT_EQ(getDomain("no-at-sign"), "");
    EXPECT_EQ(classify::safeMailProgId("SafeMailItem"), "TarnwickRedemption.TarnwickSafeMailItem");
}

class MessageContentTest : public ::testing::Test {
protected:
    MessageContentTest() {
        h.client.openExplorer();
        h.connectAddin();
        content = h.addin().content();
    }
    std::shared_ptr<sim::SimItem> deliver(const std::string& raw) { return h.client.deliverMessage(raw); }

    AddinHarness h;
    classify::MessageContent* content = nullptr;
};

const char* const kAlternative =
    "From: Ann Example <Ann@Example.com>\r\n"
    "To: Bob <bob@example.org>, BOB@example.org, \"Carol\" <carol@example.net>\r\n"
    "Subject: hello\r\n"
    "MIME-Version: 1.0\r\n"
    "Content-Type: multipart/alternative; boundary=\"sep\"\r\n"
    "\r\n"
    "--sep\r\nContent-Type: text/plain\r\n\r\nplain words\r\n"
    "--sep\r\nContent-Type: text/html\r\n\r\n<p>html words</p>\r\n"
    "--sep--\r\n";

TEST_F(MessageContentTest, AnAlternativeMessageIsComposedHtmlThenPlain) {
    ASSERT_NE(content, nullptr);
    auto item = deliver(kAlternative);
    std::string headers = content->getMessageHeaders(*item);
    EXPECT_EQ(headers.rfind("From: Ann Example", 0), 0u);
    EXPECT_TRUE(h.logHas("got message headers of size " + std::to_string(headers.size())));
    std::string boundary = getMultiPartBoundary(headers);
    ASSERT_EQ(boundary, "sep");

    std::string body = content->getMessageBody(item, boundary);
    EXPECT_EQ(body.rfind("--sep\r\nContent-Type: text/html\r\n\r\n", 0), 0u);
    EXPECT_NE(body.find("html words"), std::string::npos);
    EXPECT_NE(body.find("--sep\r\nContent-Type: text/plain\r\n\r\nplain words"), std::string::npos);
    EXPECT_TRUE(body.size() > 9 && body.compare(body.size() - 9, 9, "--sep--\r\n") == 0);
    EXPECT_TRUE(h.logHas("got message body of size " + std::to_string(body.size())));
}

TEST_F(MessageContentTest, APlainMessageGivesItsTextAlone) {
    auto item = deliver("From: a@b.example\r\nTo: c@d.example\r\nSubject: s\r\n\r\njust text\r\n");
    std::string body = content->getMessageBody(item, getMultiPartBoundary(content->getMessageHeaders(*item)));
    EXPECT_NE(body.find("just text"), std::string::npos);
    EXPECT_EQ(body.find("Content-Type"), std::string::npos);
}

TEST_F(MessageContentTest, SenderAndRecipientsAreSmtpAddresses) {
    auto item = deliver(kAlternative);
    std::string address, name;
    content->senderaddress(item, address, name);
    EXPECT_EQ(address, "Ann@Example.com");  // callers lower-case it
    EXPECT_EQ(name, "Ann Example");

    KeyedSet recipients;
    recipients.insert("kept@example.com");
    content->GetRecipientAddresses(item, recipients);
    EXPECT_EQ(recipients.Keys(),
              (std::vector<std::string>{"kept@example.com", "bob@example.org", "carol@example.net"}));
}

TEST_F(MessageContentTest, AnExchangeSenderGivesItsSmtpAddress) {
    h.client.addExchangeUser("dave@corp.example", "/o=Corp/ou=First/cn=Recipients/cn=dave");
    auto item = deliver("From: Dave <dave@corp.example>\r\nTo: ann@example.com\r\nSubject: s\r\n\r\nx\r\n");
    std::string address, name;
    content->senderaddress(item, address, name);
    EXPECT_EQ(address, "dave@corp.example");
}

TEST_F(MessageContentTest, FailuresEndQuietlyWithEmptyResults) {
    auto item = deliver("Subject: no sender\r\n\r\nbody\r\n");
    std::string address, name;
    content->senderaddress(item, address, name);
    EXPECT_EQ(address, "");

    // A message without transport headers (composed inside the client) has none to give.
    auto composed = h.client.createItem(outlook::olMail, "draft");
    EXPECT_EQ(content->getMessageHeaders(*composed), "");
}

TEST_F(MessageContentTest, OnlyAMailItemFirstInTheSelectionCounts) {
    auto& app = *h.client.application();
    EXPECT_FALSE(content->isMailItem(app));
    auto explorer = h.client.activeExplorer();
    auto meeting = h.client.createItem(outlook::olAppointment, "meeting");
    explorer->select({meeting, deliver(kAlternative)});
    EXPECT_FALSE(content->isMailItem(app));
    explorer->select({deliver(kAlternative)});
    EXPECT_TRUE(content->isMailItem(app));
    EXPECT_TRUE(h.logHas("isMailItem()"));
}

}  // namespace
}  // namespace tw::test
