// The folder auto-scan: loading and saving the watched folders, adding and removing listeners, and the timer's pass.
#include "scan/AutoScan.h"

#include <algorithm>
#include <cctype>
#include <limits>

#include "core/Error.h"
#include "core/StringTable.h"
#include "core/Text.h"
#include "scan/MsgQueue.h"
#include "scan/ScanHost.h"
#include "scan/frmAutoScanStatus.h"
#include "scan/frmTimer.h"
#include "settings/RegistryAccess.h"

namespace tw::scan {

namespace {
using platform::Hive;

constexpr const char* kFoldersKey = "folders";
constexpr const char* kEntryValue = "entryID";
constexpr const char* kStoreValue = "storeID";
constexpr const char* kLastRunValue = "lastrun";
constexpr const char* kCacheCleanedValue = "mpclean";
constexpr const char* kPathValue = "path";
constexpr const char* kUnableToListen = "Unable to listen to folder.";

// What the mail client answers for an identifier that names nothing in an open store.
constexpr long kMapiNotFound = -2147221233;        // MAPI_E_NOT_FOUND
constexpr long kMapiInvalidEntryId = -2147221241;  // MAPI_E_INVALID_ENTRYID

/// Entry identifiers are hexadecimal; anything else in the registry was not written by the add-in
/// and must never become part of a file path.
bool isPlainHex(const std::string& id) {
    return !id.empty() && std::all_of(id.begin(), id.end(), [](unsigned char c) { return std::isxdigit(c) != 0; });
}
/// The number of a saved folder's subkey ("folder12" is 12); names the add-in did not write come last.
long positionOf(const std::string& subkey) {
    const std::string prefix = "folder";
    constexpr size_t kMostDigits = 9;
    if (!text::startsWith(text::lower(subkey), prefix) || subkey.size() == prefix.size() ||
        subkey.size() > prefix.size() + kMostDigits)
        return std::numeric_limits<long>::max();
    const std::string digits = subkey.substr(prefix.size());
    if (!std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c) != 0; }))
        return std::numeric_limits<long>::max();
    return std::stol(digits);
}
}  // namespace

AutoScan::AutoScan(ScanHost& addin) : addin_(addin), status_(std::make_unique<frmAutoScanStatus>(addin)) {
    try {
        lastPass_ = now();
        scanInterval_ = kInitialScanInterval;
        loadListeners();
    } catch (...) {
        addin_.log().logError("ASInitialize");
    }
    createTimer();
}

AutoScan::~AutoScan() {
    try {
        timer_.reset();
        if (listUnreadable_ && !listChanged_)
            addin_.log().LogErrorMessage("auto-scan folder list was not readable; left as it is");
        else
            autoscansave();
        listeners_.clear();
        pending_.clear();
        status_->Form_Unload();
    } catch (...) {
        addin_.log().logError("AutoScanTerm");
    }
}

OleDate AutoScan::now() const { return addin_.platform().clock.now(); }

std::string AutoScan::foldersKeyPath() const {
    std::string path = addin_.settingsKey().path();
    if (!path.empty() && path.back() != '\\') path += '\\';
    return path + kFoldersKey;
}

void AutoScan::createTimer() {
    try {
        if (!timer_)
            timer_ = std::make_unique<frmTimer>(addin_.platform().ui, kTimerIntervalMs, [this] { timerTick(); });
        timer_->setEnabled(enabled_);
    } catch (...) {
        addin_.log().logError("createTimer");
    }
}

