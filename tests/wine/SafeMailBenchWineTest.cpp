// The safe mail benchmark's messages read back whole through the add-in's reader, so that its figures are of real reads.
#include <gtest/gtest.h>

#include "bench/wine/SafeMailBenchMail.h"
#include "diag/CErrorHandler.h"
#include "win32/Win32Clock.h"
#include "win32/Win32FileSystem.h"
#include "win32/Win32Shell.h"
#include "win32/outlook/ComApplication.h"
#include "win32/safemail/ComSafeMail.h"

namespace tw::bench::safemail {
namespace {

class SafeMailBenchMailTest : public ::testing::TestWithParam<const char*> {};

// Sixty messages hold every kind: large plain and HTML bodies, EX senders, one to five recipients.
TEST_P(SafeMailBenchMailTest, EveryKindOfMessageReadsBackWholeThroughTheSafeRoute) {
    standin::StandInClient client;
    client.setVersion(GetParam());
    client.addAddressBook("Global Address List", directoryUsers());
    std::vector<standin::MailSpec> mails;
    int largeHtml = 0, exchange = 0;
    for (int i = 0; i < 60; ++i) {
        mails.push_back(benchMail(i));
        client.addMail("\\Personal Folders\\Inbox", mails.back());
        largeHtml += mails.back().body.size() >= kLargeBody && !mails.back().htmlBody.empty();
        exchange += mails.back().senderType == "EX";
    }
    ASSERT_GT(largeHtml, 0);
    ASSERT_GT(exchange, 1);

    win32::Win32FileSystem files;
    win32::Win32Shell shell;
    win32::Win32Clock clock;
    diag::CErrorHandler log(files, shell, clock);
    log.setEnabled(diag::oNothing);
    win32::ComSafeMail safe;
    auto utils = safe.CreateMAPIUtils(classify::safeMailProgId("MAPIUtils"));
    classify::MessageContent content(safe, log);
    content.setMapiUtils(utils);
    content.setVersion(std::atoi(GetParam()), true);
    auto application = std::make_shared<win32::outlook::ComApplication>(win32::ComPtr<IDispatch>::share(client.application()));
    auto items = application->GetNamespace("MAPI")->GetDefaultFolder(outlook::olFolderInbox)->Items();
    for (int i = 0; i < 60; ++i) {
        MessageRead read = readAsTheAddIn(content, items->Item(i + 1));
        EXPECT_EQ(mismatch(mails[static_cast<size_t>(i)], read), "") << "message " << i;
        EXPECT_GE(read.totalMs(), 0.0);
    }
    utils->Cleanup();
}

INSTANTIATE_TEST_SUITE_P(Win32, SafeMailBenchMailTest, ::testing::Values("11.0.0.8312", "9.0.0.4527"));

}  // namespace
}  // namespace tw::bench::safemail
