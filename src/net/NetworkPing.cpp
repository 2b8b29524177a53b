// The connectivity check: one small GET to the service, the 10-second rule and the one-time warning.
#include "net/NetworkPing.h"

#include "core/StringTable.h"
#include "net/CurlRequest.h"
#include "net/frmConnect.h"
#include "settings/ServiceAddresses.h"

namespace tw::net {

namespace {
constexpr int kCannotConnectId = 283;
constexpr int kProxyHintId = 284;
/// Room for the page's text, a line end and a little more, so that a longer page shows as longer.
constexpr int32_t kPingBufferSize = static_cast<int32_t>(settings::kPingPageText.size()) + 8;
}  // namespace

bool isPingAnswer(const std::string& answer) {
    size_t end = answer.find_last_not_of("\r\n");
    return end != std::string::npos && answer.substr(0, end + 1) == settings::kPingPageText;
}

NetworkPing::NetworkPing(NetContext context, FetchLibrary& fetch) : context_(std::move(context)), fetch_(fetch) {}

NetworkPing::~NetworkPing() {
    try {
        if (warning_ && context_.platform.ui.isFormVisible(*warning_)) context_.platform.ui.hideForm(*warning_);
    } catch (...) {
        context_.log.logError("NetworkPing");
    }
}

bool NetworkPing::request() {
    try {
        CurlRequest curl(fetch_, context_.settings, context_.log);
        curl.setBufferSize(kPingBufferSize);
        curl.setConnectTimeout(kConnectTimeoutSeconds);
        curl.setTimeout(kTimeoutSeconds);
        auto addresses = settings::serviceAddresses(context_.platform.registry);
        curl.GetRequest(addresses.pingHost, 80, false, addresses.pingPage);
        if (curl.errorCode() != 0) return false;
        if (isPingAnswer(curl.Response())) return true;
        context_.log.LogErrorMessage("network check: the answer is not the service's ping page");
        return false;
    } catch (...) {
        return false;
    }
}

void NetworkPing::warn() {
    std::string message = loadString(kCannotConnectId);
    // The proxy hint helps only until the service has been reached once on this machine.
    if (!context_.settings.hasConnected) message += "\r\n\r\n" + loadString(kProxyHintId);
    warning_ = std::make_unique<frmConnect>(context_);
    warning_->Form_Load(message);
    context_.platform.ui.showForm(*warning_, false);
}

bool NetworkPing::TWPingUI() {
    try {
        auto& s = context_.settings;
        if (!mustCheck_ || !s.EnablePingChecks) return true;
        auto& clock = context_.platform.clock;
        if (requestedBefore_ && secondsBetween(lastCheck_, clock.now()) < kRetrySeconds) return false;

        bool reached = request();
        if (reached) {
            mustCheck_ = false;
            mayWarn_ = true;
            if (!s.hasConnected) {
                s.hasConnected = true;
                context_.key.writeFlag(true, "hasConnected");
            }
        } else {
            if (mayWarn_ && s.EnableConnectErr) {
                mayWarn_ = false;
                warn();
            }
            context_.log.LogSeriousErrorMessage("cannot connect to Network");
        }
        requestedBefore_ = true;
        lastResult_ = reached;
        lastCheck_ = clock.now();
        return reached;
    } catch (...) {
        context_.log.logError("TWPingUI");
        return false;
    }
}

}  // namespace tw::net
