// Runs the object-model contract against the Windows adapter, late-bound over the stand-in client.
#include "UserLocaleOverride.h"
#include "sim/AddressListsContractTest.h"
#include "sim/CommandBarsContractTest.h"
#include "sim/SafeMailContractTest.h"

#include <map>

#include "standin/StandInClient.h"
#include "win32/outlook/ComApplication.h"
#include "win32/safemail/ComSafeMail.h"

namespace tw::contract {
namespace {

constexpr const char* kInbox = "\\Personal Folders\\Inbox";

class StandInWorld final : public OutlookWorld {
public:
    std::shared_ptr<outlook::Application> application() override {
        return std::make_shared<win32::outlook::ComApplication>(win32::ComPtr<IDispatch>::share(client.application()));
    }
    std::string deliver(const std::string& senderAddress, const std::string& subject) override {
        standin::MailSpec mail;
        mail.senderAddress = senderAddress;
        mail.to = {"me@home.example"};
        mail.subject = subject;
        mail.headers = "From: <" + senderAddress + ">\r\nSubject: " + subject + "\r\n";
        mail.body = "hello";
        return client.deliver(kInbox, mail);
    }
    void openExplorer() override { explorers.push_back(client.openExplorer(kInbox)); }
    void closeLastExplorer() override {
        const int last = explorers.back();
        explorers.pop_back();
        client.closeExplorer(last);
    }
    void click(int explorer, const std::string&, const std::string& tag) override {
        client.click(explorers.at(static_cast<size_t>(explorer - 1)), tag);
    }

    void openInspector(const std::string& entryId) override { inspectors.push_back(client.openInspector(entryId)); }
    void closeLastInspector() override {
        const int last = inspectors.back();
        inspectors.pop_back();
        client.closeInspector(last);
    }
    void clickInInspector(int inspector, const std::string&, const std::string& tag) override {
        client.click(inspectors.at(static_cast<size_t>(inspector - 1)), tag);
    }
    void setUserDateFormats(const std::string& shortDate, const std::string& time) override {
        ASSERT_TRUE(locale.set(shortDate, time)) << "the system refused the formats";
    }

private:
    test::UserLocaleOverride locale;
    standin::StandInClient client;
    std::vector<int> explorers, inspectors;
};

const OutlookWorldFactory kStandInWorld{"ComOverStandIn", [] { return std::make_unique<StandInWorld>(); }};
std::string nameOf(const ::testing::TestParamInfo<OutlookWorldFactory>& factory) { return factory.param.name; }

INSTANTIATE_TEST_SUITE_P(Win32, OutlookContractTest, ::testing::Values(kStandInWorld), nameOf);
INSTANTIATE_TEST_SUITE_P(Win32, CommandBarsContractTest, ::testing::Values(kStandInWorld), nameOf);

class StandInBookWorld final : public AddressBookWorld {
public:
    std::shared_ptr<outlook::NameSpace> nameSpace() override {
        auto app = std::make_shared<win32::outlook::ComApplication>(win32::ComPtr<IDispatch>::share(client.application()));
        return app->GetNamespace("MAPI");
    }
    safemail::SafeMail& safeMail() override { return safe; }
    void addContact(const std::string& fullName, const std::string& email) override { client.addContact(fullName, email); }
    void addAddressBook(const std::string& name, const std::vector<BookEntry>& entries) override {
        std::vector<standin::AddressEntrySpec> specs;
        for (const auto& e : entries) specs.push_back({e.name, e.type, e.address, e.smtp});
        client.addAddressBook(name, specs);
    }

private:
    standin::StandInClient client;
    win32::ComSafeMail safe;
};

const AddressBookWorldFactory kStandInBooks{"ComOverStandIn", [] { return std::make_unique<StandInBookWorld>(); }};
std::string bookWorldName(const ::testing::TestParamInfo<AddressBookWorldFactory>& factory) { return factory.param.name; }

INSTANTIATE_TEST_SUITE_P(Win32, AddressListsContractTest, ::testing::Values(kStandInBooks), bookWorldName);

/// The installed safe mail library over the stand-in client's MAPI objects, through the add-in's adapters.
class StandInSafeMailWorld final : public SafeMailWorld {
public:
    std::shared_ptr<outlook::Application> application() override {
        return std::make_shared<win32::outlook::ComApplication>(win32::ComPtr<IDispatch>::share(client.application()));
    }
    safemail::SafeMail& safeMail() override { return safe; }
    std::string deliver(const ArrivingMail& mail) override {
        standin::MailSpec spec;
        spec.senderName = mail.senderName;
        spec.senderAddress = mail.senderAddress;
        if (auto user = directory.find(mail.senderAddress); user != directory.end()) {
            spec.senderType = "EX";
            spec.senderAddress = user->second;
        }
        spec.to = mail.to;
        spec.cc = mail.cc;
        spec.bcc = mail.bcc;
        spec.subject = mail.subject;
        spec.body = mail.body;
        spec.htmlBody = mail.htmlBody;
        spec.headers = arrivingHeaders(mail);
        spec.unread = mail.unread;
        return client.deliver(kInbox, spec);
    }
    void settle() override { client.pump(100); }
    void addExchangeUser(const std::string& name, const std::string& smtpAddress, const std::string& directoryName) override {
        client.addAddressBook("Global Address List", {{name, "EX", directoryName, smtpAddress}});
        directory[smtpAddress] = directoryName;
    }

private:
    standin::StandInClient client;
    win32::ComSafeMail safe;
    std::map<std::string, std::string> directory;
};

const SafeMailWorldFactory kStandInSafeMail{"LibraryOverStandIn", [] { return std::make_unique<StandInSafeMailWorld>(); }};
std::string safeMailWorldName(const ::testing::TestParamInfo<SafeMailWorldFactory>& factory) { return factory.param.name; }

INSTANTIATE_TEST_SUITE_P(Win32, SafeMailContractTest, ::testing::Values(kStandInSafeMail), safeMailWorldName);

}  // namespace
}  // namespace tw::contract