// The registry port lists the subkeys at once, so the loop below always ends. A missing key is an
// empty list; a key that cannot be listed leaves the list empty for this session and unsaved.
void AutoScan::loadListeners() {
    auto& registry = addin_.platform().registry;
    const std::string folders = foldersKeyPath();
    std::vector<std::string> names;
    try {
        if (!registry.keyExists(Hive::CurrentUser, folders)) return;
        names = registry.subkeyNames(Hive::CurrentUser, folders);
    } catch (...) {
        listUnreadable_ = true;
        addin_.log().logError("ASInitialize");
        return;
    }
    // The registry lists "folder10" before "folder2"; the user's order is the number's.
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return positionOf(a) < positionOf(b);
    });
    for (const std::string& name : names) {
        try {
            settings::SettingsKey key(registry, folders + "\\" + name);
            PendingFolder entry{text::trim(key.read(kEntryValue).toText()), text::trim(key.read(kStoreValue).toText()),
                                key.readDate(kLastRunValue), key.readDate(kCacheCleanedValue),
                                key.read(kPathValue).toText()};
            if (!entry.entryID.empty() && !entry.storeID.empty()) addEntry(entry);
        } catch (...) {
            addin_.log().logError("addEntry");
        }
    }
}

void AutoScan::addEntry(const PendingFolder& entry) {
    try {
        std::shared_ptr<MsgQueue> existing;
        if (findListener(existing, entry.entryID, entry.storeID)) return;
        std::shared_ptr<outlook::Folder> folder;
        Lookup lookup = openFolder(entry, folder);
        if (lookup == Lookup::opened && listenTo(folder, entry)) return;
        addin_.log().LogErrorMessage(kUnableToListen);
        if (lookup == Lookup::gone) {
            deleteCacheFile(entry.entryID);
        } else {
            addin_.log().LogErrorMessage("folder kept in the auto-scan list, tried again on the next pass: " +
                                         entry.entryID);
            pending_.push_back(entry);
        }
    } catch (...) {
        addin_.log().logError("addEntry");
    }
}

// A folder is gone for good only when its store is open in this session (one of the name space's
// top folders carries that store identifier) and the client answers that the identifier names
// nothing there. A store that is not open (a server mailbox offline for the moment, a personal
// folders file not attached today) or any other error (network, logon, a busy server) proves
// nothing: the folder stays in the list and is tried again on each pass.
AutoScan::Lookup AutoScan::openFolder(const PendingFolder& entry, std::shared_ptr<outlook::Folder>& folder) {
    auto ns = addin_.nameSpace();
    if (!ns) return Lookup::unavailable;
    bool notFound = false;
    try {
        folder = ns->GetFolderFromID(entry.entryID, entry.storeID);
        notFound = !folder;
    } catch (...) {
        const long number = currentError().number;
        notFound = number == kMapiNotFound || number == kMapiInvalidEntryId;
    }
    if (folder) return Lookup::opened;
    return notFound && storeIsOpen(*ns, entry.storeID) ? Lookup::gone : Lookup::unavailable;
}

bool AutoScan::storeIsOpen(outlook::NameSpace& ns, const std::string& storeID) {
    try {
        auto stores = ns.Folders();
        const int count = stores->Count();
        for (int i = 1; i <= count; ++i)
            if (text::iequals(stores->Item(i)->StoreID(), storeID)) return true;
    } catch (...) {
    }
    return false;
}

bool AutoScan::listenTo(const std::shared_ptr<outlook::Folder>& folder, const PendingFolder& entry) {
    auto queue = std::make_shared<MsgQueue>(addin_);
    if (!queue->setFolderToCheck(folder)) return false;
    initListener(queue);
    rememberPath(*folder);
    queue->setLastCheckDate(entry.lastrun);
    queue->setLastProcessedCacheCleanUp(entry.mpclean);
    return true;
}

void AutoScan::rememberPath(outlook::Folder& folder) {
    try {
        paths_[folder.EntryID()] = addin_.folderPath(folder);
    } catch (...) {
        addin_.log().logError("ASrememberPath");
    }
}

