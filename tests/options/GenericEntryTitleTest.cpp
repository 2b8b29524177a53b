// The entry dialog of the IP address lists and the blacklist servers names what is entered.
#include <gtest/gtest.h>

#include "options/OptionsFixture.h"

namespace tw::test {
namespace {

class GenericEntryTitle : public OptionsFixture {};

TEST_F(GenericEntryTitle, EachListsDialogIsTitledWithWhatItTakes) {
    open();
    std::vector<std::string> titles;
    h.ui.onModal("frmGenericEntry", [&](platform::FormView& view) {
        titles.push_back(view.controls()->caption);
        view.controls()->pressEscape();
    });
    for (const char* page : {"BlockedIP", "IgnoreIPs", "ApprovedIP", "RBLs"}) {
        form->tvwOptions_MouseDown(false);
        form->tvwOptions_NodeClick(page);
        form->controls()->click("cmdAdd");
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"Blocked IP Address", "Ignored IP Address", "Approved IP Address",
                                                "Blacklist Server"}));
}

}  // namespace
}  // namespace tw::test
