// The behaviour RegOp keeps over every registry adapter; include once per test program and instantiate with a factory.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "core/Error.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/UserInterface.h"
#include "regop/RegOp.h"
#include "regop/RecordingUserInterface.h"

namespace tw::contract {

struct RegOpFactory {
    std::string name;
    std::function<std::unique_ptr<platform::Registry>()> makeRegistry;
    /// A shell whose environment holds TEMP.
    std::function<std::unique_ptr<platform::Shell>()> makeShell;
};
inline void PrintTo(const RegOpFactory& factory, std::ostream* os) { *os << factory.name; }

/// Works below one scratch key in the current user and the local machine, removed before and
/// after each test, so it can run against a real registry too.
class RegOpContractTest : public ::testing::TestWithParam<RegOpFactory> {
protected:
    static constexpr platform::Hive user = platform::Hive::CurrentUser;
    const std::string base = "Software\\TarnwickRegOpContract";

    void SetUp() override {
        registry = GetParam().makeRegistry();
        shell = GetParam().makeShell();
        removeScratch();
        registry->createKey(user, base);
    }
    void TearDown() override { removeScratch(); }
    void removeScratch() {
        for (auto hive : {platform::Hive::CurrentUser, platform::Hive::LocalMachine})
            if (registry->keyExists(hive, base)) registry->deleteTree(hive, base);
    }
    std::string at(const std::string& sub) const { return base + "\\" + sub; }

    regop::RegOp regOp(int options = 0, const std::string& key = {}) {
        regop::RegOp op(*registry, *shell, ui);
        op.setOptions(options);
        op.setKey(key.empty() ? base : key);
        return op;
    }
    std::optional<platform::RegValue> stored(const std::string& name) { return registry->queryValue(user, base, name); }

    std::unique_ptr<platform::Registry> registry;
    std::unique_ptr<platform::Shell> shell;
    RecordingUserInterface ui;
};

using platform::RegValue;
using regop::RegData;
using regop::RegOp;

TEST_P(RegOpContractTest, ReadsEachStoredTypeByItsRuleWithNamesInAnyCase) {
    registry->setValue(user, base, "Text", RegValue::ofString("plain"));
    registry->setValue(user, base, "Expand", RegValue::ofExpandString("%TEMP%\\cache"));
    registry->setValue(user, base, "Number", RegValue::ofDword(0xFFFFFFFEu));
    registry->setValue(user, base, "List", RegValue::ofMultiString({"first", "second"}));
    registry->setValue(user, base, "Raw", RegValue::ofBinary({1, 2, 3}));
    registry->setValue(user, base, "", RegValue::ofString("default"));

    RegOp plain = regOp();
    EXPECT_EQ(plain.value("TEXT"), RegData::text("plain"));
    EXPECT_EQ(plain.value("expand"), RegData::text("%TEMP%\\cache"));
    EXPECT_EQ(plain.value("number"), RegData::number(-2));
    EXPECT_EQ(plain.value("LIST"), RegData::text(std::string("first\0second", 12)));
    EXPECT_EQ(plain.value("raw"), RegData::text("(unsupported data format)"));
    EXPECT_EQ(plain.value(""), RegData::text("default"));
    EXPECT_TRUE(plain.value("absent").isEmpty());

    RegOp expanding = regOp(RegOp::StringListsAsArrays | RegOp::ExpandReferences);
    EXPECT_EQ(expanding.value("list"), RegData::strings({"first", "second"}));
    const std::string temp = shell->expandEnvironmentStrings("%TEMP%");
    ASSERT_NE(temp, "%TEMP%");
    EXPECT_EQ(expanding.value("Expand"), RegData::text(temp + "\\cache"));

    const auto all = plain.allValues();
    const auto names = registry->valueNames(user, base);
    ASSERT_EQ(all.size(), names.size());
    for (size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i].first, names[i]);
        EXPECT_EQ(all[i].second, plain.value(names[i]));
    }
}

