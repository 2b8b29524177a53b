// The country check lists: ticked from the stored codes, Select All, Clear All and Reset, stored by OK.
#include <gtest/gtest.h>

#include "options/OptionsFixture.h"

namespace tw::test {
namespace {

class CountryLists : public OptionsFixture {
protected:
    std::string name(const std::string& code) { return h.addin().countries()->GetNameFromCode(code); }
    void showPage(const std::string& key) {
        form->tvwOptions_MouseDown(false);
        form->tvwOptions_NodeClick(key);
    }
};

TEST_F(CountryLists, TheListsShowTheStoredCountriesAndOkStoresTheChoice) {
    settings().blockedCountries = KeyedSet();
    settings().blockedCountries.Add("cn");
    open();
    EXPECT_EQ(form->controls()->selectedItems("lstBlockedCountries"), std::vector<std::string>{name("cn")});
    EXPECT_TRUE(form->controls()->selectedItems("lstHomeCountries").empty());

    showPage("CountryBlocking");
    form->controls()->click("cmdSelectAll");
    EXPECT_EQ(form->controls()->selectedItems("lstBlockedCountries").size(), ctl("lstBlockedCountries").items.size());
    form->controls()->click("cmdReset");
    EXPECT_EQ(form->controls()->selectedItems("lstBlockedCountries"), std::vector<std::string>{name("cn")});
    form->controls()->click("cmdClearAll");
    EXPECT_TRUE(form->controls()->selectedItems("lstBlockedCountries").empty());

    showPage("IgnoredCountries");
    auto& home = ctl("lstHomeCountries");
    for (size_t i = 0; i < home.items.size(); ++i) home.selected[i] = home.items[i] == name("ca");
    form->cmdOK_Click();
    EXPECT_EQ(settings().blockedCountries.Count(), 0u);
    EXPECT_EQ(settings().home_country_list.Keys(), std::vector<std::string>{"ca"});
    EXPECT_EQ(stored("home_country_list").text(), "ca");
}

}  // namespace
}  // namespace tw::test
