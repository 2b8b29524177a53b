// The object-model port's contract: one suite that both the simulated client and the Windows
// adapter over the stand-in client pass, so the two keep one behaviour.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/Error.h"
#include "platform/Outlook.h"

namespace tw::contract {

/// A mail client with one store "Personal Folders" and its default folders, seen through the port,
/// and the hands of its user and its transport.
class OutlookWorld {
public:
    virtual ~OutlookWorld() = default;
    virtual std::shared_ptr<outlook::Application> application() = 0;
    /// A message arrives in the Inbox as the transport delivers it (ItemAdd); answers its entry id.
    virtual std::string deliver(const std::string& senderAddress, const std::string& subject) = 0;
    /// The user opens and closes a main window on the Inbox.
    virtual void openExplorer() = 0;
    virtual void closeLastExplorer() = 0;
    /// The user clicks the button with that Tag on a bar of the index-th open explorer (1-based).
    virtual void click(int explorer, const std::string& barName, const std::string& tag) = 0;
    /// The user opens a message by its entry id in a window of its own, and closes the last one opened.
    virtual void openInspector(const std::string& entryId) = 0;
    virtual void closeLastInspector() = 0;
    /// The user clicks the button with that Tag on a bar of the index-th open item window (1-based).
    virtual void clickInInspector(int inspector, const std::string& barName, const std::string& tag) = 0;
    /// The user sets the regional short date and time formats (put back when the world ends).
    virtual void setUserDateFormats(const std::string& shortDate, const std::string& time) = 0;
};

struct OutlookWorldFactory {
    std::string name;
    std::function<std::unique_ptr<OutlookWorld>()> make;
};

class OutlookContractTest : public ::testing::TestWithParam<OutlookWorldFactory> {
protected:
    void SetUp() override {
        world = GetParam().make();
        app = world->application();
        ns = app->GetNamespace("MAPI");
        inbox = ns->GetDefaultFolder(outlook::olFolderInbox);
    }

    std::unique_ptr<OutlookWorld> world;
    std::shared_ptr<outlook::Application> app;
    std::shared_ptr<outlook::NameSpace> ns;
    std::shared_ptr<outlook::Folder> inbox;
};

inline long errorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const Error& e) {
        return e.number() == 0 ? -1 : e.number();
    }
    return 0;
}

TEST_P(OutlookContractTest, DefaultFoldersSitInTheStoreAndNewFoldersAreFoundByName) {
    EXPECT_EQ(inbox->Name(), "Inbox");
    EXPECT_EQ(inbox->Class(), outlook::olFolder);
    EXPECT_FALSE(inbox->EntryID().empty());
    EXPECT_FALSE(inbox->StoreID().empty());
    EXPECT_EQ(ns->GetDefaultFolder(outlook::olFolderSentMail)->Name(), "Sent Items");

    auto root = inbox->Parent();
    EXPECT_EQ(root->Name(), "Personal Folders");
    EXPECT_NE(errorOf([&] { root->Parent(); }), 0) << "a store's top folder has no parent folder";
    EXPECT_EQ(ns->Folders()->Item(1)->Name(), "Personal Folders");

    auto made = root->Folders()->Add("Caught", outlook::olFolderMail);
    EXPECT_EQ(made->Name(), "Caught");
    EXPECT_EQ(root->Folders()->Item("Caught")->EntryID(), made->EntryID());
    EXPECT_EQ(made->Parent()->EntryID(), root->EntryID());
    EXPECT_NE(errorOf([&] { root->Folders()->Item("No Such Folder"); }), 0);
    EXPECT_EQ(ns->GetFolderFromID(made->EntryID(), made->StoreID())->Name(), "Caught");
}

TEST_P(OutlookContractTest, FiltersFindRestrictAndQuoteTheirTexts) {
    world->deliver("ann@a.example", "first");
    world->deliver("bob@b.example", "o'clock");
    world->deliver("cy@c.example", "first");
    auto items = inbox->Items();
    ASSERT_EQ(items->Count(), 3);

    auto found = items->Find("[Subject] = 'first'");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->Subject(), "first");
    auto next = items->FindNext();
    ASSERT_TRUE(next);
    EXPECT_NE(next->EntryID(), found->EntryID());
    EXPECT_FALSE(items->FindNext());

    auto quoted = items->Find("[Subject] = " + outlook::quoteFilterText("o'clock"));
    ASSERT_TRUE(quoted);
    EXPECT_EQ(quoted->Subject(), "o'clock");

    found->setUnRead(false);
    found->Save();
    EXPECT_EQ(items->Restrict("[UnRead] = True")->Count(), 2);
    EXPECT_EQ(items->Restrict("[UnRead] = False")->Count(), 1);
    EXPECT_NE(errorOf([&] { items->Find("[Subject] = 'unclosed"); }), 0) << "a malformed filter raises";
}

