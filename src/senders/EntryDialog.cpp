// The shared OK and Cancel of the entry dialogs.
#include "senders/EntryDialog.h"

#include "core/StringTable.h"
#include "core/Text.h"

namespace tw::senders {

namespace {
constexpr int kProductTitleId = 134;
constexpr int kEnterEntryId = 925;
constexpr int kSelectToEditId = 930;
}  // namespace

EntryDialog::EntryDialog(const platform::FormDecl& decl, Senders& lists, platform::UserInterface& ui,
                         diag::CErrorHandler& log)
    : lists_(lists), ui_(ui), log_(log), controls_(decl) {
    controls_.onClick("cmdOK", [this] { cmdOK_Click(); });
    controls_.onClick("cmdCancel", [this] { cmdCancel_Click(); });
}

void EntryDialog::setEditedEntry(const std::string& entry) {
    editedEntry_ = entry;
    controls_["txtEntry"].text = entry;
}

void EntryDialog::show() {
    applyKind();
    ui_.showForm(*this, true);
}

void EntryDialog::cmdOK_Click() {
    try {
        // Every list compares lower-case text: an entry typed in capitals must match as itself.
        std::string entry = text::lower(text::trim(controls_["txtEntry"].text));
        if (entry.empty()) {
            ui_.MsgBox(loadString(kEnterEntryId), platform::vbOKOnly, loadString(kProductTitleId));
            return;
        }
        if (mode_ == entryEdit && editedEntry_.empty()) {
            ui_.MsgBox(loadString(kSelectToEditId), platform::vbOKOnly, loadString(kProductTitleId));
            return;
        }
        apply(entry);
        if (refresh_) refresh_();
    } catch (...) {
        log_.logError(formName() + " cmdOK_Click");
    }
    ui_.hideForm(*this);
}

void EntryDialog::cmdCancel_Click() { ui_.hideForm(*this); }

}  // namespace tw::senders
