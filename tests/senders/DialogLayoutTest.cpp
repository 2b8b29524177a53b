// The add-in's small windows keep their controls clear of the window's edges and of each other.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "classify/frmWhy.h"
#include "commandbars/frmAboutOrvenna.h"
#include "diag/frmStats.h"
#include "diag/frmViewLog.h"
#include "net/frmConnect.h"
#include "net/frmNewRelease.h"
#include "options/frmGenericEntry.h"
#include "scan/frmAutoScanStatus.h"
#include "scan/frmScanResults.h"
#include "scan/frmScanning.h"
#include "senders/frmEnterEmailDomain.h"
#include "senders/frmSenderDialog.h"
#include "senders/frmToMe.h"
#include "twupdate/frmTwupdate.h"

namespace tw::test {
namespace {

constexpr int kMargin = 120;  // twips: eight pixels at the usual 96 dots per inch

TEST(DialogLayout, NoControlTouchesTheSidesOfItsWindow) {
    for (const platform::FormDecl* decl :
         {&senders::frmSenderDialog::declaration(), &senders::frmEnterEmailDomain::declaration(),
          &senders::frmToMe::declaration(), &options::frmGenericEntry::declaration(), &net::frmConnect::declaration(),
          &net::frmNewRelease::declaration(), &diag::frmStats::declaration(), &diag::frmViewLog::declaration(),
          &scan::frmScanning::declaration(), &scan::frmScanResults::declaration(),
          &scan::frmAutoScanStatus::declaration(), &commandbars::frmAboutOrvenna::declaration(),
          &classify::frmWhy::declaration(), &twupdate::frmTwupdate::declaration()})
        for (const auto& c : decl->controls) {
            EXPECT_GE(c.left, kMargin) << decl->name << "." << c.name;
            EXPECT_LE(c.left + c.width, decl->width - kMargin) << decl->name << "." << c.name;
            // The sender dialog grows to show its countries.
            const int height = decl->name == "frmSenderDialog" ? senders::kExpandedHeight : decl->height;
            EXPECT_LE(c.top + c.height, height - kMargin) << decl->name << "." << c.name;
        }
}

TEST(DialogLayout, TheSenderDialogsThreeButtonsShareTheirRowWithoutOverlapping) {
    const auto& decl = senders::frmSenderDialog::declaration();
    const auto find = [&](const std::string& name) {
        for (const auto& c : decl.controls)
            if (c.name == name) return c;
        throw std::runtime_error(name);
    };
    // Where the dialog puts Yes and No when it lists countries and shows the options button.
    constexpr int yesLeft = 480, noLeft = 2160;
    EXPECT_LT(yesLeft + find("cmdYes").width, noLeft);
    EXPECT_LT(noLeft + find("cmdNo").width, find("cmdOptions").left);
}

}  // namespace
}  // namespace tw::test
