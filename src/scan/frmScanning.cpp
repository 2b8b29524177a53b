// The progress window's texts and its Cancel.
#include "scan/frmScanning.h"

#include <algorithm>

#include "core/StringTable.h"
#include "core/Text.h"
#include "scan/MsgQueue.h"

namespace tw::scan {

namespace {
using platform::ControlKind;
using platform::control;
constexpr int kProcessedId = 310, kUnreadId = 311, kReadId = 312, kCancelId = 205, kTitleId = 134;
const char* const kAnyMessages = "Checking messages. Please wait.";
}  // namespace

const platform::FormDecl& frmScanning::declaration() {
    static const platform::FormDecl decl{
        "frmScanning", kTitleId, 4800, 2100,
        {
            control(ControlKind::Label, "Label1", kUnreadId, 240, 240, 4320, 255),
            control(ControlKind::Label, "StatusLabel", 0, 240, 600, 4320, 255),
            control(ControlKind::ProgressBar, "prgScan", 0, 240, 960, 4320, 240),
            control(ControlKind::CommandButton, "CancelScanCmd", kCancelId, 1733, 1440, 1335, 375, 0, true, true),
        }};
    return decl;
}

frmScanning::frmScanning() : controls_(declaration()) {
    controls_.onClick("CancelScanCmd", [this] { CancelScanCmd_Click(); });
    setTotal(0);
    setProcessed(0);
}

void frmScanning::setSubset(int32_t subset) {
    std::string heading = kAnyMessages;
    if (subset & scanUnreadOnly) heading = loadString(kUnreadId);
    else if (subset & scanReadOnly) heading = loadString(kReadId);
    controls_["Label1"].caption = heading;
}

void frmScanning::setTotal(int32_t total) {
    total_ = total;
    controls_["prgScan"].number = 0;
    controls_["prgScan"].visible = total > 0;
}

void frmScanning::setProcessed(int32_t count) {
    controls_["StatusLabel"].caption = text::fillPlaceholder(loadString(kProcessedId), std::to_string(count));
    if (total_ > 0) controls_["prgScan"].number = static_cast<int>(std::min<int64_t>(100, int64_t{count} * 100 / total_));
}

void frmScanning::centreOn(int screenWidth, int screenHeight) {
    controls_.left = (screenWidth - declaration().width) / 2;
    controls_.top = (screenHeight - declaration().height) / 2;
}

void frmScanning::CancelScanCmd_Click() {
    try {
        if (stop_) stop_();
    } catch (...) {
    }
}

void frmScanning::Form_Unload() { CancelScanCmd_Click(); }

}  // namespace tw::scan
