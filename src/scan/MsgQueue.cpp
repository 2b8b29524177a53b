// The message queue: its passes over a folder, the checking of one message, and the record of checked messages.
#include "scan/MsgQueue.h"

#include "classify/AddinParts.h"
#include "classify/IncomingFilter.h"
#include "classify/MessageContent.h"
#include "classify/Training.h"
#include "core/Error.h"
#include "core/Text.h"
#include "scan/NetworkCheck.h"
#include "scan/ScanHost.h"
#include "scan/frmTimer.h"
#include "senders/Senders.h"

namespace tw::scan {

namespace {
constexpr int kMinimumGapSeconds = 2;
constexpr int kInboxPreviousFromGapSeconds = 120;
constexpr int kInboxPreviousFromScanSeconds = 2;
constexpr int kMaxTimerInterval = 65535;
constexpr int kOldestMailClientWithoutIcon = 11;
constexpr double kOneHour = 1.0 / 24.0;
// The object model's "none" date, 1 January 4501, which a date property holds before it is set.
constexpr OleDate kNoDate{949998.0};

const char* const kLastRun = "lastrun";
const char* const kPreviousFromRun = "pfrun";
const char* const kPreviousFromMark = "pfrun2";
const char* const kCacheCleaned = "mpclean";
}  // namespace

/// Holds the queue's Busy for one pass, also when the pass ends by an error.
class BusyScope {
public:
    explicit BusyScope(MsgQueue& queue) : queue_(queue) { ++queue_.busyDepth_; }
    ~BusyScope() { --queue_.busyDepth_; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    MsgQueue& queue_;
};

std::string binaryToHex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (unsigned char b : bytes) {
        hex += digits[b >> 4];
        hex += digits[b & 0x0F];
    }
    return hex;
}

MsgQueue::MsgQueue(ScanHost& addin) : addin_(addin) {}

MsgQueue::~MsgQueue() {
    try {
        mWatch_.reset();
        mTimer_.reset();
        items_.reset();
        if (!useUserProperties_) SaveProcessedCache();
        cache_.clear();
        itemAddSubscription_.reset();
        if (isInbox_) saveTimeStamps();
    } catch (...) {
        addin_.log().logError("MsgQueueTerminate");
    }
}

OleDate MsgQueue::now() const { return addin_.platform().clock.now(); }

bool MsgQueue::filteringEnabled() const {
    return addin_.settings().filteringState == settings::filteringEnabled;
}

bool MsgQueue::serviceAvailable() {
    return addin_.settings().reportspam == 0 || networkServiceReachable(addin_);
}

void MsgQueue::initialize(bool isInbox) {
    try {
        setEnabled(false);
        batchSize_ = 2;
        cacheCleanIntervalMinutes_ = 60;
        if (isInbox) {
            previousFromGapSeconds_ = kInboxPreviousFromGapSeconds;
            isInbox_ = true;
            auto key = addin_.settingsKey();
            lastCacheCleanUp_ = key.readDate(kCacheCleaned);
            lastCheckDate_ = key.readDate(kLastRun);
            previousFromRun_ = key.readDate(kPreviousFromRun);
            previousFromMark_ = key.readDate(kPreviousFromMark);
            cacheFileName_ = kInboxCacheFile;
            if (previousFromRun_.serial() == 0) previousFromRun_ = now().plusDays(-365);
            if (previousFromMark_.serial() == 0) previousFromMark_ = now().plusDays(-365);
            noLegitimateMail_ = true;
        } else {
            cacheFileName_ = entryID_;
        }
        if (!useUserProperties_) LoadProcessedCache();
        if (lastCheckDate_.serial() == 0) lastCheckDate_ = now().plusDays(-7);
    } catch (...) {
        addin_.log().logError("MQInitialize");
    }
}

void MsgQueue::createTimer() {
    try {
        if (!mTimer_)
            mTimer_ = std::make_unique<frmTimer>(addin_.platform().ui, kTimerIntervalMs, [this] { timerTick(); });
        mTimer_->setEnabled(enabled_);
        mTimer_->setInterval(kTimerIntervalMs);
        minimumGapSeconds_ = kMinimumGapSeconds;
        if (isInbox_ && !mWatch_) {
            mWatch_ = std::make_unique<frmTimer>(addin_.platform().ui, kTimerIntervalMs, [this] { watchTick(); });
            mWatch_->setEnabled(true);
        }
    } catch (...) {
        addin_.log().logError("createTimer");
    }
}

int32_t MsgQueue::interval() const { return mTimer_ ? mTimer_->Interval() : 0; }

void MsgQueue::setInterval(int32_t ms) {
    if (mTimer_ && ms >= 0 && ms <= kMaxTimerInterval) mTimer_->setInterval(ms);
}

void MsgQueue::setEnabled(bool enabled) {
    enabled_ = enabled;
    if (mTimer_) mTimer_->setEnabled(enabled);
}

void MsgQueue::setItemsToCheck(std::shared_ptr<outlook::Items> items, const std::string& inboxStoreID) {
    items_ = std::move(items);
    storeID_ = inboxStoreID;
    // What is there now is the start-up scan's; the watch looks only for what comes later.
    try {
        itemsSeen_ = items_ ? items_->Count() : -1;
    } catch (...) {
        itemsSeen_ = -1;
    }
}

bool MsgQueue::setFolderToCheckByID(const std::string& entryID, const std::string& storeID) {
    try {
        auto ns = addin_.nameSpace();
        if (!ns) return false;
        return setFolderToCheck(ns->GetFolderFromID(entryID, storeID));
    } catch (...) {
        addin_.log().logError("setFolderToCheckByID");
        return false;
    }
}

bool MsgQueue::setFolderToCheck(const std::shared_ptr<outlook::Folder>& folder) {
    try {
        if (!folder) return false;
        items_ = folder->Items();
        itemAddSubscription_ = items_->ItemAdd().connect([this](auto item) { MQ_ItemAdd(item); });
        entryID_ = folder->EntryID();
        storeID_ = folder->StoreID();
        return true;
    } catch (...) {
        addin_.log().logError("setFolderToCheck");
        return false;
    }
}

std::string MsgQueue::folderPath() {
    try {
        auto ns = addin_.nameSpace();
        if (entryID_.empty() || storeID_.empty() || !ns) return {};
        auto folder = ns->GetFolderFromID(entryID_, storeID_);
        if (!folder || folder->Class() != outlook::olFolder) return {};
        return addin_.folderPath(*folder);
    } catch (...) {
        addin_.log().logError("MQfolderPath");
        return {};
    }
}

void MsgQueue::timerTick() {
    // Teardown may release the queue while a pass yields; it lives on until this tick returns.
    auto self = weak_from_this().lock();
    if (!filteringEnabled() || !items_) return;
    if (secondsBetween(addin_.lastItemAdd(), now()) <= kQuietSeconds) return;
    auto items = items_;
    if (isInbox_) ProcessPreviousFromSenders(items, kInboxPreviousFromScanSeconds);
    processMail(items);
    if (!useUserProperties_ && minutesBetween(lastCacheCleanUp_, now()) >= cacheCleanIntervalMinutes_)
        cleanProcessedCache();
}

void MsgQueue::watchTick() {
    auto self = weak_from_this().lock();
    try {
        if (!items_) return;
        const int32_t count = items_->Count();
        const bool grew = itemsSeen_ >= 0 && count > itemsSeen_;
        itemsSeen_ = count;
        if (grew && !enabled_ && filteringEnabled()) {
            addin_.log().LogErrorMessage("new messages arrived without an item-added event");
            setEnabled(true);
        }
    } catch (...) {
        addin_.log().logError("MQwatchTick");
    }
}

void MsgQueue::processFolderMessages() {
    try {
        processMail(items_);
        if (!useUserProperties_ && minutesBetween(lastCacheCleanUp_, now()) >= cacheCleanIntervalMinutes_)
            cleanProcessedCache();
    } catch (...) {
        addin_.log().logError("processfoldermessages");
    }
}

bool MsgQueue::hasMarker(outlook::Item& item) {
    auto marker = item.UserProperties()->Find(kMarkerName);
    if (!marker) return false;
    // A date property never given a value reads as empty here, and as the client's "none" date
    // (1 January 4501) through the object model.
    outlook::PropertyValue value = marker->Value();
    if (auto* when = std::get_if<OleDate>(&value)) return *when < kNoDate;
    if (auto* text = std::get_if<std::string>(&value)) return !text->empty();
    return !std::holds_alternative<std::monostate>(value);
}

std::string MsgQueue::filterDate(OleDate when) const { return when.toLocaleText(addin_.platform().clock.userDateFormats()); }

void MsgQueue::processMail(const std::shared_ptr<outlook::Items>& msgs) {
    auto& log = addin_.log();
    auto& ui = addin_.platform().ui;
    try {
        if (useUserProperties_ && !enabled_) return;
        if (!msgs || msgs->Count() == 0 || Busy()) return;
        int64_t sinceLast = minimumGapSeconds_;
        try {
            sinceLast = secondsBetween(lastCheckDate_, now());
        } catch (...) {
        }
        if (sinceLast < minimumGapSeconds_) return;
        if (!useUserProperties_ && !enabled_) {
            if (sinceLast < kCacheModeRestartSeconds) return;
            setEnabled(true);
        }
        OleDate start = now();
        BusyScope busy(*this);

        if (!useUserProperties_) {
            scanFolderTable(msgs, scanUnreadOnly, storeID_);
            return;
        }

        // The folder learns the marker as one of its fields, so filters and views may name it. A
        // marker without a value marks nothing: hasMarker looks for the time a check wrote.
        auto first = msgs->Item(1);
        if (first && !first->UserProperties()->Find(kMarkerName)) {
            first->UserProperties()->Add(kMarkerName, outlook::olDateTime, true);
            first->Save();
        }

        // A condition on a property a message lacks is undefined in the client's filters, so the
        // filter names only date and Unread, and a checked message is passed over here.
        std::string filter = "[CreationTime] >= '" + filterDate(lastCheckDate_.plusDays(-kOneHour)) +
                             "' AND [Unread]=True";
        auto unmarked = [&](std::shared_ptr<outlook::Item> next) {
            while (next && hasMarker(*next)) next = msgs->FindNext();
            return next;
        };
        auto item = unmarked(msgs->Find(filter));
        if (!item) {
            setEnabled(false);
            log.LogErrorMessage("no candidate messages2. Disabling scanning");
        } else {
            classify::sendersOf(addin_).updateCachedLists();
            int32_t count = 0;
            bool found = false;
            for (; item; item = unmarked(msgs->FindNext())) {
                if (!serviceAvailable() || !filteringEnabled()) return;
                if (item->Class() == outlook::olMail) {
                    log.LogErrorMessage("found message to check");
                    if (!filteringEnabled() || !enabled_ || count >= batchSize_) break;
                    checkMailItem(item, true, true);
                    // A queue that left marker mode on this message records it, and what follows, in its cache.
                    if (!useUserProperties_) cache_.add(text::lower(item->EntryID()));
                    ++count;
                    found = true;
                    ui.doEvents();
                } else {
                    log.LogErrorMessage("ignoring non mail item");
                }
            }
            if (!found) {
                setEnabled(false);
                log.LogErrorMessage("no candidate messages1. Disabling scanning");
            }
        }
        lastCheckDate_ = start;
    } catch (...) {
        log.logError("ProcessMail");
    }
}

bool MsgQueue::checkMailItem(std::shared_ptr<outlook::Item>& item, bool markChecked, bool moveIfSpam) {
    auto& log = addin_.log();
    auto& s = addin_.settings();
    try {
        log.LogErrorMessage("checkMailItems checking message " + item->Subject());
        bool spam = classify::IncomingFilter(addin_).isJunkMail(item);
        if (markChecked && useUserProperties_) writeMarker(*item);
        if (spam) {
            if (moveIfSpam) classify::IncomingFilter(addin_).processJunkMail(item);
            if (addin_.outlookVersion() < kOldestMailClientWithoutIcon && noLegitimateMail_ && s.removeNewMailIcon)
                clearNewMailIcon();
            ++s.caught;
            s.weekly.caught.add(settings::weekStartOf(now()), 1);
        } else {
            noLegitimateMail_ = false;
        }
        ++s.processed;
        s.weekly.checked.add(settings::weekStartOf(now()), 1);
        return spam;
    } catch (...) {
        log.logError("checkMailItem");
        return false;
    }
}

void MsgQueue::writeMarker(outlook::Item& item) {
    try {
        auto marker = item.UserProperties()->Add(kMarkerName, outlook::olDateTime, true);
        OleDate checkedAt = now();
        marker->setValue(checkedAt);
        addin_.log().LogErrorMessage("checkMailItem about to save with " + checkedAt.toIsoText());
        item.Save();
    } catch (...) {
        PendingError error = currentError();
        if (!text::icontains(error.description, "has been changed")) throw;
        // The verdict stands: the caller goes on to move and count the message, and records it in
        // the processed cache, which from now on stands in for the marker.
        addin_.log().logError("checkMailItem", error);
        switchToCacheMode();
    }
}

void MsgQueue::switchToCacheMode() {
    if (isInbox_) {
        addin_.settings().useuserprops = false;
        addin_.settingsKey().writeFlag(false, "useuserprops");
    }
    useUserProperties_ = false;
    LoadProcessedCache();
}

void MsgQueue::changeUseUserProperties(bool use) {
    if (use == useUserProperties_) return;
    if (use) {
        SaveProcessedCache();
        cache_.clear();
    }
    useUserProperties_ = use;
    if (!use) LoadProcessedCache();
}

void MsgQueue::clearNewMailIcon() {
    try {
        addin_.platform().shell.removeNewMailNotifyIcon();
    } catch (...) {
    }
}

void MsgQueue::ProcessMsg(const std::shared_ptr<outlook::Item>& item) {
    // A new message may arrive while a pass is running: that pass stays Busy until it ends.
    BusyScope busy(*this);
    try {
        if (item->UnRead()) {
            bool candidate = useUserProperties_ ? !hasMarker(*item) : !cache_.contains(text::lower(item->EntryID()));
            if (candidate && serviceAvailable()) {
                lastCheckDate_ = now();
                auto checked = item;
                checkMailItem(checked, true, true);
                if (!useUserProperties_) cache_.add(text::lower(checked->EntryID()));
            }
        }
    } catch (...) {
        addin_.log().logError("ProcessMsg");
    }
}

void MsgQueue::MQ_ItemAdd(const std::shared_ptr<outlook::Item>& item) {
    try {
        if (!enabled_ || !filteringEnabled()) return;
        addin_.log().LogErrorMessage("mq itemAdd " + entryID_ + " got message " + item->Subject());
        if (item->Class() == outlook::olMail) ProcessMsg(item);
    } catch (...) {
        addin_.log().logError("MQ_ItemAdd");
    }
}

void MsgQueue::ProcessPreviousFromSenders(const std::shared_ptr<outlook::Items>& msgs, int32_t scantime) {
    try {
        if (!enabled_ || !msgs || msgs->Count() == 0 || Busy()) return;
        int64_t sinceLast = previousFromGapSeconds_;
        try {
            sinceLast = secondsBetween(previousFromRun_, now());
        } catch (...) {
        }
        if (sinceLast < previousFromGapSeconds_) return;
        previousFromPass(msgs, scantime, true);
    } catch (...) {
        addin_.log().logError("ProcessPreviousFromSenders");
    }
}

bool MsgQueue::learnFromReadMail(const std::shared_ptr<outlook::Items>& msgs, int32_t scantime) {
    if (Busy()) return false;
    try {
        if (msgs && msgs->Count() != 0) previousFromPass(msgs, scantime, false);
    } catch (...) {
        addin_.log().logError("ProcessPreviousFromSenders");
    }
    return true;
}

void MsgQueue::previousFromPass(const std::shared_ptr<outlook::Items>& msgs, int32_t scantime, bool timerPass) {
    auto& log = addin_.log();
    auto& ui = addin_.platform().ui;
    BusyScope busy(*this);
    previousFromRun_ = now();

    std::string filter = "[Unread]=False AND [CreationTime] < '" + filterDate(now().plusDays(-1)) +
                         " ' AND [CreationTime] > '" + filterDate(previousFromMark_) + "'";
    auto item = msgs->Find(filter);
    OleDate start = now();
    KeyedSet addresses;
    OleDate lastExamined = previousFromMark_;
    classify::MessageContent& content = classify::messageContentOf(addin_);
    for (; item; item = msgs->FindNext()) {
        if (item->Class() != outlook::olMail) continue;
        if (!filteringEnabled() || (timerPass && !enabled_)) break;
        std::string address, name;
        content.senderaddress(item, address, name);
        if (!address.empty()) {
            address = text::lower(address);
            if (!addresses.Exists(address) && !classify::sendersOf(addin_).ispf(address)) {
                log.LogErrorMessage("try to add " + address);
                addresses.Add(address);
            }
        }
        lastExamined = item->CreationTime();
        ui.doEvents();
        classify::Training(addin_).trainOnMessage(item, classify::kReadMailWeight);
        if (secondsBetween(start, now()) >= scantime) break;
    }
    if (addresses.Count() != 0) {
        classify::sendersOf(addin_).AddPreviousFrom(addresses);
        previousFromMark_ = lastExamined;
    }
    savePreviousFromStamps();
}

bool MsgQueue::checkTableRow(const std::shared_ptr<outlook::Items>&, const std::string& id, bool track,
                             const std::string& storeId, std::vector<std::string>& moveList, int32_t& checked) {
    auto& log = addin_.log();
    std::string lowerId = text::lower(id);
    if (track && cache_.contains(lowerId)) return false;
    auto ns = addin_.nameSpace();
    if (!ns) {
        // The add-in let go of the session while the scan yielded: nothing more can be fetched.
        doScanFolder_ = false;
        return false;
    }
    std::shared_ptr<outlook::Item> item;
    try {
        item = ns->GetItemFromID(text::upper(id), storeId);
    } catch (...) {
    }
    if (!item) {
        log.LogErrorMessage("scanf message not found");
        return false;
    }
    if (item->Class() != outlook::olMail) {
        log.LogErrorMessage("scanf not mailitem");
        return false;
    }
    bool spam = checkMailItem(item, track, false);
    if (spam) moveList.push_back(text::upper(id));
    else if (!useUserProperties_) cache_.add(lowerId);
    log.LogErrorMessage("checking " + item->CreationTime().toIsoText());
    ++checked;
    if (scanProgress_ && (!isInbox_ || doScanFolder_) && (updateScanStatusWindow_ || isInbox_)) scanProgress_(checked);
    return true;
}

bool MsgQueue::scanFolderTable(const std::shared_ptr<outlook::Items>& msgs, int32_t subset, const std::string& storeId) {
    auto& log = addin_.log();
    auto& platform = addin_.platform();
    bool any = false;
    BusyScope busy(*this);
    try {
        if (!filteringEnabled() || !msgs || msgs->Count() == 0) return false;
        setEnabled(true);
        doScanFolder_ = true;

        auto table = platform.safeMail.CreateMAPITable(classify::safeMailProgId("MAPITable"));
        table->setItem(msgs);
        table->Filter().Clear();
        safemail::BitmaskRestriction& restriction = table->Filter().SetKind(safemail::RES_BITMASK);
        platform.ui.doEvents();
        if (subset & scanUnreadOnly) restriction.relBMR = safemail::BMR_EQZ;
        else if (subset & scanReadOnly) restriction.relBMR = safemail::BMR_NEZ;
        restriction.ulPropTag = safemail::PR_MESSAGE_FLAGS;
        restriction.ulMask = safemail::MSGFLAG_READ;
        table->setColumns({safemail::PR_SUBJECT, safemail::PR_ENTRYID, safemail::PR_LONGTERM_ENTRYID_FROM_TABLE});
        if (scanTotal_) {
            try {
                scanTotal_(table->RowCount());
            } catch (...) {
                // Without a count the progress shows no bar, and the scan goes on.
            }
        }

        // From here one unreadable row or message must not end the scan.
        std::vector<std::string> moveList;
        bool more = false;
        try {
            more = table->FindFirst(true);
        } catch (...) {
        }
        if (!more) {
            log.LogErrorMessage("no candidate messages");
        } else {
            bool track = (subset & scanUntracked) == 0;
            log.LogErrorMessage(std::string("scanf track: ") + text::formatBool(track));
            int32_t checked = 0;
            while (doScanFolder_ && more) {
                try {
                    platform.ui.doEvents();
                    std::vector<safemail::PropValue> row = table->GetRow();
                    if (row.size() < 3) {
                        log.LogErrorMessage("scanf unable to get row");
                    } else {
                        std::string id = binaryToHex(row[2].isError() ? row[1].text() : row[2].text());
                        if (checkTableRow(msgs, id, track, storeId, moveList, checked)) any = true;
                    }
                } catch (...) {
                }
                try {
                    more = table->FindNext(true);
                } catch (...) {
                    more = false;
                }
            }
        }

        for (size_t i = 0; i < moveList.size(); ++i) {
            try {
                auto ns = addin_.nameSpace();
                if (!ns) break;
                auto item = ns->GetItemFromID(moveList[i], storeId);
                if (item && item->Class() == outlook::olMail) {
                    if (!doScanFolder_) break;
                    classify::IncomingFilter(addin_).processJunkMail(item);
                    if (!useUserProperties_) cache_.add(text::lower(moveList[i]));
                }
            } catch (...) {
            }
            if ((i + 1) % 10 == 0) platform.ui.doEvents();
        }
    } catch (...) {
        log.logError("scanFolderTable");
    }
    setEnabled(false);
    return any;
}

std::string MsgQueue::cacheFilePath() const { return addin_.dataFolder() + "/" + cacheFileName_; }

void MsgQueue::LoadProcessedCache() {
    if (cacheFileName_.empty()) return;
    try {
        cache_.load(addin_.platform().files, cacheFilePath());
    } catch (...) {
        // An unreadable file leaves what was read; those messages are merely checked again.
    }
}

void MsgQueue::SaveProcessedCache() {
    if (cacheFileName_.empty() || addin_.dataFolder().empty()) return;
    try {
        cache_.save(addin_.platform().files, cacheFilePath());
    } catch (...) {
        addin_.log().logError("SaveProcessedCache");
    }
}

void MsgQueue::cleanProcessedCache() {
    auto& ui = addin_.platform().ui;
    try {
        lastCacheCleanUp_ = now();
        if (cache_.size() == 0) return;
        std::vector<std::string> ids = cache_.snapshot();
        auto ns = addin_.nameSpace();
        if (!ns) return;
        std::string storeId = isInbox_ ? ns->GetDefaultFolder(outlook::olFolderInbox)->StoreID() : storeID_;
        addin_.log().LogErrorMessage("entered cleanprocessedcache");
        for (size_t i = 0; i < ids.size(); ++i) {
            std::shared_ptr<outlook::Item> item;
            try {
                item = ns->GetItemFromID(text::upper(ids[i]), storeId);
            } catch (...) {
            }
            bool stillUnread = false;
            try {
                stillUnread = item && item->UnRead();
            } catch (...) {
            }
            if (!stillUnread) cache_.remove(ids[i]);
            if (i % 10 == 0) ui.doEvents();
        }
    } catch (...) {
        addin_.log().logError("cleanProcessedCache");
    }
}

void MsgQueue::saveTimeStamps() {
    auto key = addin_.settingsKey();
    key.writeDate(kLastRun, lastCheckDate_);
    savePreviousFromStamps();
    key.writeDate(kCacheCleaned, lastCacheCleanUp_);
}

void MsgQueue::savePreviousFromStamps() {
    auto key = addin_.settingsKey();
    key.writeDate(kPreviousFromRun, previousFromRun_);
    key.writeDate(kPreviousFromMark, previousFromMark_);
}

}  // namespace tw::scan
