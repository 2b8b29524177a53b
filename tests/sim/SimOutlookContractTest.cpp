// Runs the object-model contract against the simulated mail client.
#include "AddressListsContractTest.h"
#include "CommandBarsContractTest.h"

#include "sim/SimCommandBars.h"
#include "sim/SimEventLoop.h"
#include "sim/SimMailClient.h"
#include "sim/SimSafeMail.h"

namespace tw::contract {
namespace {

class SimWorld final : public OutlookWorld {
public:
    std::shared_ptr<outlook::Application> application() override { return client.application(); }
    std::string deliver(const std::string& senderAddress, const std::string& subject) override {
        return client.deliverMessage("From: <" + senderAddress + ">\r\nTo: <me@home.example>\r\nSubject: " + subject +
                                     "\r\n\r\nhello\r\n")
            ->EntryID();
    }
    void openExplorer() override { explorers.push_back(client.openExplorer()); }
    void closeLastExplorer() override {
        auto last = explorers.back();
        explorers.pop_back();
        client.closeExplorer(last);
    }
    void click(int explorer, const std::string& barName, const std::string& tag) override {
        auto bar = explorers.at(static_cast<size_t>(explorer - 1))->CommandBars()->Item(barName);
        std::dynamic_pointer_cast<sim::SimCommandBarControl>(bar->FindControl(0, 0, tag, true, true))->click();
    }

    void openInspector(const std::string& entryId) override {
        inspectors.push_back(client.openInspector(client.findItem(entryId, "")));
    }
    void closeLastInspector() override {
        auto last = inspectors.back();
        inspectors.pop_back();
        client.closeInspector(last);
    }
    void clickInInspector(int inspector, const std::string& barName, const std::string& tag) override {
        auto bar = inspectors.at(static_cast<size_t>(inspector - 1))->CommandBars()->Item(barName);
        std::dynamic_pointer_cast<sim::SimCommandBarControl>(bar->FindControl(0, 0, tag, true, true))->click();
    }

    void setUserDateFormats(const std::string& shortDate, const std::string& time) override {
        DateLocale locale;
        locale.shortDate = shortDate;
        locale.time = time;
        clock.setUserDateFormats(locale);
    }

private:
    sim::SimEventLoop clock{OleDate::fromCivil({2026, 12, 8, 9, 0, 0})};
    sim::SimMailClient client{clock};
    std::vector<std::shared_ptr<sim::SimExplorer>> explorers;
    std::vector<std::shared_ptr<sim::SimInspector>> inspectors;
};

const OutlookWorldFactory kSimWorld{"SimMailClient", [] { return std::make_unique<SimWorld>(); }};
std::string nameOf(const ::testing::TestParamInfo<OutlookWorldFactory>& factory) { return factory.param.name; }

INSTANTIATE_TEST_SUITE_P(Sim, OutlookContractTest, ::testing::Values(kSimWorld), nameOf);
INSTANTIATE_TEST_SUITE_P(Sim, CommandBarsContractTest, ::testing::Values(kSimWorld), nameOf);

class SimAddressBookWorld final : public AddressBookWorld {
public:
    std::shared_ptr<outlook::NameSpace> nameSpace() override { return client.nameSpace(); }
    safemail::SafeMail& safeMail() override { return safe; }
    void addContact(const std::string& fullName, const std::string& email) override { client.addContact(fullName, {email}); }
    void addAddressBook(const std::string& name, const std::vector<BookEntry>& entries) override {
        sim::SimAddressBook book{name, {}};
        for (const auto& e : entries) book.entries.push_back({e.name, e.type, e.address, e.smtp});
        client.addAddressBook(std::move(book));
    }

private:
    sim::SimEventLoop clock{OleDate::fromCivil({2026, 12, 8, 9, 0, 0})};
    sim::SimMailClient client{clock};
    sim::SimSafeMail safe{&client};
};

const AddressBookWorldFactory kSimBooks{"SimMailClient", [] { return std::make_unique<SimAddressBookWorld>(); }};
std::string bookWorldName(const ::testing::TestParamInfo<AddressBookWorldFactory>& factory) { return factory.param.name; }

INSTANTIATE_TEST_SUITE_P(Sim, AddressListsContractTest, ::testing::Values(kSimBooks), bookWorldName);

}  // namespace
}  // namespace tw::contract
