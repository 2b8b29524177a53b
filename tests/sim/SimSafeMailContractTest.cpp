// Runs the safe mail library's contract against the simulated library over the simulated client.
#include "SafeMailContractTest.h"

#include "sim/SimEventLoop.h"
#include "sim/SimMailClient.h"
#include "sim/SimSafeMail.h"

namespace tw::contract {
namespace {

class SimSafeMailWorld final : public SafeMailWorld {
public:
    std::shared_ptr<outlook::Application> application() override { return client.application(); }
    safemail::SafeMail& safeMail() override { return safe; }
    std::string deliver(const ArrivingMail& mail) override {
        std::string raw = arrivingHeaders(mail) + "MIME-Version: 1.0\r\n";
        if (mail.htmlBody.empty()) {
            raw += "Content-Type: text/plain; charset=us-ascii\r\n\r\n" + mail.body;
        } else {
            raw += "Content-Type: multipart/alternative; boundary=\"part\"\r\n\r\n--part\r\n"
                   "Content-Type: text/plain; charset=us-ascii\r\n\r\n" + mail.body +
                   "\r\n--part\r\nContent-Type: text/html; charset=us-ascii\r\n\r\n" + mail.htmlBody + "\r\n--part--\r\n";
        }
        auto item = client.deliverMessage(raw);
        item->setUnRead(mail.unread);
        return item->EntryID();
    }
    void addExchangeUser(const std::string&, const std::string& smtpAddress, const std::string& directoryName) override {
        client.addExchangeUser(smtpAddress, directoryName);
    }

private:
    sim::SimEventLoop clock{OleDate::fromCivil({2026, 12, 8, 9, 0, 0})};
    sim::SimMailClient client{clock};
    sim::SimSafeMail safe{&client};
};

const SafeMailWorldFactory kSimSafeMail{"SimMailClient", [] { return std::make_unique<SimSafeMailWorld>(); }};
std::string nameOf(const ::testing::TestParamInfo<SafeMailWorldFactory>& factory) { return factory.param.name; }

INSTANTIATE_TEST_SUITE_P(Sim, SafeMailContractTest, ::testing::Values(kSimSafeMail), nameOf);

}  // namespace
}  // namespace tw::contract
