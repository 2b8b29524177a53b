// Adding or editing one of my addresses or a mailing list.
#include "senders/frmToMe.h"

#include "core/StringTable.h"
#include "senders/Senders.h"

namespace tw::senders {

namespace {
using platform::ControlKind;
using platform::control;
constexpr int kEditMine = 0, kAddMine = 1, kEditList = 3, kAddList = 4;
bool mailingList(int kind) { return kind == kEditList || kind == kAddList; }
}  // namespace

const platform::FormDecl& frmToMe::declaration() {
    static const platform::FormDecl decl{
        "frmToMe", 928, 4800, 2010,
        {
            control(ControlKind::Label, "lblPrompt", 929, 120, 120, 4440, 495),
            control(ControlKind::TextBox, "txtEntry", 0, 120, 720, 4440, 315, 0),
            control(ControlKind::CommandButton, "cmdOK", 204, 1320, 1200, 1095, 375, 1, true),
            control(ControlKind::CommandButton, "cmdCancel", 205, 2520, 1200, 1095, 375, 2, false, true),
        }};
    return decl;
}

frmToMe::frmToMe(Senders& lists, platform::UserInterface& ui, diag::CErrorHandler& log)
    : EntryDialog(declaration(), lists, ui, log) {}

void frmToMe::applyKind() {
    controls_.caption = loadString(mailingList(kind_) ? 926 : 928);
    controls_["lblPrompt"].caption = loadString(mailingList(kind_) ? 927 : 929);
    mode_ = kind_ == kEditMine || kind_ == kEditList ? entryEdit : entryAdd;
}

void frmToMe::apply(const std::string& entry) {
    switch (kind_) {
        case kAddMine: lists_.AddMeTo({entry}); break;
        case kEditMine: lists_.EditToMe(editedEntry_, entry); break;
        case kAddList: lists_.AddMailingList({entry}); break;
        case kEditList: lists_.EditMailingList(editedEntry_, entry); break;
        default: break;
    }
}

}  // namespace tw::senders
