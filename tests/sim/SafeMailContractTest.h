// The safe mail library's contract: one suite that the simulated library and the real library over
// the stand-in client's MAPI objects both pass.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/Error.h"
#include "platform/Outlook.h"
#include "platform/SafeMail.h"

namespace tw::contract {

/// A message as it arrives. Recipients are "Name <address>" or bare addresses; no sender name and
/// no sender address: a message without a sender.
struct ArrivingMail {
    std::string senderName, senderAddress;
    std::vector<std::string> to, cc, bcc;
    std::string subject, body, htmlBody;
    bool unread = true;
};

/// A mail client with a store and the safe mail library, seen through both ports.
class SafeMailWorld {
public:
    virtual ~SafeMailWorld() = default;
    virtual std::shared_ptr<outlook::Application> application() = 0;
    virtual safemail::SafeMail& safeMail() = 0;
    /// Delivers into the Inbox; answers the new item's entry id.
    virtual std::string deliver(const ArrivingMail& mail) = 0;
    /// Lets the client run what it was asked to do in the background (the transport's send).
    virtual void settle() {}
    /// Mail from this Internet address comes from a user of the directory: an "EX" sender.
    virtual void addExchangeUser(const std::string& name, const std::string& smtpAddress,
                                 const std::string& directoryName) = 0;
};

struct SafeMailWorldFactory {
    std::string name;
    std::function<std::unique_ptr<SafeMailWorld>()> make;
};

/// The Internet headers a world delivers a message with: what its transport would have received.
inline std::string arrivingHeaders(const ArrivingMail& mail) {
    std::string headers = "Received: from relay.example by mx.home.example; Tue, 8 Dec 2026 09:00:00 +0000\r\n";
    if (!mail.senderAddress.empty())
        headers += "From: " + (mail.senderName.empty() ? "" : "\"" + mail.senderName + "\" ") + "<" + mail.senderAddress + ">\r\n";
    auto list = [&](const char* name, const std::vector<std::string>& who) {
        if (who.empty()) return;
        std::string line = std::string(name) + ": ";
        for (size_t i = 0; i < who.size(); ++i) line += (i ? ", " : "") + who[i];
        headers += line + "\r\n";
    };
    list("To", mail.to);
    list("Cc", mail.cc);
    list("Bcc", mail.bcc);
    headers += "Subject: " + mail.subject + "\r\nDate: Tue, 8 Dec 2026 09:00:00 +0000\r\nMessage-ID: <" +
               std::to_string(std::hash<std::string>{}(mail.subject)) + "@relay.example>\r\n";
    return headers;
}

inline constexpr const char* kSafeMailItem = "TarnwickRedemption.TarnwickSafeMailItem";
inline constexpr const char* kMAPIUtils = "TarnwickRedemption.TarnwickMAPIUtils";
inline constexpr const char* kMAPITable = "TarnwickRedemption.TarnwickMAPITable";

class SafeMailContractTest : public ::testing::TestWithParam<SafeMailWorldFactory> {
protected:
    // The library holds the client's MAPI session until Cleanup, as the add-in's teardown calls it;
    // each test starts and ends so, whatever ran before it in the process.
    void SetUp() override {
        world = GetParam().make();
        utils().Cleanup();
    }
    void TearDown() override { utils().Cleanup(); }

    std::shared_ptr<outlook::Item> item(const std::string& entryId) {
        return world->application()->GetNamespace("MAPI")->GetItemFromID(entryId, folder(outlook::olFolderInbox)->StoreID());
    }
    std::shared_ptr<safemail::SafeMailItem> bound(std::shared_ptr<outlook::Item> message) {
        auto safe = world->safeMail().CreateSafeMailItem(kSafeMailItem);
        safe->setItem(std::move(message));
        return safe;
    }
    safemail::MAPIUtils& utils() {
        if (!utils_) utils_ = world->safeMail().CreateMAPIUtils(kMAPIUtils);
        return *utils_;
    }
    std::shared_ptr<outlook::Folder> folder(int which) {
        return world->application()->GetNamespace("MAPI")->GetDefaultFolder(which);
    }
    static long errorOf(const std::function<void()>& call) {
        try {
            call();
        } catch (const Error& e) {
            return e.number() == 0 ? -1 : e.number();
        }
        return 0;
    }
    static std::string lower(std::string text) {
        std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return text;
    }

