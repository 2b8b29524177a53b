// Importing the profile's other address books into the approved senders through the import dialog.
#include <gtest/gtest.h>

#include "core/StringTable.h"
#include "core/Text.h"
#include "senders/SendersFixture.h"
#include "senders/frmImportAddresses.h"

namespace tw::test {
namespace {

sim::ResolvedAddress smtp(const std::string& address) { return {address, "SMTP", address, address}; }
sim::ResolvedAddress exchange(const std::string& dn, const std::string& address) { return {dn, "EX", dn, address}; }
sim::ResolvedAddress distributionList(const std::string& name) { return {name, "MAPIPDL", "", ""}; }

class AddressBookImport : public SendersFixture {
protected:
    senders::Senders& openLists(bool objectModel = false) {
        senders.reset();
        senders::SendersContext context{h.files, h.loop, h.library.ensureLog(), h.library.settings,
                                        settings::SettingsKey(h.registry), kFolder, h.client.nameSpace(), &content,
                                        engineapi::Bounce(engine, [this] { return engineHandle; })};
        context.safeMail = &h.safeMail;
        context.importThroughObjectModel = objectModel;
        senders = std::make_unique<senders::Senders>(std::move(context));
        return *senders;
    }

    /// Opens the dialog, selects the books at these places of its list and presses OK; the report shown.
    std::string importSelecting(const std::vector<size_t>& picks) {
        senders::frmImportAddresses form(*senders, h.ui, h.library.ensureLog());
        form.onListsChanged([this] { ++refreshes; });
        h.ui.onModal("frmImportAddresses", [&](platform::FormView& shown) {
            auto& list = (*shown.controls())["ImportList"];
            listed = list.items;
            for (size_t pick : picks) list.selected.at(pick) = true;
            shown.controls()->click("cmdOK");
        });
        form.Open();
        h.ui.onModal("frmImportAddresses", nullptr);
        return form.report();
    }

    static std::string many(int count, const std::string& book) {
        std::string line = text::fillPlaceholder(loadString(288), std::to_string(count));
        return line.replace(line.find("%2"), 2, book);
    }
    static std::string one(const std::string& book) { return text::fillPlaceholder(loadString(289), book); }

