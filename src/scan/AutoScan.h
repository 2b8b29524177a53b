// The folder auto-scan: one cache-mode queue per watched folder, one minute timer for all of them,
// the list of folders in the registry and the status window of a pass.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/OleDate.h"
#include "platform/Outlook.h"

namespace tw::scan {

class MsgQueue;
class ScanHost;
class frmAutoScanStatus;
class frmTimer;

/// A watched folder that could not be opened yet: its store was not there, or not answering.
struct PendingFolder {
    std::string entryID;
    std::string storeID;
    OleDate lastrun;
    OleDate mpclean;
    /// The folder's path when it was last open, for the options dialog; empty in lists saved without it.
    std::string path;
};

/// Thread rule: the mail client's user-interface thread only. A pass yields after each message, so
/// Cancel, the options dialog and Enabled act in the middle of one; the busy flag keeps a second
/// pass from starting. Make it with std::make_shared: a pass keeps the object alive until it returns.
class AutoScan : public std::enable_shared_from_this<AutoScan> {
public:
    static constexpr int kTimerIntervalMs = 60000;
    static constexpr int32_t kListenerBatchSize = 50;
    static constexpr int32_t kInitialScanInterval = 3;
    static constexpr int kCheckingFolderId = 815;

    /// Start: loads the watched folders from the registry and makes the timer, disabled.
    explicit AutoScan(ScanHost& addin);
    /// End: saves the list, releases the listeners (each saves its processed cache), unloads the status window.
    ~AutoScan();
    AutoScan(const AutoScan&) = delete;
    AutoScan& operator=(const AutoScan&) = delete;

    /// Starts watching a folder; false when it is watched already or cannot be opened.
    bool addListener(const std::shared_ptr<outlook::Folder>& folder, int32_t& internalIndex);
    /// The listener of the folder with exactly these identifiers.
    bool findListener(std::shared_ptr<MsgQueue>& objMQ, const std::string& entryID, const std::string& storeID);
    /// Numbers a queue that has its folder, prepares it as a listener and appends it.
    void initListener(const std::shared_ptr<MsgQueue>& objMQ);
    /// Stops watching the folder of that listener and deletes its processed cache file.
    bool deleteListener(int32_t internalIndex);
    /// Ends a running pass: the folder being checked stops after its current message and no other follows.
    void cancelAutoScan();

    bool Enabled() const { return enabled_; }
    /// Switches the timer; false also disables every listener and cancels a running pass.
    void setEnabled(bool enabled);
    /// Minutes (counted as minute boundaries) from the end of one pass to the start of the next.
    void setScanInterval(int32_t minutes) { scanInterval_ = minutes; }
    int32_t scanInterval() const { return scanInterval_; }

    // For the options dialog.
    int32_t listenerCount() const { return static_cast<int32_t>(listeners_.size()); }
    /// 1-based; nothing when there is none at that position.
    std::shared_ptr<MsgQueue> listener(int32_t position) const;
    /// Watched folders not opened yet; they stay in the saved list and are tried again on each pass.
    const std::vector<PendingFolder>& pendingFolders() const { return pending_; }
    /// Stops watching a pending folder (0-based among them) and deletes its processed cache file.
    bool deletePendingFolder(size_t position);

    /// Rewrites the registry's "folders" key: folder1 ... folderN, listeners then pending folders.
    void autoscansave();
    /// What the timer does every minute: a pass when one is due.
    void timerTick();

    bool Busy() const { return busy_; }
    OleDate lastPass() const { return lastPass_; }
    frmAutoScanStatus& statusWindow() { return *status_; }
    /// The key that holds the list, under the settings key.
    std::string foldersKeyPath() const;

private:
    enum class Lookup { opened, gone, unavailable };

    OleDate now() const;
    void loadListeners();
    void addEntry(const PendingFolder& entry);
    /// Opens a saved folder, telling a folder that is gone from one that cannot be reached now.
    Lookup openFolder(const PendingFolder& entry, std::shared_ptr<outlook::Folder>& folder);
    bool storeIsOpen(outlook::NameSpace& ns, const std::string& storeID);
    /// Makes the listener of an opened folder with its saved dates; false when the queue refuses the folder.
    bool listenTo(const std::shared_ptr<outlook::Folder>& folder, const PendingFolder& entry);
    void rememberPath(outlook::Folder& folder);
    /// Tries the pending folders again; true when the list changed.
    bool retryPendingFolders();
    void deleteCacheFile(const std::string& entryID);
    void createTimer();
    void runPass(bool& statusUsed);
    void showProgress(int32_t checked);

    ScanHost& addin_;
    std::vector<std::shared_ptr<MsgQueue>> listeners_;
    std::vector<PendingFolder> pending_;
    /// Each watched folder's path by entry identifier, taken while the folder is open: at the end
    /// the name space may already be gone, and a pending folder can be named only by it.
    std::map<std::string, std::string> paths_;
    int32_t nextIndex_ = 0;
    std::unique_ptr<frmTimer> timer_;
    std::unique_ptr<frmAutoScanStatus> status_;
    bool enabled_ = false;
    OleDate lastPass_;
    int32_t scanInterval_ = kInitialScanInterval;
    bool busy_ = false;
    /// Set by a cancel during a pass: the pass goes on to no further folder.
    bool cancelled_ = false;
    /// The saved list could not be read: it is not overwritten unless the user changes the list.
    bool listUnreadable_ = false;
    bool listChanged_ = false;
};

}  // namespace tw::scan
