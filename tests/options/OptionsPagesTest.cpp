// The options dialog's pages: each shows its own description and controls, hides the others', and
// its Help button opens the page's own help topic.
#include <gtest/gtest.h>

#include <set>

#include "core/StringTable.h"
#include "options/OptionsFixture.h"
#include "options/OptionsPages.h"
#include "options/OptionsTree.h"

namespace tw::test {
namespace {

class OptionsPages : public OptionsFixture {
protected:
    std::set<std::string> visibleControls() {
        std::set<std::string> shown;
        for (const auto& name : form->controls()->names())
            if (ctl(name).visible) shown.insert(name);
        return shown;
    }
    std::string helpOpenedFor(const std::string& key) {
        form->tvwOptions_NodeClick(key);
        const size_t before = h.shell.opened.size();
        form->controls()->click("cmdHelp");
        return h.shell.opened.size() == before + 1 ? h.shell.opened.back() : std::string();
    }
};

TEST_F(OptionsPages, EveryPageShowsItsOwnDescription) {
    open();
    EXPECT_EQ(ctl("lblPageText").caption, loadString(1200)) << "the welcome text at opening";
    form->tvwOptions_NodeClick("ApprovedSenders");
    EXPECT_EQ(ctl("lblPageText").caption, loadString(210));
    EXPECT_EQ(ctl("lblPageTitle").caption, "Senders");
    form->tvwOptions_NodeClick("IgnoreLists");
    EXPECT_EQ(ctl("lblPageText").caption, "The Ignore Lists help you avoid mistakenly blocking addresses and messages.");

    std::set<std::string> texts;
    for (const auto& node : options::optionsNodes()) {
        form->tvwOptions_NodeClick(node.key);
        EXPECT_FALSE(ctl("lblPageText").caption.empty()) << node.key << " has no description";
        texts.insert(ctl("lblPageText").caption);
    }
    EXPECT_EQ(texts.size(), options::optionsNodes().size()) << "two pages share a description";
}

TEST_F(OptionsPages, HelpOpensTheTopicOfTheSelectedNode) {
    open();
    const std::string file = h.addin().helpWindow()->helpFile();
    EXPECT_EQ(helpOpenedFor("Root"), "mk:@MSITStore:" + file + "::/options_welcome.html>Main");
    EXPECT_NE(helpOpenedFor("Netcheck").find("::/options_network_check.html"), std::string::npos);
    EXPECT_NE(helpOpenedFor("ApprovedSenders").find("::/options_approved_senders.html"), std::string::npos);
    EXPECT_NE(helpOpenedFor("BlockedSenders").find("::/options_blocked_senders.html"), std::string::npos)
        << "pages of the same caption keep their own topics";
    EXPECT_NE(helpOpenedFor("IgnoredCountries").find("::/options_home_countries.html"), std::string::npos);
    EXPECT_NE(helpOpenedFor("Expert").find("::/options_expert.html"), std::string::npos);

    std::set<int> topics;
    for (const auto& node : options::optionsNodes()) topics.insert(node.helpTopicId);
    EXPECT_EQ(topics.size(), options::optionsNodes().size()) << "every node has a topic of its own";
}

TEST_F(OptionsPages, OnlyTheShownPagesControlsAreVisible) {
    open();
    const std::set<std::string> common(options::commonControls().begin(), options::commonControls().end());
    EXPECT_EQ(visibleControls(), common) << "the welcome page is text only";

    form->tvwOptions_NodeClick("CustomFilterThreshold");
    EXPECT_TRUE(ctl("sldThreshold").visible);
    EXPECT_FALSE(ctl("lstEntries").visible);
    form->tvwOptions_NodeClick("ApprovedSenders");
    EXPECT_TRUE(ctl("lstEntries").visible);
    EXPECT_TRUE(ctl("cmdImport").visible);
    EXPECT_FALSE(ctl("sldThreshold").visible) << "leaving a page hides its controls";
    form->tvwOptions_NodeClick("BlockedSenders");
    EXPECT_TRUE(ctl("cmdAdd").visible);
    EXPECT_FALSE(ctl("cmdImport").visible) << "only the approved page imports";

    // A hidden control takes no clicks: the Add of a list page does nothing on the strength page.
    form->tvwOptions_NodeClick("CustomFilterThreshold");
    const size_t shown = h.ui.formShows.size();
    form->controls()->click("cmdAdd");
    EXPECT_EQ(h.ui.formShows.size(), shown);
}

TEST_F(OptionsPages, EveryControlBelongsToSomePageAndEveryPageNamesRealControls) {
    open();
    std::set<std::string> reachable(options::commonControls().begin(), options::commonControls().end());
    for (const auto& node : options::optionsNodes())
        for (const auto& name : options::pageControls(node.key)) {
            EXPECT_TRUE(form->controls()->has(name)) << node.key << " names " << name;
            reachable.insert(name);
        }
    for (const auto& name : form->controls()->names()) EXPECT_TRUE(reachable.count(name)) << name << " never shows";
}

}  // namespace
}  // namespace tw::test
