// The import dialog's opening check, list, OK with its report, and Cancel.
#include "senders/frmImportAddresses.h"

#include "core/StringTable.h"
#include "core/Text.h"

namespace tw::senders {

namespace {
using platform::ControlKind;
using platform::control;
constexpr int kNothingToImportId = 260, kNothingToImportTitleId = 261;
constexpr int kPromptId = 286, kImportTitleId = 287, kImportedManyId = 288, kImportedOneId = 289;
constexpr int kImportFailedId = 1100, kImportMismatchId = 1101;
constexpr int kOkId = 204, kCancelId = 205;
constexpr char kCR = '\r';
}  // namespace

const platform::FormDecl& frmImportAddresses::declaration() {
    static const platform::FormDecl decl{
        "frmImportAddresses", kImportTitleId, 4800, 3690,
        {
            control(ControlKind::Label, "lblPrompt", kPromptId, 120, 120, 4440, 495),
            control(ControlKind::ListBox, "ImportList", 0, 120, 720, 4440, 2055, 0, false, false, true),
            control(ControlKind::CommandButton, "cmdOK", kOkId, 1320, 2940, 1095, 375, 1, true),
            control(ControlKind::CommandButton, "cmdCancel", kCancelId, 2520, 2940, 1095, 375, 2, false, true),
        }};
    return decl;
}

frmImportAddresses::frmImportAddresses(Senders& lists, platform::UserInterface& ui, diag::CErrorHandler& log)
    : lists_(lists), ui_(ui), log_(log), controls_(declaration()) {
    controls_.onClick("cmdOK", [this] { cmdOK_Click(); });
    controls_.onClick("cmdCancel", [this] { cmdCancel_Click(); });
}

bool frmImportAddresses::Open() {
    report_.clear();
    if (lists_.getImportList().empty()) {
        ui_.MsgBox(loadString(kNothingToImportId), platform::vbOKOnly, loadString(kNothingToImportTitleId));
        return false;
    }
    LoadAddressBooks();
    ui_.showForm(*this, true);
    refreshLists();
    return true;
}

void frmImportAddresses::LoadAddressBooks() {
    books_ = lists_.getImportList();
    controls_.clearList("ImportList");
    for (const auto& book : books_) controls_.addItem("ImportList", book.name);
}

std::string frmImportAddresses::reportLine(const std::string& name, int32_t count) {
    if (count == kImportFailed) return text::fillPlaceholder(loadString(kImportFailedId), name);
    if (count == kImportMismatch) return text::fillPlaceholder(loadString(kImportMismatchId), name);
    if (count == 1) return text::fillPlaceholder(loadString(kImportedOneId), name);
    std::string line = text::fillPlaceholder(loadString(kImportedManyId), std::to_string(count));
    // Only the first "%2" is the book's name; a name holding "%1" stays as it is.
    if (size_t at = line.find("%2"); at != std::string::npos) line.replace(at, 2, name);
    return line;
}

void frmImportAddresses::cmdOK_Click() {
    try {
        // Books are told apart by their place in the list, so two books of one name each get imported
        // and reported.
        const auto& selected = controls_["ImportList"].selected;
        std::string report;
        for (size_t i = 0; i < books_.size() && i < selected.size(); ++i) {
            if (!selected[i]) continue;
            const int32_t count = lists_.ImportAddressBook(books_[i], true);
            report += kCR + reportLine(books_[i].name, count);
        }
        refreshLists();
        if (!report.empty()) ui_.MsgBox(report, platform::vbOKOnly, loadString(kImportTitleId));
        report_ = report;
    } catch (...) {
        log_.logError("ImportOK");
    }
    ui_.hideForm(*this);
}

void frmImportAddresses::cmdCancel_Click() { ui_.hideForm(*this); }

void frmImportAddresses::refreshLists() {
    if (refresh_) refresh_();
}

}  // namespace tw::senders
