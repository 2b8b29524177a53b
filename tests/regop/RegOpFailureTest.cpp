// RegOp when the registry refuses: nothing raises, and only the option to show errors makes it visible.
#include <gtest/gtest.h>

#include "core/Error.h"
#include "regop/RecordingUserInterface.h"
#include "regop/RegData.h"
#include "regop/RegOp.h"
#include "sim/SimRegistry.h"
#include "sim/SimShell.h"

namespace tw::regop {
namespace {

using contract::RecordingUserInterface;
using platform::Hive;
using platform::RegValue;

class RegOpFailureTest : public ::testing::Test {
protected:
    const std::string key = "Software\\Orvenna";
    RegOp regOp(int options) {
        RegOp op(registry, shell, ui);
        op.setOptions(options);
        op.setKey(key);
        return op;
    }
    sim::SimRegistry registry;
    sim::SimShell shell;
    RecordingUserInterface ui;
};

TEST_F(RegOpFailureTest, AKeyThatCannotBeOpenedGivesNothingAndIsShownOnlyOnRequest) {
    registry.failAlways("createKey");
    RegOp quiet = regOp(0);
    EXPECT_TRUE(quiet.value("threshold").isEmpty());
    quiet.setValue("threshold", RegData::text("85"));
    EXPECT_TRUE(quiet.allKeys().empty());
    EXPECT_TRUE(quiet.allValues().empty());
    EXPECT_FALSE(quiet.deleteValue("threshold"));
    EXPECT_TRUE(ui.boxes.empty());

    EXPECT_TRUE(regOp(RegOp::ShowErrors).value("threshold").isEmpty());
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].prompt, "Could not open Registry Key!");
    EXPECT_EQ(ui.boxes[0].title, "Registry Error");
    EXPECT_EQ(ui.boxes[0].style, platform::vbExclamation);
}

TEST_F(RegOpFailureTest, AKeyWeMayOnlyReadIsReadButNotWritten) {
    registry.createKey(Hive::CurrentUser, key);
    registry.setValue(Hive::CurrentUser, key, "threshold", RegValue::ofString("90"));
    registry.failAlways("createKey");  // what opening for a change asks for
    RegOp op = regOp(RegOp::ShowErrors);
    EXPECT_EQ(op.value("threshold"), RegData::text("90"));
    EXPECT_TRUE(ui.boxes.empty());
    op.setValue("threshold", RegData::text("85"));
    EXPECT_EQ(ui.boxes.size(), 1u);
    EXPECT_FALSE(op.deleteKey());
    EXPECT_EQ(registry.queryValue(Hive::CurrentUser, key, "threshold"), RegValue::ofString("90"));
}

TEST_F(RegOpFailureTest, RefusedChangesLeaveTheRegistryAsItWasWithoutAWord) {
    registry.createKey(Hive::CurrentUser, key + "\\Updates");
    registry.setValue(Hive::CurrentUser, key, "threshold", RegValue::ofString("90"));
    registry.failAlways("setValue");
    registry.failAlways("deleteValue");
    registry.failAlways("deleteTree");
    RegOp op = regOp(RegOp::ShowErrors);
    op.setValue("threshold", RegData::text("85"));
    EXPECT_EQ(op.value("threshold"), RegData::text("90"));
    EXPECT_FALSE(op.deleteValue("threshold"));
    op.setKey(key + "\\Updates");
    EXPECT_FALSE(op.deleteKey());
    EXPECT_TRUE(registry.keyExists(Hive::CurrentUser, key + "\\Updates"));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST(RegDataTest, TextsBecomeNumbersOnlyWhenTheyHoldOne) {
    EXPECT_EQ(RegData::text(" 42 ").toNumber(), 42);
    EXPECT_EQ(RegData::text("-7").toNumber(), -7);
    EXPECT_EQ(RegData::text("+2.5").toNumber(), 2);  // halves round to even
    EXPECT_EQ(RegData::text("3.5").toNumber(), 4);
    EXPECT_EQ(RegData::text("-2147483648").toNumber(), INT32_MIN);
    EXPECT_EQ(RegData().toNumber(), 0);
    for (const char* bad : {"", " ", "abc", "1a", "1.2.3", ".", "-", "0x10"}) {
        try {
            RegData::text(bad).toNumber();
            ADD_FAILURE() << "\"" << bad << "\" became a number";
        } catch (const Error& e) {
            EXPECT_EQ(e.number(), 13) << bad;
        }
    }
    for (const char* huge : {"2147483648", "-2147483649", "99999999999999999999999999"}) {
        try {
            RegData::text(huge).toNumber();
            ADD_FAILURE() << huge << " fit in 32 bits";
        } catch (const Error& e) {
            EXPECT_EQ(e.number(), 6) << huge;
        }
    }
    EXPECT_THROW(RegData::strings({"a"}).toText(), Error);
    EXPECT_EQ(RegData::number(-5).toText(), "-5");
}

}  // namespace
}  // namespace tw::regop
