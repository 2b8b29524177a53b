// The report confirmation's texts per kind, its switch-off and its two buttons.
#include "net/frmConfirmReportSpam.h"

#include "core/StringTable.h"
#include "net/MessageReport.h"
#include "settings/SettingsWriters.h"

namespace tw::net {

namespace {
using platform::ControlKind;
using platform::control;
constexpr int kPromptId = 278, kYesId = 279, kNoId = 280, kDontShowId = 281, kSpamCaptionId = 282;
constexpr int kSpamPromptId = 343, kOtherPromptId = 344;
constexpr int kLegitCaptionId = 345, kFraudCaptionId = 856, kVirusCaptionId = 857;
}  // namespace

const platform::FormDecl& frmConfirmReportSpam::declaration() {
    static const platform::FormDecl decl{
        "frmConfirmReportSpam", kSpamCaptionId, 5400, 2400,
        {
            control(ControlKind::Label, "lblPrompt", kPromptId, 240, 240, 4920, 855),
            control(ControlKind::CheckBox, "chkConfirm", kDontShowId, 240, 1200, 4920, 300, 2),
            control(ControlKind::CommandButton, "cmdYes", kYesId, 1200, 1680, 1335, 375, 0, true),
            control(ControlKind::CommandButton, "cmdNo", kNoId, 2865, 1680, 1335, 375, 1, false, true),
        }};
    return decl;
}

frmConfirmReportSpam::frmConfirmReportSpam(ReportHost& host)
    : host_(host), ui_(host.netContext().platform.ui), connection_(host.connection()), controls_(declaration()) {
    controls_.onClick("cmdYes", [this] { cmdYes_Click(); });
    controls_.onClick("cmdNo", [this] { cmdNo_Click(); });
}

void frmConfirmReportSpam::Form_Load() {
    controls_.caption = loadString(kSpamCaptionId);
    controls_["lblPrompt"].caption = loadString(kPromptId);
    controls_["cmdYes"].caption = loadString(kYesId);
    controls_["cmdNo"].caption = loadString(kNoId);
    controls_["chkConfirm"].caption = loadString(kDontShowId);
}

void frmConfirmReportSpam::setReportKind(int32_t kind, bool train) {
    kind_ = kind;
    train_ = train;
    int caption = 0;
    switch (kind) {
        case kReportSpam: caption = kSpamCaptionId; break;
        case kReportLegitimate: caption = kLegitCaptionId; break;
        case kReportFraud: caption = kFraudCaptionId; break;
        case kReportVirus: caption = kVirusCaptionId; break;
        default: break;
    }
    if (caption != 0) controls_.caption = loadString(caption);
    controls_["lblPrompt"].caption = loadString(kind == kReportSpam ? kSpamPromptId : kOtherPromptId);
}

void frmConfirmReportSpam::recordConfirmChoice() {
    try {
        auto context = host_.netContext();
        const bool show = !controls_["chkConfirm"].value;
        if (show != context.settings.ShowReportSpamConfirmation)
            settings::SettingsWriters(context.key, context.settings).writeShowReportSpamConfirmation(show);
    } catch (...) {
        host_.netContext().log.logError("frmConfirmReportSpam");
    }
}

void frmConfirmReportSpam::unload() { ui_.hideForm(*this); }

void frmConfirmReportSpam::cmdYes_Click() {
    // The client may have torn the add-in down while the question was open: nothing is left to report with.
    if (!connection_.alive()) {
        unload();
        return;
    }
    recordConfirmChoice();
    unload();
    MessageReports reports(host_);
    if (message_) reports.ReportSingleMessage(message_, kind_, train_);
    else reports.ReportSpamSelection(kind_, train_);
}

void frmConfirmReportSpam::cmdNo_Click() {
    if (connection_.alive()) recordConfirmChoice();
    unload();
}

}  // namespace tw::net