    std::vector<std::string> listed;
    int refreshes = 0;
};

TEST_F(AddressBookImport, AProfileWithOnlyItsContactsSaysSoAndShowsNoDialog) {
    h.client.addContact("Ann", {"ann@a.example"});
    openLists();
    bool shown = false;
    h.ui.onModal("frmImportAddresses", [&](platform::FormView&) { shown = true; });
    senders::frmImportAddresses form(*senders, h.ui, h.library.ensureLog());
    EXPECT_FALSE(form.Open());
    EXPECT_FALSE(shown);
    ASSERT_FALSE(h.ui.boxes.empty());
    EXPECT_EQ(h.ui.boxes.back().prompt, loadString(260));
    EXPECT_EQ(h.ui.boxes.back().title, loadString(261));
    EXPECT_TRUE(senders->getApprovedSenders().empty());
}

TEST_F(AddressBookImport, EachSelectedBookGetsALineCountingOnlyTheAddressesItNewlyApproved) {
    h.client.addAddressBook({"Friends", {smtp("Ann@A.example"), smtp("bob@b.example"), smtp("cy@c.example")}});
    h.client.addAddressBook({"Club", {smtp("bob@b.example"), smtp("ann@a.example")}});
    h.client.addAddressBook({"Solo", {smtp("dee@d.example"), smtp("dee@d.example")}});
    openLists();
    bool removed = false;
    senders->AddApprovedSenders({"bob@b.example"}, removed, false, {});

    std::string report = importSelecting({0, 1, 2});
    EXPECT_EQ(listed, (std::vector<std::string>{"Friends", "Club", "Solo"})) << "Contacts is not offered";
    EXPECT_EQ(report, "\r" + many(2, "Friends") + "\r" + many(0, "Club") + "\r" + one("Solo"));
    EXPECT_EQ(h.ui.boxes.back().prompt, report);
    EXPECT_EQ(h.ui.boxes.back().title, loadString(287));
    EXPECT_EQ(senders->getApprovedSenders(),
              (std::vector<std::string>{"ann@a.example", "bob@b.example", "cy@c.example", "dee@d.example"}));
    EXPECT_GE(refreshes, 1) << "the options dialog's lists are refreshed";
}

TEST_F(AddressBookImport, TheSafeReaderTakesADirectoryUsersSmtpAddressAndSkipsDistributionLists) {
    h.client.addAddressBook({"Company", {exchange("/o=Org/cn=jsmith", "J.Smith@Corp.example"),
                                         exchange("/o=Org/cn=nomail", ""), distributionList("All Staff"),
                                         smtp("pat@p.example")}});
    openLists();
    EXPECT_EQ(importSelecting({0}), "\r" + many(2, "Company"));
    EXPECT_EQ(senders->getApprovedSenders(), (std::vector<std::string>{"j.smith@corp.example", "pat@p.example"}));
}

TEST_F(AddressBookImport, TheObjectModelReaderSkipsDistributionListsToo) {
    h.client.addAddressBook({"Personal", {distributionList("Family"), smtp("pat@p.example")}});
    openLists(true);
    EXPECT_EQ(senders->ImportAddressBook({2, "Personal"}, true), 1);
    EXPECT_EQ(h.safeMail.created(sim::SimSafeMail::kAddressLists), 0) << "the object model was asked instead";
    EXPECT_EQ(senders->getApprovedSenders(), std::vector<std::string>{"pat@p.example"});
    EXPECT_EQ(senders->ImportAddressBook({2, "Personal"}, false), 0) << "nothing is imported unless approving";
    EXPECT_EQ(senders->ImportAddressBook({2, "Friends"}, true), senders::kImportMismatch)
        << "the book at that place is not the one chosen";
}

TEST_F(AddressBookImport, AnImportedAddressLeavesTheBlockedList) {
    h.client.addAddressBook({"Friends", {smtp("ann@a.example")}});
    openLists();
    bool removed = false;
    senders->AddBlockedSenders({"ann@a.example"}, removed, false, {});
    EXPECT_EQ(importSelecting({0}), "\r" + one("Friends"));
    EXPECT_TRUE(senders->getBlockedSenders().empty());
    EXPECT_EQ(file(senders::kBlockedFile).find("ann@a.example"), std::string::npos);
}

TEST_F(AddressBookImport, TwoBooksOfOneNameAreEachImportedAndReported) {
    h.client.addAddressBook({"Global Address List", {smtp("ann@a.example")}});
    h.client.addAddressBook({"Global Address List", {smtp("bob@b.example"), smtp("cy@c.example")}});
    openLists();
    EXPECT_EQ(importSelecting({1}), "\r" + many(2, "Global Address List")) << "the second book, not the first";
    EXPECT_EQ(senders->getApprovedSenders(), (std::vector<std::string>{"bob@b.example", "cy@c.example"}));

    EXPECT_EQ(importSelecting({0, 1}), "\r" + one("Global Address List") + "\r" + many(0, "Global Address List"));
}

TEST_F(AddressBookImport, TheLibrarysOwnOrderIsMatchedByNameAndABookItCannotTellApartIsRefused) {
    h.client.addAddressBook({"Global Address List", {smtp("everyone@corp.example"), smtp("boss@corp.example")}});
    h.client.addAddressBook({"Friends", {smtp("ann@a.example")}});
    h.client.addAddressBook({"Club", {smtp("bob@b.example")}});
    // The library lists Club, Contacts, the directory and Friends; the dialog shows the object model's order.
    h.client.setSafeAddressListOrder({4, 1, 2, 3});
    openLists();
    EXPECT_EQ(importSelecting({1, 2}), "\r" + one("Friends") + "\r" + one("Club"));
    EXPECT_EQ(listed, (std::vector<std::string>{"Global Address List", "Friends", "Club"}));
    EXPECT_EQ(senders->getApprovedSenders(), (std::vector<std::string>{"ann@a.example", "bob@b.example"}))
        << "not the directory that stands at Friends' place in the library's list";

    // Two books of one name, and the library lists only one of them: which one it is cannot be told.
    h.client.addAddressBook({"Friends", {smtp("cy@c.example")}});
    h.client.setSafeAddressListOrder({5, 1, 2, 3});
    std::string refused = text::fillPlaceholder(loadString(1101), "Friends");
    EXPECT_EQ(importSelecting({1, 3}), "\r" + refused + "\r" + refused);
    EXPECT_EQ(h.ui.boxes.back().prompt, "\r" + refused + "\r" + refused);
    EXPECT_EQ(senders->getApprovedSenders(), (std::vector<std::string>{"ann@a.example", "bob@b.example"}));

    // Books sharing a name are told apart by place alone, so the library must hold them where the client does.
    h.client.setSafeAddressListOrder({3, 1, 2, 4, 5});
    EXPECT_EQ(importSelecting({3}), "\r" + refused);
    h.client.setSafeAddressListOrder({1, 2, 3, 4, 5});
    EXPECT_EQ(importSelecting({3}), "\r" + one("Friends"));
    EXPECT_EQ(senders->getApprovedSenders(),
              (std::vector<std::string>{"ann@a.example", "bob@b.example", "cy@c.example"}));
}

TEST_F(AddressBookImport, ABookThatCannotBeReadIsReportedAsFailedAndTheOthersStillImport) {
    h.client.addAddressBook({"Server List", {smtp("ann@a.example")}});
    h.client.addAddressBook({"Friends", {smtp("bob@b.example")}});
    h.client.faults().failAlways("AddressEntries:Server List");
    openLists();
    std::string report = importSelecting({0, 1});
    EXPECT_EQ(report, "\r" + text::fillPlaceholder(loadString(1100), "Server List") + "\r" + one("Friends"));
    EXPECT_TRUE(loggedError("SImportAddressBook"));
    EXPECT_EQ(senders->getApprovedSenders(), std::vector<std::string>{"bob@b.example"});
}

TEST_F(AddressBookImport, WithoutTheSafeLibraryEveryBookIsReportedAsFailed) {
    h.client.addAddressBook({"Friends", {smtp("bob@b.example")}});
    h.safeMail.faults().failAlways("CreateAddressLists");
    openLists();
    EXPECT_EQ(importSelecting({0}), "\r" + text::fillPlaceholder(loadString(1100), "Friends"));
    EXPECT_TRUE(senders->getApprovedSenders().empty());
}

}  // namespace
}  // namespace tw::test