bool AutoScan::retryPendingFolders() {
    bool changed = false;
    std::vector<PendingFolder> waiting;
    waiting.swap(pending_);
    for (const PendingFolder& entry : waiting) {
        try {
            std::shared_ptr<outlook::Folder> folder;
            Lookup lookup = openFolder(entry, folder);
            if (lookup == Lookup::opened && listenTo(folder, entry)) {
                addin_.log().LogErrorMessage("listening to folder again: " + entry.entryID);
                changed = true;
            } else if (lookup == Lookup::gone) {
                addin_.log().LogErrorMessage(kUnableToListen);
                deleteCacheFile(entry.entryID);
                changed = true;
            } else {
                pending_.push_back(entry);
            }
        } catch (...) {
            pending_.push_back(entry);
            addin_.log().logError("addEntry");
        }
    }
    return changed;
}

void AutoScan::deleteCacheFile(const std::string& entryID) {
    const std::string& dataFolder = addin_.dataFolder();
    if (dataFolder.empty()) return;
    if (!isPlainHex(entryID)) {
        addin_.log().LogErrorMessage("not a folder identifier, no cache file deleted: " + entryID);
        return;
    }
    auto& files = addin_.platform().files;
    const std::string path = dataFolder + "/" + entryID;
    if (files.fileExists(path)) files.removeFile(path);
}

void AutoScan::initListener(const std::shared_ptr<MsgQueue>& objMQ) {
    objMQ->setInternalIndex(nextIndex_++);
    objMQ->setUseUserProperties(false);
    objMQ->initialize(false);
    objMQ->setBatchSize(kListenerBatchSize);
    objMQ->setEnabled(true);
    objMQ->setScanProgress([this](int32_t checked) { showProgress(checked); });
    listeners_.push_back(objMQ);
}

bool AutoScan::addListener(const std::shared_ptr<outlook::Folder>& folder, int32_t& internalIndex) {
    auto& log = addin_.log();
    try {
        if (!folder) {
            log.LogErrorMessage(kUnableToListen);
            return false;
        }
        const std::string entryID = folder->EntryID(), storeID = folder->StoreID();
        std::shared_ptr<MsgQueue> existing;
        if (findListener(existing, entryID, storeID)) return false;
        auto queue = std::make_shared<MsgQueue>(addin_);
        if (!queue->setFolderToCheck(folder)) {
            log.LogErrorMessage(kUnableToListen);
            return false;
        }
        // A folder that was waiting for its store is now simply watched.
        std::erase_if(pending_, [&](const PendingFolder& p) { return p.entryID == entryID && p.storeID == storeID; });
        initListener(queue);
        rememberPath(*folder);
        internalIndex = queue->internalIndex();
        listChanged_ = true;
        autoscansave();
        return true;
    } catch (...) {
        log.logError("autoscanadd");
        return false;
    }
}

bool AutoScan::findListener(std::shared_ptr<MsgQueue>& objMQ, const std::string& entryID, const std::string& storeID) {
    try {
        for (const auto& queue : listeners_) {
            if (queue->entryID() == entryID && queue->storeID() == storeID) {
                objMQ = queue;
                return true;
            }
        }
    } catch (...) {
        addin_.log().logError("findListener");
    }
    return false;
}

bool AutoScan::deleteListener(int32_t internalIndex) {
    try {
        auto found = std::find_if(listeners_.begin(), listeners_.end(),
                                  [&](const auto& queue) { return queue->internalIndex() == internalIndex; });
        if (found == listeners_.end()) return false;
        std::shared_ptr<MsgQueue> queue = *found;
        listeners_.erase(found);
        // A pass may still hold the queue: stop its scan, and keep its end from writing the cache again.
        queue->setDoScanFolder(false);
        queue->setEnabled(false);
        queue->forgetCacheFile();
        deleteCacheFile(queue->entryID());
        listChanged_ = true;
        autoscansave();
        return true;
    } catch (...) {
        addin_.log().logError("ASdeleteListener");
        return false;
    }
}

bool AutoScan::deletePendingFolder(size_t position) {
    try {
        if (position >= pending_.size()) return false;
        const std::string entryID = pending_[position].entryID;
        pending_.erase(pending_.begin() + static_cast<std::ptrdiff_t>(position));
        deleteCacheFile(entryID);
        listChanged_ = true;
        autoscansave();
        return true;
    } catch (...) {
        addin_.log().logError("ASdeletePendingFolder");
        return false;
    }
}