    std::unique_ptr<SafeMailWorld> world;

private:
    std::shared_ptr<safemail::MAPIUtils> utils_;
};

TEST_P(SafeMailContractTest, AMessageAnswersItsSenderRecipientsOfEachKindHeadersAndBody) {
    ArrivingMail mail;
    mail.senderName = "Ann Sender";
    mail.senderAddress = "ann@sender.example";
    mail.to = {"Me <me@home.example>", "flat@home.example"};
    mail.cc = {"Cy <cy@copy.example>"};
    mail.bcc = {"Bea <bea@blind.example>"};
    mail.subject = "Quarterly figures";
    mail.body = "The figures are attached.\r\nRegards, Ann\r\n";
    auto message = item(world->deliver(mail));
    auto safe = bound(message);

    EXPECT_EQ(safe->Fields(safemail::PR_SENDER_ADDRTYPE).text(), "SMTP");
    EXPECT_EQ(lower(safe->Fields(safemail::PR_SENDER_EMAIL_ADDRESS).text()), "ann@sender.example");
    EXPECT_EQ(safe->Fields(safemail::PR_SUBJECT).text(), "Quarterly figures");
    EXPECT_TRUE(safe->Fields(0x12340003).isEmpty());
    auto sender = safe->Sender();
    ASSERT_TRUE(sender);
    EXPECT_EQ(sender->Type(), "SMTP");
    EXPECT_EQ(lower(sender->Address()), "ann@sender.example");
    EXPECT_EQ(sender->Name(), "Ann Sender");
    EXPECT_TRUE(sender->Fields(safemail::PR_SMTP_ADDRESS).isEmpty());
    EXPECT_EQ(safe->SenderName(), "Ann Sender");

    auto recipients = safe->Recipients();
    ASSERT_EQ(recipients->Count(), 4);
    const int kinds[] = {outlook::olTo, outlook::olTo, outlook::olCC, outlook::olBCC};
    const char* addresses[] = {"me@home.example", "flat@home.example", "cy@copy.example", "bea@blind.example"};
    for (int i = 1; i <= 4; ++i) {
        auto recipient = recipients->Item(i);
        EXPECT_EQ(recipient->Type(), kinds[i - 1]) << i;
        ASSERT_TRUE(recipient->AddressEntry()) << i;
        EXPECT_EQ(lower(recipient->AddressEntry()->Address()), addresses[i - 1]) << i;
    }
    EXPECT_EQ(recipients->Item(3)->Name(), "Cy");

    EXPECT_EQ(safe->Body().rfind("The figures are attached.", 0), 0u);
    EXPECT_EQ(safe->HTMLBody(), "");
    std::string headers = utils().HrGetOneProp(*message, safemail::PR_TRANSPORT_MESSAGE_HEADERS).text();
    EXPECT_EQ(headers.rfind("Received: from relay.example", 0), 0u);
    EXPECT_NE(headers.find("Subject: Quarterly figures\r\n"), std::string::npos);
}

TEST_P(SafeMailContractTest, ALargeHtmlBodyComesThroughWhole) {
    ArrivingMail mail;
    mail.senderAddress = "news@letters.example";
    mail.to = {"me@home.example"};
    mail.subject = "A long letter";
    mail.body = "A long letter.\r\n";
    std::string html = "<html><body>\r\n";
    for (int line = 0; html.size() < 200 * 1024; ++line) html += "<p>Line " + std::to_string(line) + " of the long letter.</p>\r\n";
    html += "<p>The end.</p></body></html>\r\n";
    mail.htmlBody = html;
    auto safe = bound(item(world->deliver(mail)));
    std::string read = safe->HTMLBody();
    EXPECT_GE(read.size(), 200u * 1024);
    EXPECT_EQ(read.rfind("<html><body>", 0), 0u);
    EXPECT_NE(read.find("<p>The end.</p></body></html>"), std::string::npos);
    EXPECT_EQ(safe->Body().rfind("A long letter.", 0), 0u);
}

TEST_P(SafeMailContractTest, AMessageWithoutASenderHasNoSenderEntryAndAbsentPropertiesAreEmpty) {
    ArrivingMail mail;
    mail.to = {"me@home.example"};
    mail.subject = "Nobody sent this";
    mail.body = "hello\r\n";
    auto message = item(world->deliver(mail));
    auto safe = bound(message);
    EXPECT_FALSE(safe->Sender());
    EXPECT_EQ(safe->SenderName(), "");
    EXPECT_TRUE(safe->Fields(safemail::PR_SENDER_ADDRTYPE).isEmpty());
    EXPECT_EQ(safe->Recipients()->Count(), 1);
    EXPECT_EQ(errorOf([&] { utils().HrGetOneProp(*message, 0x12340003); }), -2147221233);  // MAPI_E_NOT_FOUND

    // A message written here has no transport headers.
    auto draft = world->application()->CreateItem(outlook::olMailItem);
    EXPECT_EQ(errorOf([&] { utils().HrGetOneProp(*draft, safemail::PR_TRANSPORT_MESSAGE_HEADERS); }), -2147221233);
}

TEST_P(SafeMailContractTest, AnExchangeSenderIsReadByItsSmtpAddress) {
    world->addExchangeUser("J Smith", "j.smith@corp.example", "/o=Corp/ou=First/cn=Recipients/cn=jsmith");
    ArrivingMail mail;
    mail.senderName = "J Smith";
    mail.senderAddress = "j.smith@corp.example";
    mail.to = {"me@home.example"};
    mail.subject = "From inside";
    mail.body = "hello\r\n";
    auto safe = bound(item(world->deliver(mail)));
    EXPECT_EQ(safe->Fields(safemail::PR_SENDER_ADDRTYPE).text(), "EX");
    auto sender = safe->Sender();
    ASSERT_TRUE(sender);
    EXPECT_EQ(sender->Type(), "EX");
    EXPECT_EQ(lower(sender->Address()), "/o=corp/ou=first/cn=recipients/cn=jsmith");
    EXPECT_EQ(lower(sender->Fields(safemail::PR_SMTP_ADDRESS).text()), "j.smith@corp.example");
    EXPECT_EQ(safe->SenderName(), "J Smith");
}

TEST_P(SafeMailContractTest, WrongProgIdsAndUnboundItemsRaise) {
    for (const char* wrong : {"Redemption.SafeMailItem", "TarnwickRedemption.NoSuchClass"})
        EXPECT_EQ(errorOf([&] { world->safeMail().CreateSafeMailItem(wrong); }), 429) << wrong;
    auto safe = world->safeMail().CreateSafeMailItem(kSafeMailItem);
    EXPECT_NE(errorOf([&] { safe->Sender(); }), 0);
    EXPECT_NE(errorOf([&] { safe->Body(); }), 0);
    auto table = world->safeMail().CreateMAPITable(kMAPITable);
    EXPECT_NE(errorOf([&] { table->Filter().SetKind(4); }), 0);
}

TEST_P(SafeMailContractTest, TheTableWalksTheRowsItsReadFlagRestrictionLetsThroughBothWays) {
    std::vector<std::string> ids;
    for (int i = 0; i < 6; ++i) {
        ArrivingMail mail;
        mail.senderAddress = "s" + std::to_string(i) + "@senders.example";
        mail.to = {"me@home.example"};
        mail.subject = "Message " + std::to_string(i);
        mail.body = "hello\r\n";
        mail.unread = i % 3 != 1;  // 1 and 4 are read
        ids.push_back(world->deliver(mail));
    }
    auto inbox = folder(outlook::olFolderInbox);
    auto table = world->safeMail().CreateMAPITable(kMAPITable);
    table->setItem(inbox->Items());
    table->Filter().Clear();
    auto& restriction = table->Filter().SetKind(safemail::RES_BITMASK);
    restriction.relBMR = safemail::BMR_EQZ;
    restriction.ulPropTag = safemail::PR_MESSAGE_FLAGS;
    restriction.ulMask = safemail::MSGFLAG_READ;
    table->setColumns({safemail::PR_SUBJECT, safemail::PR_ENTRYID, safemail::PR_LONGTERM_ENTRYID_FROM_TABLE, 0x12340003});
    EXPECT_EQ(table->RowCount(), 4) << "the count before the walk, for its progress, already obeys the filter";

    auto hex = [](const std::string& bytes) {
        static const char* digits = "0123456789ABCDEF";
        std::string out;
        for (unsigned char c : bytes) out += {digits[c >> 4], digits[c & 15]};
        return out;
    };
    std::vector<std::string> unread;
    for (bool found = table->FindFirst(true); found; found = table->FindNext(true)) {
        auto row = table->GetRow();
        ASSERT_EQ(row.size(), 4u);
        EXPECT_TRUE(row[3].isError());
        EXPECT_EQ(hex(row[2].text()), hex(row[1].text()));
        EXPECT_EQ(item(hex(row[1].text()))->Subject(), row[0].text());
        unread.push_back(lower(hex(row[1].text())));
    }
    std::vector<std::string> expected;
    for (int i : {0, 2, 3, 5}) expected.push_back(lower(ids[static_cast<size_t>(i)]));
    EXPECT_EQ(unread, expected);
    EXPECT_EQ(table->RowCount(), 4);

    ASSERT_TRUE(table->FindFirst(false));
    EXPECT_EQ(table->GetRow()[0].text(), "Message 5");
    ASSERT_TRUE(table->FindNext(false));
    EXPECT_EQ(table->GetRow()[0].text(), "Message 3");

    restriction.relBMR = safemail::BMR_NEZ;
    ASSERT_TRUE(table->FindFirst(true));
    EXPECT_EQ(table->GetRow()[0].text(), "Message 1");
    EXPECT_EQ(table->RowCount(), 2);

    table->Filter().Clear();
    ASSERT_TRUE(table->FindFirst(true));
    table->GoToFirst();
    EXPECT_EQ(table->GetRows(4).size(), 4u);
    EXPECT_EQ(table->GetRows(4).size(), 2u);
    EXPECT_TRUE(table->GetRows(4).empty());
}

TEST_P(SafeMailContractTest, AReportWaitsInTheOutboxUntilDeliveredNow) {
    auto report = world->application()->CreateItem(outlook::olMailItem);
    auto safe = bound(report);
    safe->setBody("==BEGIN MESSAGE HEADER 0\r\nheaders\r\n== END MESSAGE HEADER 0\r\n");
    EXPECT_EQ(safe->Body().rfind("==BEGIN MESSAGE HEADER 0", 0), 0u);
    safe->Recipients()->Add("Spam Desk <spam@reports.example>");
    ASSERT_EQ(safe->Recipients()->Count(), 1);
    EXPECT_EQ(lower(safe->Recipients()->Item(1)->AddressEntry()->Address()), "spam@reports.example");
    safe->Send();

    auto outbox = folder(outlook::olFolderOutbox);
    auto sent = folder(outlook::olFolderSentMail);
    ASSERT_EQ(outbox->Items()->Count(), 1);
    const int sentBefore = sent->Items()->Count();
    utils().DeliverNow(0, 0);
    world->settle();
    EXPECT_EQ(outbox->Items()->Count(), 0);
    EXPECT_EQ(sent->Items()->Count(), sentBefore + 1);

    // Without recipients nothing goes.
    auto empty = bound(world->application()->CreateItem(outlook::olMailItem));
    EXPECT_NE(errorOf([&] { empty->Send(); }), 0);
    EXPECT_EQ(outbox->Items()->Count(), 0);
}

}  // namespace tw::contract
