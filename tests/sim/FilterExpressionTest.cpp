// The mail client's filter syntax: comparisons, logic, quoting, dates, missing user properties, errors.
#include <gtest/gtest.h>

#include <map>

#include "core/Error.h"
#include "core/Text.h"
#include "sim/FilterExpression.h"

namespace tw::test {
namespace {

using outlook::PropertyValue;

struct FakeItem {
    std::map<std::string, PropertyValue> values;
    bool matches(const std::string& filter) const {
        return sim::FilterExpression(filter).matches([&](const std::string& name) {
            // Property names compare without regard to case, as the client's do.
            for (const auto& [key, value] : values)
                if (text::iequals(key, name)) return value;
            return PropertyValue();
        });
    }
};

FakeItem contact(std::string e1, std::string e2 = "", std::string e3 = "") {
    return {{{"Email1Address", e1}, {"Email2Address", e2}, {"Email3Address", e3}}};
}

std::string contactsFilter(const std::string& address) {
    const std::string q = outlook::quoteFilterText(address);
    return "[Email1Address] = " + q + " Or [Email2Address] = " + q + " Or [Email3Address] = " + q;
}

TEST(FilterSyntax, TextComparesWithoutCaseAndLogicCombinesInAnyCase) {
    FakeItem item = contact("Ann@Example.COM", "b@x.example");
    EXPECT_TRUE(item.matches("[Email1Address] = 'ann@example.com'"));
    EXPECT_TRUE(item.matches("[Email1Address]='ann@example.com'"));
    EXPECT_FALSE(item.matches("[Email1Address] <> 'ann@example.com'"));
    EXPECT_TRUE(item.matches("[Email1Address] = 'zzz' or [Email2Address] = 'B@X.EXAMPLE'"));
    EXPECT_FALSE(item.matches("[Email1Address] = 'zzz' AND [Email2Address] = 'b@x.example'"));
    EXPECT_TRUE(item.matches("NOT [Email1Address] = 'zzz'"));
    EXPECT_TRUE(item.matches("([Email1Address] = 'zzz' Or [Email2Address] = 'b@x.example') And Not ([Email3Address] <> '')"));
    EXPECT_TRUE(item.matches("[Email1Address] = \"ann@example.com\""));
    EXPECT_TRUE(item.matches("'ann@example.com' = [Email1Address]"));
    EXPECT_TRUE(item.matches("[Email1Address] > 'a' AND [Email1Address] < 'b' AND [Email1Address] >= 'ann@example.com'"));
}

TEST(FilterSyntax, AnAddressIsLookedUpAsItselfWhateverItHolds) {
    // An apostrophe in an ordinary address: doubled inside the literal, it matches.
    EXPECT_EQ(outlook::quoteFilterText("o'brien@x.example"), "'o''brien@x.example'");
    EXPECT_TRUE(contact("x@y.example", "", "O'Brien@X.example").matches(contactsFilter("o'brien@x.example")));
    EXPECT_TRUE(contact("o'brien@x.example").matches("[Email1Address] = 'o''brien@x.example'"));

    // An address written to change the filter's meaning stays one literal and matches nothing.
    const std::string attack = "x' Or [Email1Address] <> '";
    FakeItem someone = contact("someone@else.example");
    EXPECT_FALSE(someone.matches(contactsFilter(attack)));
    // Inserted verbatim, the same text would have matched every contact.
    EXPECT_TRUE(someone.matches("[Email1Address] = '" + attack + "'"));
    // ... and an unquoted apostrophe makes the filter malformed.
    EXPECT_THROW(sim::FilterExpression("[Email1Address] = 'o'brien@x.example'"), Error);
}

TEST(FilterSyntax, DatesCompareToTheMinuteAndBooleansAsTruthValues) {
    FakeItem mail{{{"CreationTime", OleDate::fromCivil({2026, 12, 8, 16, 5, 40})}, {"UnRead", false}}};
    EXPECT_TRUE(mail.matches("[CreationTime] >= 'Dec 08 2026 16:05'"));
    EXPECT_TRUE(mail.matches("[CreationTime] <= 'Dec 08 2026 16:05'"));
    EXPECT_FALSE(mail.matches("[CreationTime] > 'Dec 08 2026 16:05'"));
    EXPECT_TRUE(mail.matches("[CreationTime] < 'Dec 08 2026 16:06'"));
    EXPECT_TRUE(mail.matches("[CreationTime] > 'Dec 07 2026 23:59'"));
    EXPECT_TRUE(mail.matches("[CreationTime] = '2026-12-08 16:05'"));
    EXPECT_TRUE(mail.matches("[CreationTime] = '12/08/2026 4:05 PM'"));
    // The queue's filter puts a blank before the closing quote of one bound.
    EXPECT_TRUE(mail.matches("[Unread]=False AND [CreationTime] < 'Dec 09 2026 09:00 ' AND [CreationTime] > 'Dec 08 2025 09:00'"));
    EXPECT_FALSE(mail.matches("[UnRead] = True"));
    EXPECT_TRUE(mail.matches("[UnRead] = 0"));
    EXPECT_THROW(mail.matches("[CreationTime] > 'yesterday'"), Error);
    EXPECT_THROW(mail.matches("[CreationTime] > 'Feb 30 2026 10:00'"), Error);
}

TEST(FilterSyntax, AMissingPropertyMatchesNeitherEmptyNorAnythingElse) {
    FakeItem fresh{{{"UnRead", true}, {"CreationTime", OleDate::fromCivil({2026, 12, 8, 9, 30, 0})}}};
    FakeItem checked = fresh;
    checked.values["tarnwickd"] = OleDate::fromCivil({2026, 12, 8, 9, 0, 0});
    FakeItem emptyText = fresh;
    emptyText.values["note"] = std::string();
    EXPECT_FALSE(fresh.matches("[tarnwickd] = ''"));
    EXPECT_FALSE(fresh.matches("[tarnwickd] <> ''"));
    EXPECT_FALSE(fresh.matches("[tarnwickd] = 'anything'"));
    EXPECT_FALSE(fresh.matches("[Unread]=True AND [tarnwickd] = ''"));
    EXPECT_TRUE(fresh.matches("[Unread]=True OR [tarnwickd] = ''"));
    EXPECT_TRUE(checked.matches("[tarnwickd] <> ''"));
    EXPECT_FALSE(checked.matches("[tarnwickd] = ''"));
    EXPECT_TRUE(emptyText.matches("[note] = ''")) << "a property set to empty text is defined";
}

TEST(FilterSyntax, AUserFieldTheFolderDoesNotKnowIsRefused) {
    sim::FilterExpression::Options options;
    options.knowsUserField = [](const std::string& name) { return text::iequals(name, "tarnwickd"); };
    EXPECT_NO_THROW(sim::FilterExpression("[TARNWICKD] <> '' AND [Subject] = 'x' AND [unread] = true", options));
    try {
        sim::FilterExpression("[Unread]=True AND ([Subject] = 'x' OR NOT [spamscore] = '')", options);
        ADD_FAILURE() << "an unknown field was accepted";
    } catch (const Error& e) {
        EXPECT_EQ(e.description(), "The property \"spamscore\" in the condition is unknown.");
    }
}

TEST(FilterSyntax, DatesAreReadInTheLocalesShortDateAndTime) {
    sim::FilterExpression::Options german;
    german.locale = {"dd.MM.yyyy", "HH:mm:ss", "", "", false};
    auto created = [](OleDate when) {
        return [when](const std::string& name) { return name == "CreationTime" ? PropertyValue(when) : PropertyValue(); };
    };
    const auto tenth = created(OleDate::fromCivil({2026, 12, 10, 3, 58, 30}));
    EXPECT_TRUE(sim::FilterExpression("[CreationTime] >= '10.12.2026 03:58'", german).matches(tenth));
    EXPECT_FALSE(sim::FilterExpression("[CreationTime] > '10.12.2026 03:58'", german).matches(tenth));
    EXPECT_TRUE(sim::FilterExpression("[CreationTime] < '12.10.2026 00:00'", german).matches(
        created(OleDate::fromCivil({2026, 10, 11, 23, 0, 0}))));
    EXPECT_THROW(sim::FilterExpression("[CreationTime] >= 'Dec 10 2026 03:58'", german).matches(tenth), Error);
    EXPECT_THROW(sim::FilterExpression("[CreationTime] >= '12/10/2026 3:58 AM'", german).matches(tenth), Error);
}

TEST(FilterSyntax, MalformedFiltersRaiseAClearError) {
    const char* const broken[] = {
        "", "   ", "[Subject]", "[Subject] = ", "[Subject] 'x'", "[Subject = 'x'", "[] = 'x'", "[Subject] = 'open",
        "[Subject] = 'x' AND", "([Subject] = 'x'", "[Subject] = 'x')", "[Subject] == 'x'", "[Subject] = x",
        "[Subject] = 'x' [UnRead] = True", "Subject = 'x'", "[Subject] = 1e999",
    };
    for (const char* filter : broken) {
        try {
            sim::FilterExpression parsed(filter);
            ADD_FAILURE() << "accepted: " << filter;
        } catch (const Error& e) {
            EXPECT_NE(e.description().find("Cannot parse condition"), std::string::npos) << filter;
        }
    }
}

TEST(FilterSyntax, DeepNestingAndLongChainsNeitherCrashNorHang) {
    std::string deep(5000, '(');
    EXPECT_THROW(sim::FilterExpression(deep + "[a] = 'b'" + std::string(5000, ')')), Error);
    std::string chain = "[a] = '1'";
    for (int i = 0; i < 20000; ++i) chain += " OR [a] = '1'";
    FakeItem one{{{"a", std::string("1")}}};
    EXPECT_TRUE(one.matches(chain));
}

}  // namespace
}  // namespace tw::test
