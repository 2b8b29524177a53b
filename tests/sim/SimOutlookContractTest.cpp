// Runs the object-model contract against the simulated mail client.
#include "OutlookContractTest.h"

#include "sim/SimEventLoop.h"
#include "sim/SimMailClient.h"

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

private:
    sim::SimEventLoop clock{OleDate::fromCivil({2026, 12, 8, 9, 0, 0})};
    sim::SimMailClient client{clock};
    std::vector<std::shared_ptr<sim::SimExplorer>> explorers;
};

INSTANTIATE_TEST_SUITE_P(Sim, OutlookContractTest,
                         ::testing::Values(OutlookWorldFactory{"SimMailClient", [] { return std::make_unique<SimWorld>(); }}),
                         [](const ::testing::TestParamInfo<OutlookWorldFactory>& factory) { return factory.param.name; });

}  // namespace
}  // namespace tw::contract
