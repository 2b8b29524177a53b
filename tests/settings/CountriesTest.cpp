// The country table: lookups both ways, the names kept as they stand, and the whole table.
#include <gtest/gtest.h>

#include <set>

#include "core/StringTable.h"
#include "settings/Countries.h"

namespace tw::test {
namespace {

TEST(Countries, CodesInAnyCaseAndNamesExactly) {
    settings::Countries countries;
    EXPECT_EQ(countries.GetNameFromCode("US"), "United States");
    std::string code = "US";
    EXPECT_EQ(countries.GetNameFromCode(code), "United States");
    EXPECT_EQ(code, "us") << "the caller's code is lower-cased";

    EXPECT_EQ(countries.GetCodeFromName("United States"), "us");
    EXPECT_EQ(countries.GetCodeFromName("united states"), "") << "names compare exactly";
    EXPECT_EQ(countries.GetNameFromCode("xx"), "");
    EXPECT_EQ(countries.GetNameFromCode(""), "");
}

TEST(Countries, TheNamesUsersHaveStoredAreKeptAsTheyStand) {
    settings::Countries countries;
    EXPECT_EQ(countries.GetNameFromCode("cm"), "Bameroon");
    EXPECT_EQ(countries.GetCodeFromName("Bameroon"), "cm");
    EXPECT_EQ(countries.GetCodeFromName("Cameroon"), "");
    EXPECT_EQ(countries.GetNameFromCode("kp"), "Korea,Democratic People's Republic") << "only the first comma separates";
    EXPECT_EQ(countries.GetCodeFromName("Korea"), "kr");
    EXPECT_EQ(countries.GetNameFromCode("co"), "Columbia");
    EXPECT_EQ(countries.GetNameFromCode("gz"), "South Georgia and South Sandwich Islands");
}

TEST(Countries, EveryEntryOfTheTableIsUsableAndUnique) {
    settings::Countries countries;
    auto names = countries.getAllNames();
    ASSERT_EQ(names.size(), 238u);
    EXPECT_EQ(names.front(), "United States");
    EXPECT_EQ(names.back(), "Zimbabwe");
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());

    std::set<std::string> codes;
    for (int id = settings::Countries::kFirstId; id <= settings::Countries::kLastId; ++id) {
        const std::string& entry = loadString(id);
        ASSERT_EQ(entry.find(','), 2u) << id << ": " << entry;
        std::string tableCode = entry.substr(0, 2);
        codes.insert(tableCode);
        EXPECT_EQ(countries.GetCodeFromName(countries.GetNameFromCode(tableCode)), tableCode) << id;
    }
    EXPECT_EQ(codes.size(), 238u);
}

}  // namespace
}  // namespace tw::test
