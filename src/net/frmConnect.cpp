// Handlers of the connection warning.
#include "net/frmConnect.h"

#include "core/StringTable.h"
#include "settings/SettingsWriters.h"

namespace tw::net {

namespace {
using platform::ControlKind;
using platform::control;
constexpr int kCaptionId = 207;
constexpr int kOkId = 204;
constexpr int kDontShowAgainId = 285;
}  // namespace

const platform::FormDecl& frmConnect::declaration() {
    // Room for both sentences of the warning, each on its own lines.
    static const platform::FormDecl decl{
        "frmConnect", kCaptionId, 5400, 2520,
        {
            control(ControlKind::Label, "Label1", 0, 240, 240, 4920, 1080),
            control(ControlKind::CheckBox, "chkConnectErr", kDontShowAgainId, 240, 1440, 4920, 300, 0),
            control(ControlKind::CommandButton, "cmdOK", kOkId, 2093, 1920, 1215, 375, 1, true, true),
        }};
    return decl;
}

frmConnect::frmConnect(NetContext& context) : context_(context), controls_(declaration()) {
    controls_.onClick("cmdOK", [this] { cmdOK_Click(); });
}

void frmConnect::Form_Load(const std::string& message) {
    controls_.caption = loadString(kCaptionId);
    controls_["cmdOK"].caption = loadString(kOkId);
    controls_["chkConnectErr"].caption = loadString(kDontShowAgainId);
    controls_["Label1"].caption = message;
}

void frmConnect::cmdOK_Click() {
    try {
        const bool ticked = chkConnectErr();
        context_.settings.EnableConnectErr = !ticked;
        settings::SettingsWriters(context_.key, context_.settings).writeEnableConnectErr(!ticked);
    } catch (...) {
        context_.log.logError("frmConnect cmdOK_Click");
    }
    context_.platform.ui.hideForm(*this);
}

}  // namespace tw::net
