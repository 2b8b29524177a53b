// The user-interface port's measuring, as the options dialog's folder list relies on it: one suite
// that the scripted interface and the Windows adapter both pass.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "platform/UserInterface.h"

namespace tw::contract {

struct UserInterfaceFactory {
    std::string name;
    std::function<std::shared_ptr<platform::UserInterface>()> make;
};
inline void PrintTo(const UserInterfaceFactory& factory, std::ostream* os) { *os << factory.name; }

class UserInterfaceContractTest : public ::testing::TestWithParam<UserInterfaceFactory> {
protected:
    void SetUp() override { ui = GetParam().make(); }
    std::shared_ptr<platform::UserInterface> ui;
};

TEST_P(UserInterfaceContractTest, TextWidthGrowsWithTheTextAndIsNothingForNoText) {
    EXPECT_EQ(ui->textWidth(""), 0);
    const int one = ui->textWidth("\\Personal Folders\\Inbox");
    EXPECT_GT(one, 0);
    EXPECT_EQ(ui->textWidth("\\Personal Folders\\Inbox"), one) << "the same text measures the same";
    const int twice = ui->textWidth("\\Personal Folders\\Inbox\\Personal Folders\\Inbox");
    EXPECT_GT(twice, one);
    // Both halves measure alike; kerning may shift the join by a pixel or two.
    EXPECT_NEAR(twice, 2 * one, one / 10 + 30);
}

TEST_P(UserInterfaceContractTest, TextWidthMeasuresCharactersNotBytes) {
    const int plain = ui->textWidth("Ordner Ubersicht");
    const int accented = ui->textWidth("Ordner \xC3\x9C" "bersicht");
    // A two-byte character is one character: far less than the width of two.
    EXPECT_NEAR(accented, plain, plain / 8 + 30);
}

TEST_P(UserInterfaceContractTest, TextWidthIsInTwipsOfALegibleFont) {
    // Ten characters of a dialog font are some 40 to 100 pixels wide: 600 to 1500 twips at 96 dots per inch,
    // and no more than twice that on a screen of higher resolution.
    const int ten = ui->textWidth("abcdefghij");
    EXPECT_GE(ten, 400);
    EXPECT_LE(ten, 3000);
}

}  // namespace tw::contract
