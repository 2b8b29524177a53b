// The safe mail access library of the sim: safe mail items, address entries, MAPI utilities,
// the MAPI table, and sending through the Outbox.
#include <gtest/gtest.h>

#include "core/Error.h"
#include "sim/MimeMessage.h"
#include "sim/SimSafeMail.h"
#include "support/MailStoreFixture.h"

namespace tw::test {
namespace {

using safemail::PropValue;

std::string hexOf(const std::string& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

struct SafeMailFixture : MailStoreFixture {
    SafeMailFixture() : safeMail(&open()) {}
    std::shared_ptr<safemail::SafeMailItem> bound(std::shared_ptr<outlook::Item> item) {
        auto safe = safeMail.CreateSafeMailItem("TarnwickRedemption.TarnwickSafeMailItem");
        safe->setItem(std::move(item));
        return safe;
    }
    sim::SimSafeMail safeMail;
};

TEST(SafeMail, ARealMessageAnswersWithItsSenderRecipientsHeadersAndBodies) {
    SafeMailFixture f;
    auto item = f.client->deliverMessage(simDataFile("ham-to-and-cc.eml"));
    auto safe = f.bound(item);
    EXPECT_EQ(safe->Fields(safemail::PR_SENDER_ADDRTYPE).text(), "SMTP");
    auto sender = safe->Sender();
    ASSERT_TRUE(sender);
    EXPECT_EQ(sender->Type(), "SMTP");
    EXPECT_EQ(sender->Address(), "quinlan@pathname.com");
    EXPECT_TRUE(sender->Fields(safemail::PR_SMTP_ADDRESS).isEmpty());
    EXPECT_EQ(safe->SenderName(), "Daniel Quinlan");
    auto recipients = safe->Recipients();
    ASSERT_EQ(recipients->Count(), 3);
    EXPECT_EQ(recipients->Item(2)->AddressEntry()->Address(), "craig@deersoft.com");
    EXPECT_EQ(recipients->Item(3)->Type(), outlook::olCC);
    EXPECT_EQ(safe->HTMLBody(), "");
    EXPECT_EQ(safe->Body().rfind("I won't be reading email", 0), 0u);

    auto utils = f.safeMail.CreateMAPIUtils("TarnwickRedemption.TarnwickMAPIUtils");
    std::string headers = utils->HrGetOneProp(*item, safemail::PR_TRANSPORT_MESSAGE_HEADERS).text();
    EXPECT_EQ(headers, sim::parseHeaders(simDataFile("ham-to-and-cc.eml")).transportHeaders);
    EXPECT_EQ(headers.rfind("Return-Path: <quinlan@pathname.com>\r\nDelivered-To:", 0), 0u);

    // The object model reads the same message the same way.
    EXPECT_EQ(item->SenderName(), "Daniel Quinlan");
    EXPECT_EQ(item->Recipients()->Item(1)->AddressEntry()->Type(), "SMTP");
    EXPECT_EQ(item->MessageClass(), "IPM.Note");
    safe.reset();
    EXPECT_EQ(f.safeMail.safeMailItemsAlive(), 0);
}

TEST(SafeMail, ExchangeUsersAreEXEntriesWithTheirSmtpAddressAndSurviveARestart) {
    SafeMailFixture f;
    f.client->addExchangeUser("Quinlan@Pathname.com", "/o=Pathname/ou=First/cn=Recipients/cn=quinlan");
    auto item = f.client->deliverMessage(simDataFile("ham-to-and-cc.eml"));
    const std::string id = item->EntryID();
    auto check = [&](sim::SimMailClient& client) {
        f.safeMail.setClient(&client);
        auto safe = f.bound(client.findItem(id, ""));
        EXPECT_EQ(safe->Fields(safemail::PR_SENDER_ADDRTYPE).text(), "EX");
        auto sender = safe->Sender();
        EXPECT_EQ(sender->Type(), "EX");
        EXPECT_EQ(sender->Address(), "/o=Pathname/ou=First/cn=Recipients/cn=quinlan");
        EXPECT_EQ(sender->Fields(safemail::PR_SMTP_ADDRESS).text(), "quinlan@pathname.com");
        // The Cc recipient is the same user; the others stay Internet addresses.
        auto recipients = safe->Recipients();
        EXPECT_EQ(recipients->Item(3)->AddressEntry()->Type(), "EX");
        EXPECT_EQ(recipients->Item(1)->AddressEntry()->Type(), "SMTP");
    };
    check(*f.client);
    check(f.restart());
}

TEST(SafeMail, WrongProgIdsMissingPropertiesAndUnboundItemsRaise) {
    SafeMailFixture f;
    for (const char* wrong : {"Redemption.SafeMailItem", "TarnwickRedemption.TarnwickMAPIUtils", ""}) {
        try {
            f.safeMail.CreateSafeMailItem(wrong);
            ADD_FAILURE() << wrong;
        } catch (const Error& e) {
            EXPECT_EQ(e.number(), 429);
        }
    }
    EXPECT_THROW(f.safeMail.CreateMAPITable("TarnwickRedemption.TarnwickSafeMailItem"), Error);
    f.safeMail.faults().failNext("CreateMAPIUtils");
    EXPECT_THROW(f.safeMail.CreateMAPIUtils(sim::SimSafeMail::kMAPIUtils), Error);

    auto safe = f.safeMail.CreateSafeMailItem(sim::SimSafeMail::kSafeMailItem);
    EXPECT_THROW(safe->Sender(), Error);

    // A message written here has no transport headers and no sender entry until it is sent.
    auto draft = f.client->application()->CreateItem(outlook::olMailItem);
    auto utils = f.safeMail.CreateMAPIUtils(sim::SimSafeMail::kMAPIUtils);
    try {
        utils->HrGetOneProp(*draft, safemail::PR_TRANSPORT_MESSAGE_HEADERS);
        ADD_FAILURE();
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), -2147221233);
    }
    auto received = f.client->deliverMessage(simDataFile("spam-koi8r.eml"));
    f.safeMail.faults().failNext("HrGetOneProp:" + received->EntryID());
    EXPECT_THROW(utils->HrGetOneProp(*received, safemail::PR_TRANSPORT_MESSAGE_HEADERS), Error);
    EXPECT_FALSE(utils->HrGetOneProp(*received, safemail::PR_TRANSPORT_MESSAGE_HEADERS).text().empty());
}

TEST(SafeMail, TheTableRestrictsRowsByTheReadFlagAndAnswersTheirColumns) {
    SafeMailFixture f;
    std::vector<std::shared_ptr<sim::SimItem>> items;
    for (const char* name : {"ham-to-and-cc.eml", "spam-alternative-qp.eml", "spam-koi8r.eml", "spam-big5-html.eml"})
        items.push_back(f.client->deliverMessage(simDataFile(name)));
    items[1]->setUnRead(false);
    auto table = f.safeMail.CreateMAPITable(sim::SimSafeMail::kMAPITable);
    table->setItem(f.client->inbox()->Items());
    table->Filter().Clear();
    auto& restriction = table->Filter().SetKind(safemail::RES_BITMASK);
    restriction.relBMR = safemail::BMR_EQZ;
    restriction.ulPropTag = safemail::PR_MESSAGE_FLAGS;
    restriction.ulMask = safemail::MSGFLAG_READ;
    table->setColumns({safemail::PR_SUBJECT, safemail::PR_ENTRYID, safemail::PR_LONGTERM_ENTRYID_FROM_TABLE, 0x12340003});
    EXPECT_EQ(table->RowCount(), 3);

    std::vector<std::string> unread;
    for (bool found = table->FindFirst(true); found; found = table->FindNext(true)) {
        auto row = table->GetRow();
        ASSERT_EQ(row.size(), 4u);
        EXPECT_TRUE(row[3].isError());
        std::string id = hexOf(row[2].text());
        EXPECT_EQ(id, hexOf(row[1].text()));
        // The identifier fetches the message, as the scan does.
        auto message = f.client->nameSpace()->GetItemFromID(id, f.client->inbox()->StoreID());
        EXPECT_EQ(message->Subject(), row[0].text());
        unread.push_back(id);
        // Reading a later message while walking drops it from the walk.
        if (unread.size() == 1) items[3]->setUnRead(false);
    }
    EXPECT_EQ(unread, (std::vector<std::string>{items[0]->EntryID(), items[2]->EntryID()}));

    restriction.relBMR = safemail::BMR_NEZ;
    EXPECT_EQ(table->RowCount(), 2);
    table->Filter().Clear();
    table->GoToFirst();
    EXPECT_EQ(table->GetRows(3).size(), 3u);
    EXPECT_EQ(table->GetRows(3).size(), 1u);
    EXPECT_TRUE(table->GetRows(3).empty());
    EXPECT_THROW(table->Filter().SetKind(4), Error);
}

TEST(SafeMail, AReportWaitsInTheOutboxUntilDeliveredAndKeepsItsAttachment) {
    SafeMailFixture f;
    auto reported = f.client->deliverMessage(simDataFile("spam-alternative-qp.eml"));
    auto report = f.client->application()->CreateItem(outlook::olMailItem);
    report->Attachments()->Add(reported, outlook::olEmbeddeditem);
    auto safe = f.bound(report);
    safe->setBody("==BEGIN MESSAGE HEADER 0\r\nheaders\r\n== END MESSAGE HEADER 0\r\n");
    safe->Recipients()->Add("spam@reports.example");
    safe->Send();

    auto outbox = f.client->defaultFolder(outlook::olFolderOutbox);
    ASSERT_EQ(outbox->Items()->Count(), 1);
    auto utils = f.safeMail.CreateMAPIUtils(sim::SimSafeMail::kMAPIUtils);
    EXPECT_EQ(utils->HrGetOneProp(*report, safemail::PR_MESSAGE_FLAGS).number() & safemail::MSGFLAG_SUBMIT,
              static_cast<int32_t>(safemail::MSGFLAG_SUBMIT));
    int sentAdded = 0;
    auto sub = f.client->defaultFolder(outlook::olFolderSentMail)->Items()->ItemAdd().connect([&](auto) { ++sentAdded; });
    utils->DeliverNow(0, 0);
    EXPECT_EQ(outbox->Items()->Count(), 0);
    EXPECT_EQ(sentAdded, 1);
    ASSERT_EQ(f.client->sentMessages().size(), 1u);
    auto bodies = sim::parseBodies(f.client->sentMessages()[0]);
    EXPECT_EQ(bodies.plain.rfind("==BEGIN MESSAGE HEADER 0", 0), 0u);
    ASSERT_EQ(bodies.attachments.size(), 1u);
    EXPECT_NE(bodies.attachments[0].content.find("Join the Web's Hottest"), std::string::npos);

    // After a restart the sent report is in Sent Items with its attachment, written by the user.
    const std::string id = report->EntryID();
    auto& again = f.restart();
    auto sent = again.findItem(id, "");
    ASSERT_TRUE(sent);
    EXPECT_EQ(sent->Parent()->Name(), "Sent Items");
    EXPECT_EQ(sent->Attachments()->Count(), 1);
    EXPECT_EQ(sent->Recipients()->Item(1)->Address(), "spam@reports.example");
    EXPECT_FALSE(sent->hasTransportHeaders());
}

TEST(SafeMail, AMessageWithoutRecipientsIsNotSent) {
    SafeMailFixture f;
    auto draft = f.client->application()->CreateItem(outlook::olMailItem);
    EXPECT_THROW(draft->Send(), Error);
    EXPECT_EQ(f.client->defaultFolder(outlook::olFolderOutbox)->Items()->Count(), 0);
}

}  // namespace
}  // namespace tw::test
