// The "Why?" window's declaration and buttons.
#include "classify/frmWhy.h"

#include <algorithm>

#include "core/StringTable.h"
#include "core/Text.h"

namespace tw::classify {

namespace {
using platform::ControlKind;
using platform::ControlLook;
using platform::control;
using platform::withLook;

constexpr int kApproveCaptionId = 962, kBlockCaptionId = 963, kCloseCaptionId = 334;
constexpr int kMessageLabelId = 1321, kNoSubjectId = 1322, kNoSenderId = 1323, kJudgedNowId = 1324;
}  // namespace

const platform::FormDecl& frmWhy::declaration() {
    static const platform::FormDecl decl{
        "frmWhy", kWhyCaptionId, 7680, 4620,
        {
            withLook(control(ControlKind::Label, "lblMessage", 0, 120, 120, 7440, 255), ControlLook::pathEllipsis),
            // Close comes first: the window opens with the keys on it, so Enter closes it and lists nobody.
            withLook(control(ControlKind::TextBox, "txtReasons", 0, 120, 480, 7440, 3435, 1), ControlLook::wrappedLines),
            control(ControlKind::CommandButton, "cmdApprove", kApproveCaptionId, 2505, 4110, 1815, 375, 2),
            control(ControlKind::CommandButton, "cmdBlock", kBlockCaptionId, 4425, 4110, 1815, 375, 3),
            control(ControlKind::CommandButton, "cmdClose", kCloseCaptionId, 6345, 4110, 1215, 375, 0, true, true),
        }};
    return decl;
}

frmWhy::frmWhy(platform::UserInterface& ui, diag::CErrorHandler& log) : ui_(ui), log_(log), controls_(declaration()) {
    controls_.onClick("cmdApprove", [this] { cmdApprove_Click(); });
    controls_.onClick("cmdBlock", [this] { cmdBlock_Click(); });
    controls_.onClick("cmdClose", [this] { cmdClose_Click(); });
}

void frmWhy::fill(const std::string& subject, const Judgement& judgement) {
    const std::string shownSubject = text::trim(subject).empty() ? loadString(kNoSubjectId) : subject;
    const std::string from = judgement.sender.empty() ? loadString(kNoSenderId) : judgement.sender;
    // Filled piece by piece, so that a subject holding "%2" stays as it is.
    const std::string label = loadString(kMessageLabelId);
    const size_t senderAt = std::min(label.find("%2"), label.size());
    controls_["lblMessage"].caption = text::fillPlaceholder(label.substr(0, senderAt), shownSubject) + from +
                                      label.substr(std::min(senderAt + 2, label.size()));
    auto lines = judgementInWords(judgement);
    lines.push_back("");
    lines.push_back(loadString(kJudgedNowId));
    controls_["txtReasons"].text = text::join(lines, "\r\n");
    controls_["cmdApprove"].enabled = !judgement.sender.empty();
    controls_["cmdBlock"].enabled = !judgement.sender.empty();
}

frmWhy::Action frmWhy::showModal() {
    action_ = Action::none;
    try {
        ui_.showForm(*this, true);
    } catch (...) {
        log_.logError("frmWhy showModal");
        return Action::none;
    }
    return action_;
}

void frmWhy::close(Action action) {
    action_ = action;
    try {
        ui_.hideForm(*this);
    } catch (...) {
        log_.logError("frmWhy close");
    }
}

}  // namespace tw::classify
