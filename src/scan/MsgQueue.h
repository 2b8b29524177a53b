// Checks the messages of one folder that the new-message handling has not reached, and remembers
// which ones it has checked: by a marker property in each message, or in the processed cache.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/Event.h"
#include "core/OleDate.h"
#include "platform/Outlook.h"
#include "scan/ProcessedCache.h"


namespace tw::scan {

class ScanHost;

class frmTimer;

/// Two upper-case hexadecimal digits per byte, in byte order.
std::string binaryToHex(const std::string& bytes);

/// Table-scan subsets, added together.
enum ScanSubset : int32_t { scanUnreadOnly = 1, scanReadOnly = 2, scanUntracked = 8 };

/// Thread rule: the mail client's user-interface thread only. Passes yield after each message, so
/// events run in the middle of one; Busy keeps a second pass from starting meanwhile.
class MsgQueue : public std::enable_shared_from_this<MsgQueue> {
public:
    static constexpr const char* kMarkerName = "tarnwickd";
    static constexpr const char* kInboxCacheFile = "tarnwickmpc.txt";
    static constexpr int kTimerIntervalMs = 2000;
    /// The queue waits this long after the last new Inbox message before a pass.
    static constexpr int64_t kQuietSeconds = 5;
    /// A disabled cache-mode queue enables itself again after this long.
    static constexpr int64_t kCacheModeRestartSeconds = 1800;

    explicit MsgQueue(ScanHost& addin);
    /// Stops the timer, saves the processed cache (cache mode) and, for the Inbox, the time stamps.
    ~MsgQueue();
    MsgQueue(const MsgQueue&) = delete;
    MsgQueue& operator=(const MsgQueue&) = delete;

    /// Sets the defaults and loads the saved state; set useUserProperties first.
    void initialize(bool isInbox);
    /// The hidden timer window, ticking every 2,000 ms while Enabled; minimum gap 2 seconds. The
    /// Inbox queue also gets a watch that ticks as long as the queue lives (see watchTick).
    void createTimer();
    void Cleanup() {}
    void Serialize() {}

    /// True while a pass or the check of a new message runs.
    bool Busy() const { return busyDepth_ > 0; }
    /// The timer's interval in ms; 0 without a timer.
    int32_t interval() const;
    /// Ignored without a timer or outside 0..65535.
    void setInterval(int32_t ms);
    bool Enabled() const { return enabled_; }
    void setEnabled(bool enabled);

    /// The items to check and their store; no listening for new items.
    void setItemsToCheck(std::shared_ptr<outlook::Items> items, const std::string& inboxStoreID);
    bool setFolderToCheckByID(const std::string& entryID, const std::string& storeID);
    /// Checks the folder's items and listens for new ones there.
    bool setFolderToCheck(const std::shared_ptr<outlook::Folder>& folder);
    void setDoScanFolder(bool value) { doScanFolder_ = value; }
    bool DoScanFolder() const { return doScanFolder_; }
    const std::string& entryID() const { return entryID_; }
    const std::string& storeID() const { return storeID_; }
    std::string folderPath();
    int32_t internalIndex() const { return internalIndex_; }
    void setInternalIndex(int32_t index) { internalIndex_ = index; }

    /// One pass over the folder.
    void processMail(const std::shared_ptr<outlook::Items>& msgs);
    /// Learns the senders of read mail as correspondents, for at most scantime seconds. Only while
    /// Enabled and not Busy, and only when the gap since the last such pass has passed.
    void ProcessPreviousFromSenders(const std::shared_ptr<outlook::Items>& msgs, int32_t scantime);
    /// The same pass for the learning at start-up: it runs although the queue is not enabled yet
    /// and whatever the gap since the last pass. False when another pass is running, so it did not run.
    bool learnFromReadMail(const std::shared_ptr<outlook::Items>& msgs, int32_t scantime);
    /// processMail on the queue's items; in cache mode then a cleaning when it is due.
    void processFolderMessages();

