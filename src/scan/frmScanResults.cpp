// The result window's texts and buttons.
#include "scan/frmScanResults.h"

#include "core/StringTable.h"
#include "core/Text.h"
#include "scan/MsgQueue.h"

namespace tw::scan {

namespace {
using platform::ControlKind;
using platform::control;
constexpr int kCaptionId = 313, kScanReadId = 314, kProcessedId = 315, kCaughtId = 316, kTimeId = 317, kOKId = 204;
const char* const kLineEnd = "\r\n";
}  // namespace

const platform::FormDecl& frmScanResults::declaration() {
    static const platform::FormDecl decl{
        "frmScanResults", kCaptionId, 4320, 1800,
        {
            // Three lines of figures, with the buttons right below them.
            control(ControlKind::Label, "Label1", 0, 240, 240, 3840, 660),
            control(ControlKind::CommandButton, "cmdScanRead", kScanReadId, 360, 1140, 1575, 375, 1),
            control(ControlKind::CommandButton, "cmdOK", kOKId, 2280, 1140, 1575, 375, 0, true, true),
        }};
    return decl;
}

frmScanResults::frmScanResults(platform::UserInterface& ui, ScanAgain scanAgain)
    : ui_(ui), scanAgain_(std::move(scanAgain)), controls_(declaration()) {
    controls_.onClick("cmdScanRead", [this] { cmdScanRead_Click(); });
    controls_.onClick("cmdOK", [this] { cmdOK_Click(); });
}

void frmScanResults::fill(const ScanFigures& figures, std::shared_ptr<outlook::Folder> folder, int32_t subset) {
    // No line end after the last line: it would only leave an empty line above the buttons.
    controls_["Label1"].caption =
        text::fillPlaceholder(loadString(kProcessedId), std::to_string(figures.processed)) + kLineEnd +
        text::fillPlaceholder(loadString(kCaughtId), std::to_string(figures.caught)) + kLineEnd +
        text::fillPlaceholder(loadString(kTimeId), std::to_string(figures.seconds));
    controls_["cmdScanRead"].enabled = (subset & scanReadOnly) == 0;
    folder_ = std::move(folder);
    subset_ = subset;
}

void frmScanResults::cmdScanRead_Click() {
    // The window is filled again by the scan it starts; the folder must outlive that.
    auto folder = folder_;
    if (scanAgain_ && folder) scanAgain_(folder, scanReadOnly | scanUntracked);
}

void frmScanResults::cmdOK_Click() { unload(); }

void frmScanResults::unload() {
    folder_.reset();
    ui_.hideForm(*this);
}

}  // namespace tw::scan
