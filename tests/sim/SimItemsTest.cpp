// The simulated client's collections and items: Find/FindNext while the walk changes the folder,
// Restrict, Sort, selection, and failures that leave the store as it was.
#include <gtest/gtest.h>

#include "core/Error.h"
#include "support/MailStoreFixture.h"

namespace tw::test {
namespace {

namespace fs = std::filesystem;

std::shared_ptr<sim::SimItem> deliverText(sim::SimMailClient& client, const std::string& subject, const std::string& date) {
    return client.deliverMessage("From: someone@x.example\r\nTo: me@y.example\r\nSubject: " + subject + "\r\nDate: " + date +
                                 "\r\n\r\nbody of " + subject + "\r\n");
}

TEST(SimItems, FindNextVisitsEachMatchOnceWhileTheWalkMarksAndMovesMessages) {
    MailStoreFixture f;
    auto& client = f.open();
    for (int i = 0; i < 5; ++i) deliverText(client, "m" + std::to_string(i), "Sun, 8 Sep 2002 10:0" + std::to_string(i) + ":00 +0000");
    client.inbox()->simItems()->all()[2]->setUnRead(false);
    auto junk = client.inbox()->subfolder("Junk");
    auto items = client.inbox()->Items();
    const std::string filter = "[CreationTime] >= '" +
                               client.clock().now().plusDays(-1.0 / 24).toLocaleText(client.clock().userDateFormats()) +
                               "' AND [Unread]=True";
    std::vector<std::string> seen;
    for (auto item = items->Find(filter); item; item = items->FindNext()) {
        seen.push_back(item->Subject());
        item->UserProperties()->Add("tarnwickd", outlook::olDateTime)->setValue(client.clock().now());
        item->Save();
        if (item->Subject() == "m1") item->Move(*junk);  // as spam leaves the folder
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"m0", "m1", "m3", "m4"}));
    EXPECT_FALSE(items->Find(filter + " AND [tarnwickd] = ''"));
    EXPECT_EQ(items->Restrict("[tarnwickd] <> ''")->Count(), 3);
    EXPECT_EQ(items->Restrict("[Unread] = False")->Count(), 1);
    EXPECT_FALSE(items->FindNext());
}

TEST(SimItems, SortOrdersIndexingAndWalks) {
    sim::SimEventLoop clock(OleDate::fromCivil({2026, 12, 8, 9, 0, 0}));
    sim::SimMailClient client(clock);
    deliverText(client, "b", "Sun, 8 Sep 2002 10:00:00 +0000");
    deliverText(client, "c", "Sun, 8 Sep 2002 09:00:00 +0000");
    deliverText(client, "a", "Sun, 8 Sep 2002 11:00:00 +0000");
    auto items = client.inbox()->Items();
    items->Sort("[ReceivedTime]", true);
    EXPECT_EQ(items->Item(1)->Subject(), "a");
    EXPECT_EQ(items->Item(3)->Subject(), "c");
    items->Sort("Subject", false);
    std::string order;
    for (auto item = items->GetFirst(); item; item = items->GetNext()) order += item->Subject();
    EXPECT_EQ(order, "abc");
    // A message that arrives later takes its place in the order.
    deliverText(client, "aa", "Sun, 8 Sep 2002 08:00:00 +0000");
    EXPECT_EQ(items->Item(2)->Subject(), "aa");
    EXPECT_THROW(items->Item(5), Error);
}

TEST(SimItems, SelectionFolderKindsAndNewItems) {
    sim::SimEventLoop clock(OleDate::fromCivil({2026, 12, 8, 9, 0, 0}));
    sim::SimMailClient client(clock);
    auto explorer = client.openExplorer();
    EXPECT_EQ(explorer->Selection()->Count(), 0);
    auto first = client.deliver("first");
    auto request = client.deliverMessage(
        "From: boss@x.example\r\nSubject: Meeting\r\nContent-Class: urn:content-classes:calendarmessage\r\n"
        "Content-Type: text/calendar; method=REQUEST\r\n\r\nBEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n");
    int changes = 0;
    auto sub = explorer->SelectionChange().connect([&] { ++changes; });
    explorer->select({request, first});
    EXPECT_EQ(changes, 1);
    ASSERT_EQ(explorer->Selection()->Count(), 2);
    EXPECT_EQ(explorer->Selection()->Item(1)->Class(), outlook::olMeetingRequest);
    EXPECT_EQ(explorer->Selection()->Item(2)->Class(), outlook::olMail);
    explorer->switchTo(client.defaultFolder(outlook::olFolderCalendar));
    EXPECT_EQ(explorer->Selection()->Count(), 0);
    EXPECT_EQ(explorer->CurrentFolder()->DefaultItemType(), outlook::olAppointmentItem);
    EXPECT_EQ(client.inbox()->DefaultItemType(), outlook::olMailItem);
    EXPECT_EQ(client.inbox()->Class(), outlook::olFolder);

    auto contact = client.application()->CreateItem(outlook::olContactItem);
    EXPECT_EQ(contact->Class(), outlook::olContact);
    EXPECT_THROW(first->Email1Address(), Error);
    auto draft = client.application()->CreateItem(outlook::olMailItem);
    EXPECT_THROW(draft->Parent(), Error);
    draft->Save();
    EXPECT_EQ(draft->Parent()->Name(), "Drafts");
    EXPECT_THROW(client.application()->CreateItem(99), Error);
}