TEST_P(OutlookContractTest, UserPropertiesKeepTheirValuesAndTakePartInFilters) {
    const std::string id = world->deliver("ann@a.example", "marked");
    world->deliver("bob@b.example", "unmarked");
    auto item = ns->GetItemFromID(id, inbox->StoreID());
    ASSERT_TRUE(item);
    EXPECT_FALSE(item->UserProperties()->Find("tarnwickd"));

    auto property = item->UserProperties()->Add("tarnwickd", outlook::olText, true);
    property->setValue(std::string("checked"));
    item->Save();

    auto again = ns->GetItemFromID(id, inbox->StoreID());
    auto stored = again->UserProperties()->Find("tarnwickd");
    ASSERT_TRUE(stored);
    EXPECT_EQ(std::get<std::string>(stored->Value()), "checked");
    EXPECT_EQ(stored->Type(), outlook::olText);

    auto checked = inbox->Items()->Restrict("[tarnwickd] <> ''");
    ASSERT_EQ(checked->Count(), 1);
    EXPECT_EQ(checked->Item(1)->Subject(), "marked");
    EXPECT_EQ(inbox->Items()->Restrict("[tarnwickd] = ''")->Count(), 0)
        << "a message without the property matches neither '=' nor '<>'";
    EXPECT_NE(errorOf([&] { ns->GetItemFromID("00DEADBEEF", inbox->StoreID()); }), 0);
}

TEST_P(OutlookContractTest, FiltersRefuseAUserFieldTheFolderDoesNotKnow) {
    const std::string id = world->deliver("ann@a.example", "kept out");
    auto items = inbox->Items();
    EXPECT_NE(errorOf([&] { items->Find("[tarnwickd] = ''"); }), 0) << "no item gave the folder this field";
    auto item = ns->GetItemFromID(id, inbox->StoreID());
    item->UserProperties()->Add("tarnwickd", outlook::olText, false)->setValue(std::string("x"));
    item->Save();
    EXPECT_NE(errorOf([&] { items->Restrict("[UnRead] = True AND [tarnwickd] <> ''"); }), 0)
        << "a property kept out of the folder's fields is still unknown to its filters";
    item->UserProperties()->Add("tarnwickd", outlook::olText, true);
    item->Save();
    EXPECT_EQ(items->Restrict("[UnRead] = True AND [tarnwickd] <> ''")->Count(), 1);
}

TEST_P(OutlookContractTest, FilterDatesAreReadInTheUsersShortDateAndTime) {
    world->deliver("ann@a.example", "dated");
    world->setUserDateFormats("dd.MM.yyyy", "HH:mm:ss");
    auto items = inbox->Items();
    const OleDate dayBefore = items->Item(1)->CreationTime().plusDays(-1);
    const DateLocale dayFirst{"dd.MM.yyyy", "HH:mm:ss", "", "", false};
    EXPECT_EQ(items->Restrict("[CreationTime] >= '" + dayBefore.toLocaleText(dayFirst) + "'")->Count(), 1);
    EXPECT_EQ(items->Restrict("[CreationTime] < '" + dayBefore.toLocaleText(dayFirst) + "'")->Count(), 0);
    EXPECT_NE(errorOf([&] { items->Find("[CreationTime] >= '" + dayBefore.toFilterText() + "'"); }), 0)
        << "a month name where the locale writes none";
    EXPECT_NE(errorOf([&] { items->Find("[CreationTime] >= '" + dayBefore.toLocaleText(DateLocale{}) + "'"); }), 0)
        << "a date in another order and with other separators";
}