void AutoScan::autoscansave() {
    try {
        auto& registry = addin_.platform().registry;
        const std::string folders = foldersKeyPath();
        if (registry.keyExists(Hive::CurrentUser, folders)) registry.deleteTree(Hive::CurrentUser, folders);
        int position = 0;
        auto write = [&](const PendingFolder& entry) {
            settings::SettingsKey key(registry, folders + "\\folder" + std::to_string(++position));
            key.writeString(kEntryValue, entry.entryID);
            key.writeString(kStoreValue, entry.storeID);
            key.writeDate(kLastRunValue, entry.lastrun);
            key.writeDate(kCacheCleanedValue, entry.mpclean);
            // Kept so that a folder whose store stays away can still be named to the user.
            if (!entry.path.empty()) key.writeString(kPathValue, entry.path);
        };
        for (const auto& queue : listeners_) {
            auto path = paths_.find(queue->entryID());
            write({queue->entryID(), queue->storeID(), queue->lastCheckDate(), queue->lastProcessedCacheCleanUp(),
                   path == paths_.end() ? std::string() : path->second});
        }
        for (const auto& entry : pending_) write(entry);
    } catch (...) {
        addin_.log().logError("autoscansave");
    }
}

std::shared_ptr<MsgQueue> AutoScan::listener(int32_t position) const {
    if (position < 1 || position > listenerCount()) return nullptr;
    return listeners_[static_cast<size_t>(position - 1)];
}

void AutoScan::setEnabled(bool enabled) {
    enabled_ = enabled;
    if (timer_) timer_->setEnabled(enabled);
    if (!enabled) {
        for (const auto& queue : listeners_) queue->setEnabled(false);
        cancelAutoScan();
    }
}

void AutoScan::cancelAutoScan() {
    try {
        if (!busy_) return;
        // Each folder's scan sets its own flag again, so the pass itself must learn of the cancel.
        cancelled_ = true;
        for (const auto& queue : listeners_) queue->setDoScanFolder(false);
    } catch (...) {
        addin_.log().logError("cancelAutoscan");
    }
}

void AutoScan::showProgress(int32_t checked) { status_->showCount(checked); }

void AutoScan::timerTick() {
    // Teardown may release this object while a pass yields; it lives on until the tick returns.
    auto self = weak_from_this().lock();
    if (busy_) return;
    try {
        if (minutesBetween(lastPass_, now()) < scanInterval_) return;
    } catch (...) {
        return;
    }
    busy_ = true;
    cancelled_ = false;
    bool statusUsed = false;
    try {
        runPass(statusUsed);
        if (statusUsed) status_->hide();
    } catch (...) {
        addin_.log().logError("autoscantimer");
        // One failed pass must not end the auto-scan for the session, nor leave its window up.
        if (statusUsed) {
            try {
                status_->hide();
            } catch (...) {
            }
        }
    }
    busy_ = false;
    lastPass_ = now();
}

void AutoScan::runPass(bool& statusUsed) {
    if (retryPendingFolders()) autoscansave();
    const bool showStatus = addin_.settings().enable_autoscan_status;
    if (showStatus) {
        status_->bind(*this);
        statusUsed = true;
    }
    // A copy: the options dialog may add or remove listeners while a folder's scan yields.
    const auto listeners = listeners_;
    for (const auto& queue : listeners) {
        if (!enabled_ || cancelled_) break;
        if (std::find(listeners_.begin(), listeners_.end(), queue) == listeners_.end()) continue;
        if (showStatus)
            status_->setFolderText(text::fillPlaceholder(loadString(kCheckingFolderId), queue->folderPath()));
        queue->setEnabled(true);
        queue->setUpdateScanStatusWindow(showStatus);
        queue->processFolderMessages();
    }
}

}  // namespace tw::scan