TEST(SimItems, AFailedSaveOrMoveChangesNothing) {
    MailStoreFixture f;
    auto& client = f.open();
    auto item = deliverText(client, "keep", "Sun, 8 Sep 2002 10:00:00 +0000");
    auto junk = client.inbox()->subfolder("Junk");

    client.faults().failNext("Save:" + item->EntryID());
    item->UserProperties()->Add("tarnwickd", outlook::olDateTime)->setValue(client.clock().now());
    try {
        item->Save();
        ADD_FAILURE();
    } catch (const Error& e) {
        EXPECT_NE(e.description().find("has been changed"), std::string::npos);
    }
    client.faults().failNext("Move");
    EXPECT_THROW(item->Move(*junk), Error);
    EXPECT_EQ(item->Parent()->Name(), "Inbox");
    EXPECT_EQ(junk->Items()->Count(), 0);

    // A received message keeps its text: changing it and saving is refused, not silently lost.
    item->setSubject("changed");
    EXPECT_THROW(item->Save(), Error);

    auto& again = f.restart();
    auto reloaded = again.findItem(item->EntryID(), "");
    EXPECT_EQ(reloaded->Subject(), "keep");
    EXPECT_FALSE(reloaded->UserProperties()->Find("tarnwickd"));
    EXPECT_EQ(reloaded->Parent()->Name(), "Inbox");
    again.faults().failNext("GetItemFromID");
    EXPECT_THROW(again.nameSpace()->GetItemFromID("00000000A5F0FFFFFFFFFFFF", ""), Error);
}

TEST(SimItems, UserPropertiesCheckTheirTypes) {
    sim::SimEventLoop clock(OleDate::fromCivil({2026, 12, 8, 9, 0, 0}));
    sim::SimMailClient client(clock);
    auto item = client.deliver("x");
    auto props = item->UserProperties();
    EXPECT_FALSE(props->Find("tarnwickd"));
    auto marker = props->Add("tarnwickd", outlook::olDateTime);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(marker->Value()));
    EXPECT_EQ(props->Add("TarnwickD", outlook::olDateTime)->Name(), "tarnwickd");
    EXPECT_THROW(props->Add("tarnwickd", outlook::olText), Error);
    EXPECT_THROW(marker->setValue(std::string("soon")), Error);
    marker->setValue(46364.5);
    EXPECT_EQ(std::get<OleDate>(marker->Value()), OleDate(46364.5));
    EXPECT_EQ(props->Count(), 1);
}

TEST(SimItems, FiltersNameOnlyFolderFieldsAndReadDatesInTheUsersFormat) {
    sim::SimEventLoop clock(OleDate::fromCivil({2026, 12, 10, 3, 58, 0}));
    sim::SimMailClient client(clock);
    auto first = client.deliver("first");
    auto second = client.deliver("second");
    auto items = client.inbox()->Items();
    EXPECT_THROW(items->Find("[tarnwickd] = ''"), Error) << "no item added the field to the folder";
    first->UserProperties()->Add("tarnwickd", outlook::olDateTime, false)->setValue(clock.now());
    try {
        items->Restrict("[Unread] = True AND [tarnwickd] <> ''");
        ADD_FAILURE() << "a property kept out of the folder's fields was accepted";
    } catch (const Error& e) {
        EXPECT_EQ(e.description(), "The property \"tarnwickd\" in the condition is unknown.");
    }
    second->UserProperties()->Add("TarnwickD", outlook::olDateTime, true);
    EXPECT_EQ(items->Restrict("[tarnwickd] <> ''")->Count(), 1);
    EXPECT_EQ(items->Restrict("[Unread] = True")->Restrict("[tarnwickd] = ''")->Count(), 0)
        << "a view belongs to the folder and knows its fields; an unset property matches nothing";

    clock.setUserDateFormats({"dd.MM.yyyy", "HH:mm:ss", "", "", false});
    EXPECT_EQ(items->Restrict("[CreationTime] >= '10.12.2026 03:58'")->Count(), 2);
    EXPECT_EQ(items->Restrict("[CreationTime] >= '12.10.2026 03:58'")->Count(), 2);
    EXPECT_EQ(items->Restrict("[CreationTime] < '12.10.2026 03:58'")->Count(), 0) << "the twelfth of October";
    EXPECT_THROW(items->Find("[CreationTime] >= 'Dec 10 2026 03:58'"), Error);
}

}  // namespace
}  // namespace tw::test
