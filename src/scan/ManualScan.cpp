// The scan-folder command and the scan of one folder with its progress and result windows.
#include "scan/ManualScan.h"

#include <algorithm>

#include "core/StringTable.h"
#include "core/Text.h"
#include "scan/MsgQueue.h"
#include "scan/ScanHost.h"

namespace tw::scan {

namespace {
constexpr int kTitleId = 134, kOtherFolderId = 346, kScanRunningId = 994;

/// The queue reports to the progress window only while the window is up; this ends that on every
/// way out of the scan, an error included, and closes the window.
class ProgressBinding {
public:
    ProgressBinding(MsgQueue& queue, frmScanning& window, platform::UserInterface& ui,
                    std::function<void(int32_t)> progress)
        : queue_(queue), window_(window), ui_(ui) {
        queue_.setUpdateScanStatusWindow(true);
        queue_.setScanProgress(std::move(progress));
        queue_.setScanTotal([&window](int32_t total) { window.setTotal(total); });
    }
    ~ProgressBinding() {
        try {
            queue_.setUpdateScanStatusWindow(false);
            queue_.setScanProgress(nullptr);
            queue_.setScanTotal(nullptr);
            window_.bind(nullptr);
            if (ui_.isFormVisible(window_)) ui_.hideForm(window_);
        } catch (...) {
        }
    }
    ProgressBinding(const ProgressBinding&) = delete;
    ProgressBinding& operator=(const ProgressBinding&) = delete;

private:
    MsgQueue& queue_;
    frmScanning& window_;
    platform::UserInterface& ui_;
};
}  // namespace

ManualScan::ManualScan(ScanHost& host)
    : host_(host), results_(host.platform().ui, [this](const auto& folder, int32_t subset) { scanFolderUI(folder, subset); }) {}

void ManualScan::cmdScanFolder() {
    try {
        auto ns = host_.nameSpace();
        if (!ns) return;
        const ConnectionToken connection = host_.connection();
        auto folder = ns->PickFolder();
        if (!folder || !connection.alive()) return;
        // The junk folder is found by its path whatever the case, so it is recognised the same way.
        if (text::iequals(host_.folderPath(*folder), host_.settings().junkfolder)) {
            host_.platform().ui.MsgBox(loadString(kOtherFolderId), platform::vbOKOnly, loadString(kTitleId));
            return;
        }
        scanFolderUI(folder, kUnreadSubset);
    } catch (...) {
        host_.log().logError("cmdScanFolder");
    }
}

void ManualScan::scanFolderUI(const std::shared_ptr<outlook::Folder>& folder, int32_t subset) {
    auto& platform = host_.platform();
    try {
        // The scan keeps its queue even when teardown lets go of it meanwhile.
        std::shared_ptr<MsgQueue> queue = host_.inboxQueue();
        if (!queue || !folder) return;
        // A second scan over the same queue would walk in the middle of this one and close its window.
        if (queue->Busy()) {
            platform.ui.MsgBox(loadString(kScanRunningId), platform::vbOKOnly | platform::vbInformation,
                               loadString(kTitleId));
            return;
        }
        auto items = folder->Items();
        std::weak_ptr<MsgQueue> stopQueue = queue;
        progress_.bind([stopQueue] {
            if (auto q = stopQueue.lock()) q->setDoScanFolder(false);
        });
        progress_.setSubset(subset);
        progress_.setTotal(0);
        progress_.setProcessed(0);
        progress_.centreOn(platform.ui.screenWidth(), platform.ui.screenHeight());
        platform.ui.showForm(progress_, false);

        auto& s = host_.settings();
        const int32_t processedBefore = s.processed, caughtBefore = s.caught;
        const OleDate start = platform.clock.now();
        progressRecord_ = {};
        lastUpdate_ = std::chrono::steady_clock::now();
        {
            ProgressBinding binding(*queue, progress_, platform.ui, [this](int32_t checked) { showProgress(checked); });
            queue->scanFolderTable(items, subset, folder->StoreID());
            progressRecord_.tail = std::chrono::steady_clock::now() - lastUpdate_;
        }
        ScanFigures figures{s.processed - processedBefore, s.caught - caughtBefore,
                            secondsBetween(start, platform.clock.now())};
        if (host_.nameSpace()) {
            results_.fill(figures, folder, subset);
            platform.ui.showForm(results_, false);
        }
    } catch (...) {
        host_.log().logError("scanFolderUI");
    }
}

void ManualScan::showProgress(int32_t checked) {
    auto now = std::chrono::steady_clock::now();
    progressRecord_.longestGap = std::max(progressRecord_.longestGap, now - lastUpdate_);
    lastUpdate_ = now;
    ++progressRecord_.updates;
    progress_.setProcessed(checked);
}

void ManualScan::unloadWindows() {
    auto& ui = host_.platform().ui;
    progress_.Form_Unload();
    if (ui.isFormVisible(progress_)) ui.hideForm(progress_);
    results_.unload();
}

}  // namespace tw::scan