    OleDate lastCheckDate() const { return lastCheckDate_; }
    void setLastCheckDate(OleDate when) { lastCheckDate_ = when; }
    OleDate lastProcessedCacheCleanUp() const { return lastCacheCleanUp_; }
    void setLastProcessedCacheCleanUp(OleDate when) { lastCacheCleanUp_ = when; }
    void setBatchSize(int32_t size) { batchSize_ = size; }
    void setUseUserProperties(bool use) { useUserProperties_ = use; }
    /// Changes a running queue's way of remembering checked messages as a restart with the new
    /// setting would: the processed cache is saved when left and read when taken up.
    void changeUseUserProperties(bool use);
    bool useUserProperties() const { return useUserProperties_; }
    void setUpdateScanStatusWindow(bool update) { updateScanStatusWindow_ = update; }
    /// Told the number of messages checked so far during a table scan (the scan windows).
    void setScanProgress(std::function<void(int32_t checked)> progress) { scanProgress_ = std::move(progress); }
    /// Told, at the start of a table scan, how many messages it is to walk (a progress bar's whole).
    void setScanTotal(std::function<void(int32_t total)> total) { scanTotal_ = std::move(total); }

    // Used inside the add-in.
    /// Checks one new message at once.
    void ProcessMsg(const std::shared_ptr<outlook::Item>& item);
    /// Checks the rows of a MAPI table of the items; true when any message was checked.
    bool scanFolderTable(const std::shared_ptr<outlook::Items>& msgs, int32_t subset, const std::string& storeId);
    /// Classifies one message, marks it, moves spam and counts; true for spam.
    bool checkMailItem(std::shared_ptr<outlook::Item>& item, bool markChecked, bool moveIfSpam);
    void LoadProcessedCache();
    void SaveProcessedCache();
    void cleanProcessedCache();
    void MQ_ItemAdd(const std::shared_ptr<outlook::Item>& item);
    /// What the timer does on each tick.
    void timerTick();
    /// The client raises no ItemAdd when many messages arrive at once, so nothing would enable a
    /// queue that disabled itself: the watch enables it when the Inbox holds more items than at
    /// its last look.
    void watchTick();

    bool isInbox() const { return isInbox_; }
    const ProcessedCache& processedCache() const { return cache_; }
    const std::shared_ptr<outlook::Items>& items() const { return items_; }
    std::string cacheFilePath() const;
    /// Forgets the processed cache file, so the queue's end writes none (a folder no longer watched).
    void forgetCacheFile() { cacheFileName_.clear(); }

private:
    OleDate now() const;
    bool filteringEnabled() const;
    /// The network service answers, or is not in use.
    bool serviceAvailable();
    /// The message carries the time of a check (a marker added without a value does not count).
    bool hasMarker(outlook::Item& item);
    /// A date as the client reads it in a filter: in the user's regional short date and time.
    std::string filterDate(OleDate when) const;
    void switchToCacheMode();
    void clearNewMailIcon();
    void saveTimeStamps();
    /// One previous-from pass; `timerPass` stops it when Enabled is cleared meanwhile. Raises.
    void previousFromPass(const std::shared_ptr<outlook::Items>& msgs, int32_t scantime, bool timerPass);
    /// Marks the message checked (marker mode); a marker the client refuses as changed elsewhere
    /// switches the queue to cache mode and is no failure of the check.
    void writeMarker(outlook::Item& item);
    void savePreviousFromStamps();
    /// Checks the message of one table row; true only when a mail item was checked.
    bool checkTableRow(const std::shared_ptr<outlook::Items>& msgs, const std::string& id, bool track,
                       const std::string& storeId, std::vector<std::string>& moveList, int32_t& checked);

    ScanHost& addin_;
    std::unique_ptr<frmTimer> mTimer_;
    std::unique_ptr<frmTimer> mWatch_;
    /// The item count the watch saw last; -1 before its first look.
    int32_t itemsSeen_ = -1;
    /// Passes and new-message checks nest through yields; each ends only its own part of Busy.
    int busyDepth_ = 0;
    friend class BusyScope;
    OleDate lastCheckDate_;
    bool enabled_ = false;
    std::shared_ptr<outlook::Items> items_;
    Subscription itemAddSubscription_;
    int32_t batchSize_ = 2;
    int64_t minimumGapSeconds_ = 0;
    std::string cacheFileName_;
    int64_t previousFromGapSeconds_ = 0;
    OleDate previousFromRun_;
    OleDate previousFromMark_;
    OleDate lastCacheCleanUp_;
    int64_t cacheCleanIntervalMinutes_ = 60;
    bool noLegitimateMail_ = false;
    ProcessedCache cache_;
    bool doScanFolder_ = false;
    std::string entryID_;
    std::string storeID_;
    int32_t internalIndex_ = 0;
    bool isInbox_ = false;
    bool useUserProperties_ = false;
    bool updateScanStatusWindow_ = false;
    std::function<void(int32_t)> scanProgress_;
    std::function<void(int32_t)> scanTotal_;
};

}  // namespace tw::scan