TEST_P(RegOpContractTest, WritingConvertsToTheTypeAlreadyStored) {
    registry->setValue(user, base, "asText", RegValue::ofString("1"));
    registry->setValue(user, base, "asNumber", RegValue::ofDword(1));
    RegOp op = regOp();

    op.setValue("ASTEXT", RegData::number(5));
    EXPECT_EQ(stored("asText"), RegValue::ofString("5"));
    op.setValue("asnumber", RegData::text("7"));
    EXPECT_EQ(stored("asNumber"), RegValue::ofDword(7));
    op.setValue("asNumber", RegData::text(" 12.5 "));
    EXPECT_EQ(stored("asNumber"), RegValue::ofDword(12));
    op.setValue("asNumber", RegData::text("-1"));
    EXPECT_EQ(stored("asNumber"), RegValue::ofDword(0xFFFFFFFFu));

    // A text that is no number cannot become one: the stored number stays.
    EXPECT_THROW(op.setValue("asNumber", RegData::text("seven")), Error);
    EXPECT_THROW(op.setValue("asNumber", RegData::text("4294967296")), Error);
    EXPECT_EQ(stored("asNumber"), RegValue::ofDword(0xFFFFFFFFu));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_P(RegOpContractTest, NewValuesTakeTheirTypeFromTheContent) {
    RegOp op = regOp();
    op.setValue("number", RegData::number(3));
    op.setValue("list", RegData::strings({"x", "y z"}));
    op.setValue("blank", RegData::text(""));
    op.setValue("", RegData::number(4));
    op.setValue("nothing", RegData());
    EXPECT_EQ(stored("number"), RegValue::ofDword(3));
    EXPECT_EQ(stored("list"), RegValue::ofMultiString({"x", "y z"}));
    EXPECT_EQ(stored("blank"), RegValue::ofString(""));
    EXPECT_EQ(stored(""), RegValue::ofString("4"));
    EXPECT_EQ(stored("nothing"), std::nullopt);

    RegOp numbersAsText = regOp(RegOp::NumbersAsText);
    numbersAsText.setValue("numberText", RegData::number(-3));
    EXPECT_EQ(stored("numberText"), RegValue::ofString("-3"));
}

TEST_P(RegOpContractTest, TextsNamingAnEnvironmentVariableBecomeExpandableStrings) {
    RegOp op = regOp();
    op.setValue("cache", RegData::text("%TEMP%\\cache"));
    op.setValue("percent", RegData::text("100% sure"));
    op.setValue("unknown", RegData::text("%TARNWICK_SURELY_NOT_SET_7Q%\\x"));
    op.setValue("later", RegData::text("50% of %temp%"));
    EXPECT_EQ(stored("cache"), RegValue::ofExpandString("%TEMP%\\cache"));
    EXPECT_EQ(stored("percent"), RegValue::ofString("100% sure"));
    EXPECT_EQ(stored("unknown"), RegValue::ofString("%TARNWICK_SURELY_NOT_SET_7Q%\\x"));
    EXPECT_EQ(stored("later"), RegValue::ofExpandString("50% of %temp%"));

    // The rule applies to stored strings too, and works both ways.
    op.setValue("percent", RegData::text("%Temp%"));
    EXPECT_EQ(stored("percent"), RegValue::ofExpandString("%Temp%"));
    op.setValue("cache", RegData::text("C:\\cache"));
    EXPECT_EQ(stored("cache"), RegValue::ofString("C:\\cache"));
}

TEST_P(RegOpContractTest, AValueOfAnUnsupportedTypeIsNeverOverwritten) {
    const RegValue raw = RegValue::ofBinary({1, 2, 3});
    registry->setValue(user, base, "raw", raw);

    regOp().setValue("raw", RegData::text("x"));
    EXPECT_EQ(stored("raw"), raw);
    EXPECT_TRUE(ui.boxes.empty());

    regOp(RegOp::ShowErrors).setValue("RAW", RegData::number(1));
    EXPECT_EQ(stored("raw"), raw);
    const RecordingUserInterface::Box expected{"Existing value has unsupported data type and will not be overwritten",
                                               platform::vbExclamation, "Registry Error"};
    EXPECT_EQ(ui.boxes, std::vector<RecordingUserInterface::Box>{expected});
}

TEST_P(RegOpContractTest, EveryOperationOnAMissingKeyCreatesIt) {
    EXPECT_TRUE(regOp(0, at("Missing\\Deeper")).value("x").isEmpty());
    EXPECT_TRUE(registry->keyExists(user, at("Missing\\Deeper")));
    EXPECT_TRUE(regOp(0, at("Listed")).allKeys().empty());
    EXPECT_TRUE(registry->keyExists(user, at("Listed")));
    EXPECT_FALSE(regOp(0, at("Deleted")).deleteValue("x"));
    EXPECT_TRUE(registry->keyExists(user, at("Deleted")));
}

TEST_P(RegOpContractTest, WithoutAKeyNothingHappensAndShowErrorsSaysSo) {
    RegOp quiet(*registry, *shell, ui);
    EXPECT_TRUE(quiet.value("x").isEmpty());
    EXPECT_TRUE(quiet.allKeys().empty());
    EXPECT_TRUE(ui.boxes.empty());

    RegOp loud(*registry, *shell, ui);
    loud.setOptions(RegOp::ShowErrors);
    EXPECT_FALSE(loud.deleteValue("x"));
    EXPECT_EQ(ui.boxes, (std::vector<RecordingUserInterface::Box>{{"No Key name specified!", platform::vbExclamation, "Registry Error"}}));
}

TEST_P(RegOpContractTest, TheCacheFollowsEveryChangeMadeThroughTheObject) {
    registry->setValue(user, base, "a", RegValue::ofString("1"));
    registry->createKey(user, at("sub1"));
    RegOp op = regOp();
    EXPECT_EQ(op.value("a"), RegData::text("1"));
    EXPECT_EQ(op.valueCount(), 1u);
    EXPECT_EQ(op.keyCount(), 1u);

    op.setValue("b", RegData::text("2"));
    op.setValue("a", RegData::text("one"));
    EXPECT_EQ(op.value("B"), RegData::text("2"));
    EXPECT_EQ(op.value("A"), RegData::text("one"));
    EXPECT_EQ(op.valueCount(), 2u);

    EXPECT_TRUE(op.deleteValue("A"));
    EXPECT_TRUE(op.value("a").isEmpty());
    EXPECT_FALSE(op.deleteValue("a"));
    EXPECT_EQ(op.valueCount(), 1u);
    EXPECT_EQ(op.allValues().size(), 1u);
}

TEST_P(RegOpContractTest, DeleteKeyRemovesTheLastLevelWithItsSubtree) {
    registry->createKey(user, at("Parent\\Child\\Grandchild"));
    registry->setValue(user, at("Parent\\Child\\Grandchild"), "v", RegValue::ofDword(1));
    registry->createKey(user, at("Parent\\Sibling"));

    RegOp op = regOp(0, at("Parent\\Child"));
    EXPECT_TRUE(op.deleteKey());
    EXPECT_FALSE(registry->keyExists(user, at("Parent\\Child")));
    EXPECT_TRUE(registry->keyExists(user, at("Parent\\Sibling")));
    EXPECT_EQ(op.key(), at("Parent"));
    EXPECT_EQ(op.allKeys(), std::vector<std::string>{"Sibling"});

    EXPECT_FALSE(regOp(0, at("Parent\\Child")).deleteKey());
    EXPECT_TRUE(registry->keyExists(user, at("Parent")));

    // A path without a level below its first, or ending in "\", names nothing to delete.
    EXPECT_FALSE(regOp(0, "Software").deleteKey());
    EXPECT_TRUE(registry->keyExists(user, "Software"));
    EXPECT_FALSE(regOp(0, at("Parent\\")).deleteKey());
    EXPECT_TRUE(registry->keyExists(user, at("Parent")));
}

TEST_P(RegOpContractTest, ChangingTheRootOrTheKeyReopensUnderTheNewOne) {
    RegOp op = regOp(0, at("A"));
    op.setValue("v", RegData::text("user"));
    op.setRoot(platform::Hive::LocalMachine);
    EXPECT_TRUE(registry->keyExists(platform::Hive::LocalMachine, at("A")));
    EXPECT_TRUE(op.value("v").isEmpty());

    op.setRoot(platform::Hive::Users);  // not one of the three: the current user
    EXPECT_EQ(op.root(), platform::Hive::CurrentUser);
    EXPECT_EQ(op.value("v"), RegData::text("user"));

    op.setKey("");
    op.setKey(at("a"));
    EXPECT_EQ(op.key(), at("A"));
    op.setKey(at("B"));
    EXPECT_TRUE(registry->keyExists(user, at("B")));
    EXPECT_TRUE(op.value("v").isEmpty());

    op.setOptions(RegOp::ShowErrors);
    op.setOptions(16);
    op.setOptions(-1);
    registry->setValue(user, at("B"), "raw", RegValue::ofBinary({0}));
    op.setValue("raw", RegData::text("x"));
    EXPECT_EQ(ui.boxes.size(), 1u);
}

}  // namespace tw::contract
