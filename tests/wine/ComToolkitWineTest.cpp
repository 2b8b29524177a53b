// The COM toolkit over the stand-in client: errors keep the three facts of a COM error, and an event
// handler that throws never reaches the object that raised the event.
#include <gtest/gtest.h>

#include <stdexcept>

#include "core/Error.h"
#include "standin/StandInClient.h"
#include "win32/com/EventConnection.h"
#include "win32/outlook/ComApplication.h"

namespace tw::winetest {
namespace {

constexpr const char* kInbox = "\\Personal Folders\\Inbox";

standin::MailSpec mail(const std::string& subject) {
    standin::MailSpec m;
    m.senderAddress = "ann@a.example";
    m.subject = subject;
    m.headers = "Subject: " + subject + "\r\n";
    return m;
}

TEST(ComToolkitWineTest, AFailedCallRaisesTheObjectsNumberSourceAndDescription) {
    standin::StandInClient client;
    win32::outlook::ComApplication app(win32::ComPtr<IDispatch>::share(client.application()));
    auto inbox = app.GetNamespace("MAPI")->GetDefaultFolder(outlook::olFolderInbox);
    client.failNext("Name");
    try {
        inbox->Name();
        FAIL() << "the injected failure did not raise";
    } catch (const Error& error) {
        EXPECT_NE(error.number(), 0);
        EXPECT_FALSE(error.description().empty());
        EXPECT_FALSE(error.source().empty());
    }
    EXPECT_EQ(inbox->Name(), "Inbox") << "only the next call fails";
    try {
        win32::Dispatch(win32::ComPtr<IDispatch>::share(client.application())).get("NoSuchMember");
        FAIL() << "an unknown member did not raise";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), 438);
    }
}

TEST(ComToolkitWineTest, AThrowingHandlerIsReportedAndTheSourceGoesOn) {
    standin::StandInClient client;
    const long failuresBefore = client.sinkFailures();
    std::vector<DISPID> reported;
    win32::EventConnection::setUnhandledErrorReporter([&](DISPID id) { reported.push_back(id); });

    win32::outlook::ComApplication app(win32::ComPtr<IDispatch>::share(client.application()));
    auto items = app.GetNamespace("MAPI")->GetDefaultFolder(outlook::olFolderInbox)->Items();
    int calls = 0;
    Subscription subscription = items->ItemAdd().connect([&](std::shared_ptr<outlook::Item>) {
        ++calls;
        throw std::runtime_error("a handler that forgot to trap");
    });
    client.deliver(kInbox, mail("one"));
    client.deliver(kInbox, mail("two"));
    win32::EventConnection::setUnhandledErrorReporter(nullptr);

    EXPECT_EQ(calls, 2) << "the second event did not arrive";
    EXPECT_EQ(reported, (std::vector<DISPID>{0xF001, 0xF001}));
    EXPECT_EQ(client.sinkFailures(), failuresBefore) << "the client saw the handler's failure";
    EXPECT_EQ(client.items(kInbox).size(), 2u);
}

}  // namespace
}  // namespace tw::winetest
