// The manual folder scan: the scan-folder command, the scan of one folder's unread (or read)
// messages by the Inbox queue's table scan with a progress window, and the result window.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>

#include "platform/Outlook.h"
#include "scan/frmScanResults.h"
#include "scan/frmScanning.h"

namespace tw::scan {

class ScanHost;

/// How the progress window was kept up to date during the last scan, in real time.
struct ProgressRecord {
    int64_t updates = 0;
    /// The longest stretch without an update while the folder was walked, from its start.
    std::chrono::steady_clock::duration longestGap{};
    /// From the last update to the end of the scan: the found spam being moved.
    std::chrono::steady_clock::duration tail{};
};

/// Thread rule: the user-interface thread. The scan yields after each message, so the command, a
/// timer or "Scan Read" can arrive while it runs; a scan does not start while the queue is busy.
class ManualScan {
public:
    static constexpr int32_t kUnreadSubset = 9;

    explicit ManualScan(ScanHost& host);
    ManualScan(const ManualScan&) = delete;
    ManualScan& operator=(const ManualScan&) = delete;

    /// Asks for a folder and scans its unread messages; the junk folder is refused.
    void cmdScanFolder();
    /// Scans the folder's messages of the subset with the progress window shown, then shows the
    /// figures in the result window while the add-in still holds the session.
    void scanFolderUI(const std::shared_ptr<outlook::Folder>& folder, int32_t subset);
    /// Closes both windows (teardown).
    void unloadWindows();

    frmScanning& progressWindow() { return progress_; }
    frmScanResults& resultWindow() { return results_; }
    const ProgressRecord& lastProgress() const { return progressRecord_; }

private:
    void showProgress(int32_t checked);

    ScanHost& host_;
    frmScanning progress_;
    frmScanResults results_;
    ProgressRecord progressRecord_;
    std::chrono::steady_clock::time_point lastUpdate_{};
};

}  // namespace tw::scan
