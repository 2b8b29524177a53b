// Handlers of the connection warning.
#include "net/frmConnect.h"

#include "core/StringTable.h"
#include "settings/SettingsWriters.h"

namespace tw::net {

namespace {
constexpr int kCaptionId = 207;
constexpr int kOkId = 204;
constexpr int kDontShowAgainId = 285;
}  // namespace

void frmConnect::Form_Load(const std::string& message) {
    caption_ = loadString(kCaptionId);
    okCaption_ = loadString(kOkId);
    checkCaption_ = loadString(kDontShowAgainId);
    label_ = message;
}

void frmConnect::cmdOK_Click() {
    try {
        context_.settings.EnableConnectErr = !chkConnectErr_;
        settings::SettingsWriters(context_.key, context_.settings).writeEnableConnectErr(!chkConnectErr_);
    } catch (...) {
        context_.log.logError("frmConnect cmdOK_Click");
    }
    context_.platform.ui.hideForm(*this);
}

}  // namespace tw::net
