// The one add-in object of a connection: builds the object graph at start-up, owns the mail-client
// references and the engine handle, keeps the window wrappers, and tears everything down.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "addin/AddinLibrary.h"
#include "addin/VersionFacts.h"
#include "classify/MessageContent.h"
#include "commandbars/CommandBarsHost.h"
#include "core/Event.h"
#include "core/OleDate.h"
#include "engineapi/Bounce.h"
#include "engineapi/EngineLibrary.h"
#include "help/HelpWindow.h"
#include "net/FetchLibrary.h"
#include "net/NetContext.h"
#include "net/NetworkPing.h"
#include "net/ReportHost.h"
#include "options/OptionsHost.h"
#include "platform/Outlook.h"
#include "scan/ManualScan.h"
#include "scan/ScanHost.h"
#include "senders/ApproveBlock.h"
#include "senders/CommandHost.h"
#include "settings/RegistryAccess.h"

namespace tw::senders {
class Senders;
}  // namespace tw::senders
namespace tw::scan {
class AutoScan;
class MsgQueue;
}  // namespace tw::scan

namespace tw::addin {

class OrvennaOutAddIn : public scan::ScanHost,
                        public commandbars::CommandBarsHost,
                        public senders::CommandHost,
                        public net::ReportHost,
                        public options::OptionsHost {
public:
    explicit OrvennaOutAddIn(AddinLibrary& library);
    ~OrvennaOutAddIn() override;
    OrvennaOutAddIn(const OrvennaOutAddIn&) = delete;
    OrvennaOutAddIn& operator=(const OrvennaOutAddIn&) = delete;

    /// Builds everything in its fixed order; the first failure ends it (logged, never raised).
    void InitHandler(std::shared_ptr<outlook::Application> application, const std::string& progId);
    /// Tears everything down; safe to run more than once.
    void UnInitHandler() override;

    // Window events.
    void colExpl_NewExplorer(const std::shared_ptr<outlook::Explorer>& explorer);
    void colInsp_NewInspector(const std::shared_ptr<outlook::Inspector>& inspector);
    void objExpl_BeforeFolderSwitch(const std::shared_ptr<outlook::Folder>& newFolder, bool& cancel);

    // New mail in the Inbox and in Sent Items.
    void myOlItems_ItemAdd(const std::shared_ptr<outlook::Item>& item);
    void mSentItems_ItemAdd(const std::shared_ptr<outlook::Item>& item);

    // Wrapper bookkeeping; the wrappers call the Kill operations from their Close handlers.
    void AddExpl(const std::shared_ptr<outlook::Explorer>& explorer);
    void KillExpl(int16_t key, const commandbars::ExplWrap& wrapper) override;
    void AddInsp(const std::shared_ptr<outlook::Inspector>& inspector);
    void KillInsp(int16_t key, const commandbars::InspWrap& wrapper) override;

    // Shared facts.
    bool isHighSecurity() const { return version_.isHighSecurity; }
    bool isInternetMailMode() const { return version_.isInternetMailMode; }
    bool isOutlook2k() const { return version_.isOutlook2k(); }
    int32_t outlookVersion() const override { return version_.majorVersion; }
    OleDate lastItemAdd() const override { return lastItemAdd_; }
    int32_t getEnginePointer() const override { return engineHandle_; }
    const std::string& dataFolder() const override { return dataFolder_; }
    const std::string& progId() const { return progId_; }
    bool initialized() const { return initRan_; }
    /// Begins with start-up and ends with teardown.
    ConnectionToken connection() const override { return connection_.token(); }

    void identifyVersion();
    std::string getpathsforfiles();

    /// Creates the engine when asked (destroying the old one first), hands it every start-up
    /// option and initializes it. Failing calls are skipped; a missing engine leaves the handle 0.
    void initializeEngineOptions(bool createNewEngine);
    /// Turns the engine's network lookups off while a message is trained (true) and back on (false).
    void enableEngineTrainingSettings(bool enable) override;

    /// True once loadUserSettings read the settings in this connection.
    bool settingsLoaded() const { return settingsLoaded_; }
    /// The settings key with its shorthands.
    settings::SettingsKey settingsKey() override;

    std::shared_ptr<outlook::Application> application() const override { return objOutlook_; }
    std::shared_ptr<outlook::NameSpace> nameSpace() const override { return objNS_; }
    AddinLibrary& library() { return library_; }
    diag::CErrorHandler& log() override { return library_.ensureLog(); }
    engineapi::EngineLibrary& engine() override { return engine_; }
    /// The engine's bounce, sender-report and address-store services over the current engine handle.
    engineapi::Bounce bounce() { return engineapi::Bounce(engine_, [this] { return engineHandle_; }); }
    /// The sender lists; exist once start-up got past the engine.
    senders::Senders* senders() override { return senders_.get(); }
    help::HelpWindow* helpWindow() override { return help_.get(); }

    /// Reads message texts for the filter, training and the commands; exists once start-up got that far.
    classify::MessageContent* content() override { return content_.get(); }

    /// The connectivity check of this connection; false before start-up made it.
    bool TWPingUI() override;
    /// Offers a newer release, or starts the rule updater.
    void CheckForNewRelease();
    /// The connectivity check's state; null before start-up made it.
    const net::NetworkPing* networkPing() const { return ping_.get(); }
    /// The ports, settings and log the network checks work with.
    net::NetContext netContext() override;

    // What the message reports need.
    std::shared_ptr<safemail::MAPIUtils> reportMapiUtils() override { return objMAPIUtils_; }
    std::string reportHeaders(outlook::Item& item) override;
    std::string reportSettingsSummary() override;
    /// The explorer's report command of a kind.
    void reportCommand(int32_t kind) override;
    void reportMessageCommand(const std::shared_ptr<outlook::Item>& item, int32_t kind) override;

    /// The Inbox message queue; exists from start-up to teardown.
    std::shared_ptr<scan::MsgQueue> inboxQueue() const override { return inboxQueue_; }
    /// The folder auto-scan (the options dialog adds and removes its folders); exists from start-up to teardown.
    scan::AutoScan* autoScan() const override { return autoScan_.get(); }
    options::OptionsHost& optionsHost() override { return *this; }
    classify::ClassifyHost& classifyHost() override { return *this; }
    settings::Settings& settings() override { return library_.settings; }
    platform::Platform& platform() override { return platform_; }
    std::string folderPath(outlook::Folder& folder) override;
    std::shared_ptr<outlook::Folder> folderAtPath(const std::string& path, bool create) override;
    // What the commands and the toolbar need.
    senders::ApproveBlock& commands() override { return *commands_; }
    bool& newExplorerFlag() override { return library_.newExplorerFlag; }
    commandbars::ExplorerBars* explorerBars() override { return bars_.get(); }
    settings::Countries* countries() override { return library_.countries.get(); }
    std::string senderAddressOf(const std::shared_ptr<outlook::Item>& item) override;
    void getMessageCountries(const std::shared_ptr<outlook::Item>& item, KeyedSet& countries) override;
    void trainOnMessage(const std::shared_ptr<outlook::Item>& item, int32_t weight) override;
    bool hasReachedMinimumTraining() override;
    void checkIfUserWantsMinTraining() override;
    bool isJunkMail(const std::shared_ptr<outlook::Item>& item) override;
    void processJunkMail(const std::shared_ptr<outlook::Item>& item) override;
    void reportMessages(const std::vector<std::shared_ptr<outlook::Item>>& items, int32_t kind) override;
    void refreshEngineOptions() override { initializeEngineOptions(false); }
    void setLastItemAdd(OleDate when) override { lastItemAdd_ = when; }
    /// The manual folder scan: the scan-folder command, its progress and result windows.
    scan::ManualScan& manualScan() override { return *manualScan_; }
    void scanFolderUI(const std::shared_ptr<outlook::Folder>& folder, int32_t subset) {
        manualScan_->scanFolderUI(folder, subset);
    }

private:
    diag::AddinFacts facts();
    void cleanupSafeMail();
    void closeOpenForms();
    void dropWindowWrappers();

    AddinLibrary& library_;
    platform::Platform& platform_;
    engineapi::EngineLibrary engine_;
    net::FetchLibrary fetch_;
    std::unique_ptr<net::NetworkPing> ping_;

    std::shared_ptr<outlook::Application> objOutlook_;
    std::shared_ptr<outlook::NameSpace> objNS_;
    std::shared_ptr<outlook::Explorer> objExpl_;
    std::shared_ptr<outlook::Explorers> colExpl_;
    std::shared_ptr<outlook::Inspector> objInsp_;
    std::shared_ptr<outlook::Inspectors> colInsp_;
    std::shared_ptr<outlook::Items> myOlItems_;
    std::shared_ptr<outlook::Items> mSentItems_;
    std::unique_ptr<help::HelpWindow> help_;
    std::unique_ptr<senders::Senders> senders_;
    std::shared_ptr<safemail::MAPIUtils> objMAPIUtils_;
    std::unique_ptr<classify::MessageContent> content_;
    std::shared_ptr<scan::MsgQueue> inboxQueue_;
    std::shared_ptr<scan::AutoScan> autoScan_;
    std::unique_ptr<senders::ApproveBlock> commands_;
    std::unique_ptr<commandbars::ExplorerBars> bars_;
    std::unique_ptr<scan::ManualScan> manualScan_;

    Subscription onNewExplorer_, onNewInspector_, onBeforeFolderSwitch_, onInboxAdd_, onSentAdd_;

    std::string progId_;
    std::string dataFolder_;
    int32_t engineHandle_ = 0;
    VersionFacts version_;
    OleDate lastItemAdd_;
    bool initRan_ = false;
    bool settingsLoaded_ = false;
    ConnectionLife connection_;
};

}  // namespace tw::addin
