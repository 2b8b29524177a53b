// Start-up, teardown and the window events of the add-in object.
#include "addin/OrvennaOutAddIn.h"

#include "addin/DataFolder.h"
#include "addin/FolderPaths.h"
#include "classify/IncomingFilter.h"
#include "classify/MessageContent.h"
#include "classify/Training.h"
#include "commandbars/ExplWrap.h"
#include "commandbars/ExplorerBars.h"
#include "commandbars/InspWrap.h"
#include "core/Error.h"
#include "core/StringTable.h"
#include "core/Text.h"
#include "net/MessageReport.h"
#include "net/ReleaseCheck.h"
#include "scan/AutoScan.h"
#include "scan/InboxQueueStartup.h"
#include "scan/LearningScan.h"
#include "scan/MsgQueue.h"
#include "scan/NewMail.h"
#include "senders/Senders.h"
#include "settings/SettingsLoader.h"
#include "settings/SettingsWriters.h"

namespace tw::addin {

namespace {
constexpr int kHelpFileId = 435;
constexpr int kSettingsKeyId = 455;
constexpr int kScriptingMissingId = 135;
constexpr int kProductTitleId = 134;
const char* const kScriptingDownloadPage = "https://www.microsoft.com/downloads/details.aspx?FamilyID=scripting";
}  // namespace

OrvennaOutAddIn::OrvennaOutAddIn(AddinLibrary& library)
    : library_(library), platform_(library.platform()), engine_(library.platform().libraries),
      fetch_(library.platform().libraries),
      commands_(std::make_unique<senders::ApproveBlock>(*this)),
      bars_(std::make_unique<commandbars::ExplorerBars>(*this)),
      manualScan_(std::make_unique<scan::ManualScan>(*this)) {}

// The queue saves its state through this object when it ends, so it goes while everything else is whole.
// The log outlives this object: it must not keep asking it for facts.
OrvennaOutAddIn::~OrvennaOutAddIn() {
    autoScan_.reset();
    inboxQueue_.reset();
    dropWindowWrappers();
    if (auto* log = library_.log()) {
        log->setFactsProvider(nullptr);
        log->setAddinsProvider(nullptr);
    }
}

void OrvennaOutAddIn::dropWindowWrappers() {
    // A wrapper refers to this object; once unhooked and dropped, a window closed later reaches nothing.
    for (const auto& wrapper : library_.colExplWraps.values()) wrapper->detach();
    for (const auto& wrapper : library_.colInspWraps.values()) wrapper->detach();
    library_.colExplWraps.clear();
    library_.colInspWraps.clear();
}

diag::AddinFacts OrvennaOutAddIn::facts() {
    diag::AddinFacts f = diag::factsFromShell(platform_.shell);
    try {
        if (objOutlook_) f.outlookVersion = objOutlook_->Version();
    } catch (...) {
    }
    f.isOutlook2k = isOutlook2k();
    f.isInternetMailMode = isInternetMailMode();
    if (senders_) {
        f.exclusiveMode = senders_->exclusive();
        f.ownAddressCount = senders_->getToMeCount();
    }
    f.settings = &library_.settings;
    return f;
}

void OrvennaOutAddIn::InitHandler(std::shared_ptr<outlook::Application> application, const std::string& progId) {
    auto& log = this->log();
    std::shared_ptr<outlook::Folder> inbox;
    try {
        initRan_ = true;
        connection_.begin();
        objOutlook_ = std::move(application);
        log.setFactsProvider([this] { return facts(); });
        log.setAddinsProvider([this] {
            std::vector<std::string> names;
            if (!objOutlook_) return names;
            auto addins = objOutlook_->COMAddIns();
            for (int i = 1; i <= addins->Count(); ++i) names.push_back(addins->Item(i)->Description());
            return names;
        });
        library_.settingsKeyPath = loadString(kSettingsKeyId);
        progId_ = progId;
        objNS_ = objOutlook_->GetNamespace("MAPI");
        colExpl_ = objOutlook_->Explorers();
        colInsp_ = objOutlook_->Inspectors();
        objExpl_ = objOutlook_->ActiveExplorer();
        onNewExplorer_ = colExpl_->NewExplorer().connect([this](auto e) { colExpl_NewExplorer(e); });
        onNewInspector_ = colInsp_->NewInspector().connect([this](auto i) { colInsp_NewInspector(i); });
        if (objExpl_)
            onBeforeFolderSwitch_ = objExpl_->BeforeFolderSwitch().connect(
                [this](auto folder, bool& cancel) { objExpl_BeforeFolderSwitch(folder, cancel); });

        inbox = objNS_->GetDefaultFolder(outlook::olFolderInbox);
        myOlItems_ = inbox->Items();
        onInboxAdd_ = myOlItems_->ItemAdd().connect([this](auto item) { myOlItems_ItemAdd(item); });
        mSentItems_ = objNS_->GetDefaultFolder(outlook::olFolderSentMail)->Items();
        onSentAdd_ = mSentItems_->ItemAdd().connect([this](auto item) { mSentItems_ItemAdd(item); });

        identifyVersion();
        // Each connection checks the network service afresh and may warn once.
        ping_ = std::make_unique<net::NetworkPing>(netContext(), fetch_);

        objMAPIUtils_ = platform_.safeMail.CreateMAPIUtils(classify::safeMailProgId("MAPIUtils"));
        content_ = std::make_unique<classify::MessageContent>(platform_.safeMail, log);
        content_->setMapiUtils(objMAPIUtils_);
        content_->setVersion(version_.majorVersion, version_.isHighSecurity);

        auto& s = library_.settings;
        library_.countries = std::make_unique<settings::Countries>();
        for (KeyedSet* list : {&s.blockedCountries, &s.home_country_list, &s.blocked_ip_list, &s.approved_ip_list,
                               &s.ignored_ip_list, &s.rbl_list, &s.allblacklists})
            list->RemoveAll();
        help_ = std::make_unique<help::HelpWindow>(platform_.shell);
        help_->setHelpFile(platform_.shell.libraryFolder() + "\\" + loadString(kHelpFileId));
        help_->setWindowName("Main");

        // Also hands the stored log level to the log.
        settingsLoaded_ = settings::loadUserSettings(settingsKey(), s, &log, objNS_.get());

        classify::IncomingFilter(*this).getJunkFolder();

        dataFolder_ = getpathsforfiles();

        initializeEngineOptions(true);

        senders::SendersContext lists{platform_.files, platform_.clock, log, library_.settings, settingsKey(),
                                      dataFolder_, objNS_, content_.get(), bounce()};
        lists.safeMail = &platform_.safeMail;
        lists.importThroughObjectModel = isInternetMailMode() && isOutlook2k();
        senders_ = std::make_unique<senders::Senders>(std::move(lists));

        inboxQueue_ = scan::startInboxQueue(*this, *inbox);
        scan::learnCorrespondentsOnce(*this, *inboxQueue_);

        autoScan_ = std::make_shared<scan::AutoScan>(*this);
        autoScan_->setEnabled(library_.settings.enable_autoscan);
        autoScan_->setScanInterval(library_.settings.autoscan_interval);

        if (objExpl_) {
            AddExpl(objExpl_);
            bars_->ShowToolBarMenu();
        }
        // Message windows open before the connection raise no NewInspector; without a wrapper the add-in
        // would never hear the last of them close, hold the client's objects and keep it from ending.
        for (int i = colInsp_->Count(); i >= 1; --i) colInsp_NewInspector(colInsp_->Item(i));

        if (log.Enabled() == diag::oAll) {
            log.logCurrentConfiguration();
            log.logCurrentAddins();
        }
        if (library_.settings.upgradeNotification && TWPingUI()) {
            // The client may close, and even drop this object, while the offer is open.
            const ConnectionToken connection = connection_.token();
            CheckForNewRelease();
            if (!connection.alive()) return;
        }
        lastItemAdd_ = platform_.clock.now().plusDays(-7);
        if (s.scanInboxOnStartup && s.filteringState == settings::filteringEnabled)
            manualScan_->scanFolderUI(inbox, scan::ManualScan::kUnreadSubset);
    } catch (...) {
        inbox.reset();
        log.logError("InitHandler");
    }
}

bool OrvennaOutAddIn::TWPingUI() { return ping_ ? ping_->TWPingUI() : false; }

void OrvennaOutAddIn::CheckForNewRelease() {
    auto context = netContext();
    net::CheckForNewRelease(context, fetch_);
}

net::NetContext OrvennaOutAddIn::netContext() {
    return net::NetContext{platform_, library_.settings, settingsKey(), log()};
}

settings::SettingsKey OrvennaOutAddIn::settingsKey() {
    if (library_.settingsKeyPath.empty()) return settings::SettingsKey(platform_.registry);
    return settings::SettingsKey(platform_.registry, library_.settingsKeyPath);
}

std::string OrvennaOutAddIn::folderPath(outlook::Folder& folder) { return getFolderPath(folder); }

std::shared_ptr<outlook::Folder> OrvennaOutAddIn::folderAtPath(const std::string& path, bool create) {
    if (!objOutlook_) return nullptr;
    return findFolderByPath(*objOutlook_, path, create);
}

std::string OrvennaOutAddIn::senderAddressOf(const std::shared_ptr<outlook::Item>& item) {
    if (!content_) throw Error(91, "Tarnwick", "Object variable or With block variable not set");
    std::string address, name;
    content_->senderaddress(item, address, name);
    return address;
}

void OrvennaOutAddIn::getMessageCountries(const std::shared_ptr<outlook::Item>& item, KeyedSet& countries) {
    KeyedSet charsets;
    classify::Training(*this).getExtraData(item, countries, charsets);
}

void OrvennaOutAddIn::trainOnMessage(const std::shared_ptr<outlook::Item>& item, int32_t weight) {
    classify::Training(*this).trainOnMessage(item, weight);
}

bool OrvennaOutAddIn::hasReachedMinimumTraining() { return classify::Training(*this).hasReachedMinimumTraining(); }

void OrvennaOutAddIn::checkIfUserWantsMinTraining() { classify::Training(*this).checkIfUserWantsMinTraining(); }

bool OrvennaOutAddIn::isJunkMail(const std::shared_ptr<outlook::Item>& item) {
    return classify::IncomingFilter(*this).isJunkMail(item);
}

void OrvennaOutAddIn::processJunkMail(const std::shared_ptr<outlook::Item>& item) {
    classify::IncomingFilter(*this).processJunkMail(item);
}

// The approve and block commands train the messages themselves, so their reports do not.
void OrvennaOutAddIn::reportMessages(const std::vector<std::shared_ptr<outlook::Item>>& items, int32_t kind) {
    net::MessageReports(*this).reportItems(items, kind, false);
}

void OrvennaOutAddIn::reportCommand(int32_t kind) { net::MessageReports(*this).explorerReportCommand(kind); }

void OrvennaOutAddIn::reportMessageCommand(const std::shared_ptr<outlook::Item>& item, int32_t kind) {
    net::MessageReports(*this).ReportMessageWithConfirmation(item, kind, true);
}

std::string OrvennaOutAddIn::reportHeaders(outlook::Item& item) {
    if (!content_) throw Error(91, "Tarnwick", "Object variable or With block variable not set");
    return content_->getMessageHeaders(item);
}

std::string OrvennaOutAddIn::reportSettingsSummary() { return diag::settingsSummary(log().currentFacts()); }

void OrvennaOutAddIn::identifyVersion() {
    version_ = addin::identifyVersion(objOutlook_->Version(), platform_.registry);
}

std::string OrvennaOutAddIn::getpathsforfiles() {
    try {
        return findDataFolder(platform_.shell, platform_.registry, platform_.files);
    } catch (...) {
        log().logError("getpathsforfiles");
        // Without the scripting host nothing can be found: tell the user how to mend it.
        bool hostMissing = false;
        try {
            platform_.shell.expandEnvironmentStrings("%OS%");
        } catch (...) {
            hostMissing = true;
        }
        if (hostMissing) {
            try {
                platform_.ui.MsgBox(loadString(kScriptingMissingId), platform::vbOKOnly, loadString(kProductTitleId));
                platform_.shell.openWithShell(kScriptingDownloadPage);
            } catch (...) {
                log().logError("getpathsforfiles");
            }
        }
        return {};
    }
}

void OrvennaOutAddIn::UnInitHandler() {
    auto& log = this->log();
    try {
        log.LogErrorMessage("UnInitHandler()");
        connection_.end();
        closeOpenForms();
        bars_->RemoveMMenu();
        bars_->RemoveMButtons();
        dropWindowWrappers();
        onNewExplorer_.reset();
        onNewInspector_.reset();
        onBeforeFolderSwitch_.reset();
        onInboxAdd_.reset();
        onSentAdd_.reset();
        objInsp_.reset();
        objExpl_.reset();
        colInsp_.reset();
        colExpl_.reset();
        objNS_.reset();
        objOutlook_.reset();
        myOlItems_.reset();
        mSentItems_.reset();
        senders_.reset();
        // Saves the watched folders and their processed caches; the timer stops first.
        if (autoScan_) autoScan_->setEnabled(false);
        autoScan_.reset();
        objMAPIUtils_.reset();
        if (content_) content_->setMapiUtils(nullptr);
        library_.countries.reset();
        // Saves the processed cache and the queue's time stamps.
        inboxQueue_.reset();
        help_.reset();
        cleanupSafeMail();
        if (engineHandle_ != 0) {
            int32_t handle = engineHandle_;
            engineHandle_ = 0;
            engine_.TW_destructor(handle);
        }
        manualScan_->unloadWindows();
        // Closes a connection warning still open.
        ping_.reset();
        // Counters are stored only over settings read in this connection, never over the defaults.
        if (settingsLoaded_) {
            settings::SettingsWriters writers(settingsKey(), library_.settings);
            writers.writeCounters(library_.settings.processed, library_.settings.caught);
            writers.writeWeeklyStats();
        }
        log.LogErrorMessage("End of UnInitHandler()");
    } catch (...) {
        log.logError("UnInitHandler");
    }
}

void OrvennaOutAddIn::closeOpenForms() {
    // A form still open (a modal one the client closed around, the log or the statistics) would
    // outlive the add-in; it closes first, while whatever owns it is whole. Its own trap: a form
    // that will not close must not stop the teardown.
    try {
        library_.openForms().closeAll();
    } catch (...) {
        log().logError("UnInitHandler");
    }
}

void OrvennaOutAddIn::cleanupSafeMail() {
    // Its own trap: a missing safe-mail library must not keep the engine alive or lose the counters.
    try {
        auto utils = platform_.safeMail.CreateMAPIUtils(classify::safeMailProgId("MAPIUtils"));
        utils->Cleanup();
    } catch (...) {
        log().logError("UnInitHandler");
    }
}

void OrvennaOutAddIn::colExpl_NewExplorer(const std::shared_ptr<outlook::Explorer>& explorer) {
    try {
        library_.newExplorerFlag = true;
        AddExpl(explorer);
    } catch (...) {
        log().logError("colExpl_NewExplorer");
    }
}

void OrvennaOutAddIn::colInsp_NewInspector(const std::shared_ptr<outlook::Inspector>& inspector) {
    auto& log = this->log();
    try {
        log.LogErrorMessage("colInsp_NewInspector()");
        log.LogErrorMessage("olMail = 43\r\nolPost = 45\r\nolAppointment = 26\r\nolContact = 40\r\n"
                            "olDistributionList = 69\r\nolTask = 48\r\nolJournal = 42\r\nolDocument = 41");
        objInsp_ = inspector;
        int itemClass = inspector->CurrentItem()->Class();
        log.LogErrorMessage("objItem.Class = " + std::to_string(itemClass));
        if (itemClass == outlook::olMail) AddInsp(inspector);
    } catch (...) {
        log.logError("colInsp_NewInspector");
    }
}

void OrvennaOutAddIn::objExpl_BeforeFolderSwitch(const std::shared_ptr<outlook::Folder>&, bool&) {}

void OrvennaOutAddIn::myOlItems_ItemAdd(const std::shared_ptr<outlook::Item>& item) {
    scan::myOlItems_ItemAdd(*this, item);
}

void OrvennaOutAddIn::mSentItems_ItemAdd(const std::shared_ptr<outlook::Item>& item) {
    classify::IncomingFilter(*this).mSentItems_ItemAdd(item);
}

void OrvennaOutAddIn::AddExpl(const std::shared_ptr<outlook::Explorer>& explorer) {
    int16_t key = library_.nextExplKey;
    auto wrapper = std::make_shared<commandbars::ExplWrap>(*this);
    wrapper->setExplorer(explorer);
    wrapper->setKey(key);
    library_.colExplWraps.add(std::to_string(key), wrapper);
    log().LogErrorMessage("AddExpl " + std::to_string(key));
    library_.nextExplKey = static_cast<int16_t>(key + 1);
}

void OrvennaOutAddIn::KillExpl(int16_t key, const commandbars::ExplWrap& wrapper) {
    auto entry = library_.colExplWraps.find(std::to_string(key));
    if (entry.get() != &wrapper) throw Error(1, "OrvennaOutAddIn", "Unexpected Error in KillExpl");
    library_.colExplWraps.remove(std::to_string(key));
    log().LogErrorMessage("KillExpl " + std::to_string(key));
}

void OrvennaOutAddIn::AddInsp(const std::shared_ptr<outlook::Inspector>& inspector) {
    int16_t key = library_.nextInspKey;
    auto wrapper = std::make_shared<commandbars::InspWrap>(*this);
    wrapper->setInspector(inspector);
    auto item = inspector->CurrentItem();
    wrapper->setItem(item, item->Class());
    wrapper->setKey(key);
    library_.colInspWraps.add(std::to_string(key), wrapper);
    log().LogErrorMessage("AddInsp " + std::to_string(key));
    library_.nextInspKey = static_cast<int16_t>(key + 1);
}

void OrvennaOutAddIn::KillInsp(int16_t key, const commandbars::InspWrap& wrapper) {
    auto entry = library_.colInspWraps.find(std::to_string(key));
    if (entry.get() != &wrapper) throw Error(1, "OrvennaOutAddIn", "Unexpected Error in KillInsp");
    library_.colInspWraps.remove(std::to_string(key));
    log().LogErrorMessage("KillInsp " + std::to_string(key));
}

}  // namespace tw::addin
