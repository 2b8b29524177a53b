// Adding or editing one approved, blocked or ignored sender.
#include "senders/frmEnterEmailDomain.h"

#include "core/StringTable.h"
#include "senders/Senders.h"

namespace tw::senders {

namespace {
using platform::ControlKind;
using platform::control;
constexpr int kApprovedKind = 0;
constexpr int kIgnoredKind = 4;
constexpr int kAddPromptId = 924, kEditPromptId = 943;
}  // namespace

const platform::FormDecl& frmEnterEmailDomain::declaration() {
    static const platform::FormDecl decl{
        "frmEnterEmailDomain", 923, 4800, 2010,
        {
            control(ControlKind::Label, "lblPrompt", kAddPromptId, 120, 120, 4440, 495),
            control(ControlKind::TextBox, "txtEntry", 0, 120, 720, 4440, 315, 0),
            control(ControlKind::CommandButton, "cmdOK", 204, 1320, 1200, 1095, 375, 1, true),
            control(ControlKind::CommandButton, "cmdCancel", 205, 2520, 1200, 1095, 375, 2, false, true),
        }};
    return decl;
}

frmEnterEmailDomain::frmEnterEmailDomain(Senders& lists, platform::UserInterface& ui, diag::CErrorHandler& log)
    : EntryDialog(declaration(), lists, ui, log) {}

void frmEnterEmailDomain::applyKind() {
    controls_["lblPrompt"].caption = loadString(mode_ == entryEdit ? kEditPromptId : kAddPromptId);
}

void frmEnterEmailDomain::apply(const std::string& entry) {
    bool removed = false;
    if (mode_ == entryEdit) {
        if (kind_ == kApprovedKind) lists_.EditApprovedSender(editedEntry_, entry, removed);
        else if (kind_ == kIgnoredKind) lists_.EditIgnoredSender(editedEntry_, entry);
        else lists_.EditBlocked(editedEntry_, entry, removed);
        return;
    }
    if (kind_ == kApprovedKind) lists_.AddApprovedSenders({entry}, removed, false, {});
    else if (kind_ == kIgnoredKind) lists_.AddIgnoredSenders({entry});
    else lists_.AddBlockedSenders({entry}, removed, false, {});
}

}  // namespace tw::senders