TEST_P(OutlookContractTest, NewItemsReachSubscribersUntilTheyLetGoAndMoveAnswersTheMovedItem) {
    auto items = inbox->Items();
    std::vector<std::string> arrived;
    Subscription subscription = items->ItemAdd().connect([&](std::shared_ptr<outlook::Item> item) {
        arrived.push_back(item->Subject());
    });
    world->deliver("ann@a.example", "one");
    ASSERT_EQ(arrived, std::vector<std::string>{"one"});

    auto junk = inbox->Parent()->Folders()->Add("Junk Here", outlook::olFolderMail);
    auto junkItems = junk->Items();
    int movedIn = 0;
    Subscription junkSubscription = junkItems->ItemAdd().connect([&](std::shared_ptr<outlook::Item>) { ++movedIn; });
    auto moved = items->Item(1)->Move(*junk);
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved->Subject(), "one");
    EXPECT_EQ(moved->Parent()->EntryID(), junk->EntryID());
    EXPECT_EQ(inbox->Items()->Count(), 0);
    EXPECT_EQ(movedIn, 1);

    subscription.reset();
    world->deliver("bob@b.example", "two");
    EXPECT_EQ(arrived.size(), 1u) << "a subscription let go still hears new mail";
}

TEST_P(OutlookContractTest, AClosingExplorerStillCountsWhileItsCloseRuns) {
    auto explorers = app->Explorers();
    std::shared_ptr<outlook::Explorer> opened;
    Subscription onNew = explorers->NewExplorer().connect([&](std::shared_ptr<outlook::Explorer> e) { opened = e; });
    world->openExplorer();
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->CurrentFolder()->Name(), "Inbox");
    EXPECT_EQ(app->Explorers()->Count(), 1);
    ASSERT_TRUE(app->ActiveExplorer());

    int countDuringClose = -1;
    Subscription onClose = opened->Close().connect([&] { countDuringClose = app->Explorers()->Count(); });
    world->closeLastExplorer();
    EXPECT_EQ(countDuringClose, 1);
    EXPECT_EQ(app->Explorers()->Count(), 0);
    EXPECT_FALSE(app->ActiveExplorer());
}

TEST_P(OutlookContractTest, AnItemWindowOpensAfterItsItemAndClosesAfterIt) {
    const std::string id = world->deliver("ann@a.example", "shown");
    std::vector<std::string> heard;
    std::shared_ptr<outlook::Inspector> window;
    std::shared_ptr<outlook::Item> item;
    std::vector<Subscription> listening;
    int windowsDuringItemClose = -1;
    auto inspectors = app->Inspectors();
    Subscription onNew = inspectors->NewInspector().connect([&](std::shared_ptr<outlook::Inspector> opened) {
        heard.push_back("NewInspector");
        window = opened;
        item = opened->CurrentItem();
        auto& events = item->Events();
        listening.push_back(events.Read().connect([&] { heard.push_back("Read"); }));
        listening.push_back(events.Open().connect([&] { heard.push_back("Open"); }));
        listening.push_back(events.Close().connect([&] {
            heard.push_back("item Close");
            windowsDuringItemClose = app->Inspectors()->Count();
        }));
        listening.push_back(opened->Activate().connect([&] { heard.push_back("Activate"); }));
        listening.push_back(opened->Close().connect([&] { heard.push_back("window Close"); }));
    });

    world->openInspector(id);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->Subject(), "shown");
    EXPECT_EQ(heard, (std::vector<std::string>{"NewInspector", "Read", "Open", "Activate"}));

    world->closeLastInspector();
    EXPECT_EQ(heard, (std::vector<std::string>{"NewInspector", "Read", "Open", "Activate", "item Close", "window Close"}));
    EXPECT_EQ(windowsDuringItemClose, 1) << "the window must still count while its item closes";
    EXPECT_EQ(app->Inspectors()->Count(), 0);
}

TEST_P(OutlookContractTest, SendingAMessageRaisesItsSendOnlyWhenItGoes) {
    auto draft = app->CreateItem(outlook::olMailItem);
    draft->setSubject("going");
    int sends = 0;
    Subscription onSend = draft->Events().Send().connect([&] { ++sends; });
    EXPECT_NE(errorOf([&] { draft->Send(); }), 0) << "a message without recipients cannot go";
    EXPECT_EQ(sends, 0);

    draft->Recipients()->Add("bob@b.example");
    draft->Send();
    EXPECT_EQ(sends, 1);
    EXPECT_EQ(ns->GetDefaultFolder(outlook::olFolderOutbox)->Items()->Count(), 1);
}

}  // namespace tw::contract
