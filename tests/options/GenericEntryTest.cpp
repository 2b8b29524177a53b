// The IP and blacklist server pages: the servers in use are ticked, renaming keeps a server in use and never loses an entry.
#include <gtest/gtest.h>

#include "options/OptionsFixture.h"
#include "options/frmGenericEntry.h"

namespace tw::test {
namespace {

class GenericEntry : public OptionsFixture {
protected:
    void answerEntry(const std::string& entry) {
        h.ui.onModal("frmGenericEntry", [this, entry](platform::FormView& view) {
            (*view.controls())["txtEntry"].text = entry;
            view.controls()->click("cmdOK");
            // A refused entry leaves the dialog open: the user gives up.
            if (h.ui.isFormVisible(view)) view.controls()->click("cmdCancel");
        });
    }
    void editOnPage(const std::string& page, const std::string& from, const std::string& to) {
        form->tvwOptions_MouseDown(false);
        form->tvwOptions_NodeClick(page);
        auto& list = ctl(page == "RBLs" ? "lstServers" : "lstEntries");
        for (size_t i = 0; i < list.items.size(); ++i) list.selected[i] = list.items[i] == from;
        answerEntry(to);
        form->controls()->click("cmdEdit");
    }
};

TEST_F(GenericEntry, RenamingAServerInUseKeepsItInUseAndStoresBothLists) {
    settings().allblacklists = KeyedSet();
    for (const char* server : {"a.rbl.example", "b.rbl.example", "c.rbl.example"}) settings().allblacklists.Add(server);
    settings().rbl_list = KeyedSet();
    settings().rbl_list.Add("b.rbl.example");
    open();
    editOnPage("RBLs", "b.rbl.example", "B2.rbl.example");
    EXPECT_EQ(settings().allblacklists.Keys(),
              (std::vector<std::string>{"a.rbl.example", "b2.rbl.example", "c.rbl.example"}));
    EXPECT_EQ(settings().rbl_list.Keys(), std::vector<std::string>{"b2.rbl.example"});
    EXPECT_EQ(stored("allblacklists").text(), "a.rbl.example,b2.rbl.example,c.rbl.example");
    EXPECT_EQ(stored("rbl_list").text(), "b2.rbl.example");
    EXPECT_EQ(ctl("lstServers").items, settings().allblacklists.Keys());

    form->cmdOK_Click();
    EXPECT_EQ(stored("rbl_list").text(), "b2.rbl.example") << "OK keeps the renamed server in use";
}

TEST_F(GenericEntry, TheServersAreATickListAndTheOtherListsPlainOnes) {
    settings().allblacklists = KeyedSet();
    settings().allblacklists.Add("a.rbl.example");
    settings().rbl_list = KeyedSet();
    open();
    form->tvwOptions_MouseDown(false);
    form->tvwOptions_NodeClick("RBLs");
    EXPECT_TRUE(ctl("lstServers").visible);
    EXPECT_FALSE(ctl("lstEntries").visible);
    EXPECT_TRUE(ctl("lstServers").decl.checkBoxes) << "with nothing ticked the user could still tick the first server";
    EXPECT_EQ(ctl("lstServers").checked, std::vector<bool>{false});
    form->tvwOptions_NodeClick("BlockedIP");
    EXPECT_TRUE(ctl("lstEntries").visible);
    EXPECT_FALSE(ctl("lstServers").visible);
    EXPECT_FALSE(ctl("lstEntries").decl.checkBoxes);
}

TEST_F(GenericEntry, TheServersInUseAreTickedAndOkStoresTheTicksAsTheyWereLeft) {
    settings().allblacklists = KeyedSet();
    for (const char* server : {"a.rbl.example", "b.rbl.example", "c.rbl.example"}) settings().allblacklists.Add(server);
    settings().rbl_list = KeyedSet();
    settings().rbl_list.Add("a.rbl.example");
    settings().rbl_list.Add("c.rbl.example");
    open();
    form->tvwOptions_MouseDown(false);
    form->tvwOptions_NodeClick("RBLs");
    EXPECT_EQ(ctl("lstServers").checked, (std::vector<bool>{true, false, true}));

    // Tick b, untick a, rename the ticked c: the ticks survive the list being drawn again.
    form->controls()->tick("lstServers", 1, true);
    form->controls()->tick("lstServers", 0, false);
    editOnPage("RBLs", "c.rbl.example", "d.rbl.example");
    EXPECT_EQ(ctl("lstServers").checked, (std::vector<bool>{false, true, true}));
    // Leaving the page keeps them too; deleting a server in use takes it out of use at once.
    form->tvwOptions_NodeClick("BlockedIP");
    form->tvwOptions_NodeClick("RBLs");
    auto& list = ctl("lstServers");
    for (size_t i = 0; i < list.items.size(); ++i) list.selected[i] = list.items[i] == "b.rbl.example";
    form->controls()->click("cmdDelete");
    EXPECT_EQ(settings().allblacklists.Keys(), (std::vector<std::string>{"a.rbl.example", "d.rbl.example"}));
    EXPECT_EQ(ctl("lstServers").checked, (std::vector<bool>{false, true}));

    form->cmdOK_Click();
    EXPECT_EQ(settings().rbl_list.Keys(), std::vector<std::string>{"d.rbl.example"});
    EXPECT_EQ(stored("rbl_list").text(), "d.rbl.example");
}

TEST_F(GenericEntry, EditingToAListedAddressMergesAndStoresAndAnEmptyEntryIsRefused) {
    settings().blocked_ip_list = KeyedSet();
    settings().blocked_ip_list.Add("10.0.0.1");
    settings().blocked_ip_list.Add("10.0.0.2");
    open();
    editOnPage("BlockedIP", "10.0.0.1", "10.0.0.2");
    EXPECT_EQ(settings().blocked_ip_list.Keys(), std::vector<std::string>{"10.0.0.2"});
    EXPECT_EQ(stored("blocked_ip_list").text(), "10.0.0.2");

    editOnPage("BlockedIP", "10.0.0.2", "  ");
    EXPECT_EQ(lastBox(), "Please enter a valid I.P. address.");
    EXPECT_EQ(settings().blocked_ip_list.Keys(), std::vector<std::string>{"10.0.0.2"});

    answerEntry("10.0.0.9");
    form->controls()->click("cmdAdd");
    EXPECT_EQ(stored("blocked_ip_list").text(), "10.0.0.2,10.0.0.9");
    EXPECT_EQ(ctl("lstEntries").items, (std::vector<std::string>{"10.0.0.2", "10.0.0.9"}));
}

}  // namespace
}  // namespace tw::test
