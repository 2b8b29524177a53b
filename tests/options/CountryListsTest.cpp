// The country tick lists: ticked from the stored codes, one tick at a time, Select All, Clear All and Reset, stored by OK.
#include <gtest/gtest.h>

#include <algorithm>

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
    EXPECT_EQ(form->controls()->checkedItems("lstBlockedCountries"), std::vector<std::string>{name("cn")});
    EXPECT_TRUE(form->controls()->checkedItems("lstHomeCountries").empty());

    showPage("CountryBlocking");
    form->controls()->click("cmdSelectAll");
    EXPECT_EQ(form->controls()->checkedItems("lstBlockedCountries").size(), ctl("lstBlockedCountries").items.size());
    form->controls()->click("cmdReset");
    EXPECT_EQ(form->controls()->checkedItems("lstBlockedCountries"), std::vector<std::string>{name("cn")});
    form->controls()->click("cmdClearAll");
    EXPECT_TRUE(form->controls()->checkedItems("lstBlockedCountries").empty());

    form->controls()->click("cmdReset");
    showPage("IgnoredCountries");
    const auto& home = ctl("lstHomeCountries");
    const auto at = [&](const std::string& code) {
        return static_cast<size_t>(std::find(home.items.begin(), home.items.end(), name(code)) - home.items.begin());
    };
    form->controls()->tick("lstHomeCountries", at("ca"), true);
    form->controls()->tick("lstHomeCountries", at("us"), true);
    form->controls()->tick("lstHomeCountries", at("us"), false);
    form->cmdOK_Click();
    EXPECT_EQ(settings().blockedCountries.Keys(), std::vector<std::string>{"cn"});
    EXPECT_EQ(settings().home_country_list.Keys(), std::vector<std::string>{"ca"});
    EXPECT_EQ(stored("home_country_list").text(), "ca");
}

}  // namespace
}  // namespace tw::test
