// Every button and menu entry in a client with two main windows and two message windows open: one
// click runs its command once, on the message of the window it was clicked in.
#include <gtest/gtest.h>

#include <set>

#include "scan/NewMailFixture.h"
#include "sim/SimCommandBars.h"

namespace tw::test {
namespace {

using sim::SimCommandBarControl;

/// What a command leaves behind that a test can count, and the list entries it added.
struct Effects {
    size_t forms = 0, boxes = 0, opened = 0, reports = 0, trained = 0;
    std::set<std::string> listed;
};

std::set<std::string> added(const std::set<std::string>& before, const std::set<std::string>& after) {
    std::set<std::string> out;
    for (const auto& entry : after)
        if (!before.count(entry)) out.insert(entry);
    return out;
}

class ClickOnce : public NewMailFixture {
protected:
    void SetUp() override {
        engine.setScore(0);
        start();
        // Approve and block act at once and say nothing; reports go without asking.
        settings().showsenderdialog = 1;
        settings().ShowReportSpamConfirmation = false;
        // The folder scan is pointed at the junk folder, which it refuses with a message.
        h.client.setPickFolderAnswer(
            std::dynamic_pointer_cast<sim::SimFolder>(h.addin().folderAtPath(settings().junkfolder, false)));
        for (const char* form : {"frmOrvennaOptions", "frmViewLog", "frmStats", "frmAboutOrvenna"})
            h.ui.onModal(form, [this](platform::FormView& view) { h.ui.hideForm(view); });
        h.ui.onModal("frmWhy", [this](platform::FormView& view) {
            whyShownFor = (*view.controls())["lblMessage"].caption;
            h.ui.hideForm(view);
        });
    }
    std::string whyShownFor;
    Effects effects() {
        std::set<std::string> listed;
        for (const auto* list : {&senders().approvedSenders(), &senders().blockedSenders()})
            for (const auto& entry : list->entries) listed.insert((list == &senders().approvedSenders() ? "+" : "-") + entry);
        return {h.ui.formShows.size(), h.ui.boxes.size(), h.shell.opened.size(),
                h.client.defaultFolder(outlook::olFolderSentMail)->simItems()->all().size(),
                engine.callsStartingWith("TW_addMessage(").size(), listed};
    }
    /// The buttons the add-in made on a window's toolbar and menu, with their captions.
    static void buttonsOf(const sim::SimCommandBarControls& controls, std::vector<std::shared_ptr<SimCommandBarControl>>& out) {
        for (const auto& c : controls.all()) {
            if (c->popupControls()) buttonsOf(*c->popupControls(), out);
            else out.push_back(c);
        }
    }
    std::vector<std::shared_ptr<SimCommandBarControl>> toolbarButtons(const std::shared_ptr<sim::SimCommandBars>& bars) {
        std::vector<std::shared_ptr<SimCommandBarControl>> out;
        auto bar = bars->bar("Velmora");
        if (bar) buttonsOf(*bar->controls(), out);
        return out;
    }
    /// Clicks a button and answers the one command's effects; a second run of it, or a run of a
    /// command of another button, shows as more.
    Effects clickOnce(const std::shared_ptr<SimCommandBarControl>& button) {
        Effects before = effects();
        button->click();
        Effects after = effects();
        return {after.forms - before.forms, after.boxes - before.boxes, after.opened - before.opened,
                after.reports - before.reports, after.trained - before.trained, added(before.listed, after.listed)};
    }
    /// Subject of the message the last report carried.
    std::string lastReported() {
        auto sent = h.client.defaultFolder(outlook::olFolderSentMail)->simItems()->all();
        if (sent.empty() || sent.back()->Attachments()->Count() < 1) return "";
        return sent.back()->Attachments()->Item(1)->DisplayName();
    }
};

TEST_F(ClickOnce, EachEntryOfEveryWindowRunsOnceOnItsOwnWindowsMessage) {
    auto first = h.client.activeExplorer();
    auto second = h.client.openExplorer();
    auto one = deliver("one@first.example", "subject one");
    auto two = deliver("two@second.example", "subject two");
    auto selected = deliver("sel@selected.example", "subject selected");
    first->select({selected});
    second->select({selected});
    auto windowOne = h.client.openInspector(one);
    auto windowTwo = h.client.openInspector(two);

    struct Window {
        std::shared_ptr<sim::SimCommandBars> bars;
        std::string sender, domain, subject;
    };
    const Window windows[] = {
        {first->bars(), "sel@selected.example", "selected.example", "subject selected"},
        {second->bars(), "sel@selected.example", "selected.example", "subject selected"},
        {windowOne->bars(), "one@first.example", "first.example", "subject one"},
        {windowTwo->bars(), "two@second.example", "second.example", "subject two"},
    };
    for (const auto& w : windows) {
        auto buttons = toolbarButtons(w.bars);
        ASSERT_EQ(buttons.size(), 21u) << w.subject;
        for (const auto& button : buttons) {
            const std::string where = button->Caption() + " in the window of " + w.subject;
            // Each command finds the lists empty, as the first one did.
            senders().DeleteApprovedSenders(senders().approvedSenders().entries.Keys());
            senders().DeleteBlockedSenders(senders().blockedSenders().entries.Keys());
            Effects made = clickOnce(button);
            // One run shows one form or box, opens one page, or lists one sender (and reports that message).
            const size_t shown = made.forms + made.boxes + made.opened;
            EXPECT_EQ(shown + (made.listed.empty() ? made.reports : 1), 1u) << where;
            EXPECT_LE(made.reports, 1u) << where;
            EXPECT_LE(made.trained, 1u) << where;
            EXPECT_LE(made.listed.size(), 1u) << where;
            for (const auto& entry : made.listed) {
                EXPECT_TRUE(entry.substr(1) == w.sender || entry.substr(1) == w.domain) << where << " listed " << entry;
            }
            if (made.reports == 1) {
                EXPECT_NE(lastReported().find(w.subject), std::string::npos) << where;
            }
            if (button->Caption() == "Why was this message judged so?") {
                EXPECT_NE(whyShownFor.find(w.subject), std::string::npos) << where;
            }
        }
    }
}

}  // namespace
}  // namespace tw::test
