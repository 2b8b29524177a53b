// Wires the simulated platform to the add-in and runs one session of the mail client.
#include "host/HostSession.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

#include "addin/FolderPaths.h"
#include "addin/OrvennaOutAddIn.h"
#include "core/Error.h"
#include "core/Text.h"
#include "host/FolderListing.h"
#include "host/OutboxFolder.h"
#include "net/NetworkPing.h"
#include "scan/AutoScan.h"
#include "scan/MsgQueue.h"
#include "settings/ServiceAddresses.h"

namespace tw::host {

namespace {
const char* const kAddinProgId = "OrvennaOutlookAddIn.Connect";
constexpr int kConnectAtStartup = 1;   // ext_cm_Startup
constexpr int kDisconnectByHost = 0;   // ext_dm_HostShutdown

OleDate startOfSession() { return OleDate::fromCivil({2026, 12, 8, 9, 0, 0}); }

// Messages arrive a second apart; afterwards the queue gets up to an hour of virtual time to finish.
constexpr int64_t kGapBetweenMessagesMs = 1000;
constexpr int64_t kQueueStepMs = 2000;
constexpr int64_t kQueueTimeLimitMs = 3600 * 1000;

/// Checked: marked, or in the processed cache of the Inbox queue or of an auto-scan listener.
std::string verdictOf(sim::SimItem& item, addin::OrvennaOutAddIn* addin, const std::string& junkFolderName) {
    auto folder = item.parentFolder();
    if (folder && folder->Name() == junkFolderName) return "spam";
    if (item.Class() != outlook::olMail) return "not mail";
    const std::string id = text::lower(item.EntryID());
    bool checked = item.UserProperties()->Find(scan::MsgQueue::kMarkerName) != nullptr;
    if (auto queue = addin ? addin->inboxQueue() : nullptr) checked = checked || queue->processedCache().contains(id);
    if (auto* autoScan = addin ? addin->autoScan() : nullptr)
        for (int32_t i = 1; i <= autoScan->listenerCount(); ++i)
            checked = checked || autoScan->listener(i)->processedCache().contains(id);
    return checked ? "legitimate" : "unchecked";
}
}  // namespace

HostSession::HostSession(const Profile& profile, const RunOptions& options)
    : profile_(profile), options_(options), shell_(Profile::kUserName, Profile::kLibraryFolder),
      libraries_(options.librarySearchFolders) {
    if (std::filesystem::exists(profile_.registryFile())) registry_ = sim::SimRegistry::loadFromFile(profile_.registryFile());
    files_ = std::make_unique<sim::SimFileSystem>(profile_.root());
    // The engine is handed the same Windows paths as the add-in; it finds drive C in the profile.
    ::setenv("TARNENGINE_DRIVE_C", (profile_.root() / "drive_c").string().c_str(), 1);
    // The engine is handed the same Windows paths as the add-in; it finds drive C in the profile.
    ::setenv("TARNENGINE_DRIVE_C", files_->hostPath("C:\\").string().c_str(), 1);
    // The simulation talks to this machine only, unless the caller's environment says otherwise.
    ::setenv("TARNFETCH_LOOPBACK_ONLY", "1", 0);
    loop_ = std::make_unique<sim::SimEventLoop>(startOfSession());
    ui_ = std::make_unique<sim::SimUserInterface>(*loop_);
    platform_ = std::make_unique<platform::Platform>(
        platform::Platform{registry_, *files_, shell_, *ui_, *loop_, libraries_, safeMail_});
    client_ = std::make_unique<sim::SimMailClient>(*loop_);
    safeMail_.setClient(client_.get());
    client_->openStore(profile_.mailStore(), [](const std::string& line) { std::cerr << "mail store: " << line << "\n"; });
    // What the transport sends is kept on disk so a person can read exactly what would leave the machine.
    client_->setSentObserver([folder = profile_.root() / "outbox"](const std::string& raw) {
        try {
            writeOutboxMessage(folder, raw);
        } catch (const std::exception& e) {
            std::cerr << "outbox: " << e.what() << "\n";
        }
    });
    client_->comAddIns()->addIns_.push_back(
        std::make_shared<sim::SimCOMAddIn>("Belcastra Tarnwick Outlook Add-In", kAddinProgId));
    library_ = std::make_unique<addin::AddinLibrary>(*platform_);
    connect_ = std::make_unique<addin::Connect>(*library_);
    files_->createFolders(Profile::kLibraryFolder);
    installRuleFiles();
}

void HostSession::installRuleFiles() {
    // As the installer puts the engine's shipped rules in its folder: the build's copies, kept up to date.
    namespace fs = std::filesystem;
    const fs::path target = files_->hostPath(Profile::kLibraryFolder);
    for (const char* name : {"tw1.bin", "tw2.bin", "tw5.bin"}) {
        for (const auto& folder : options_.librarySearchFolders) {
            std::error_code ec;
            const fs::path source = fs::path(folder) / name;
            if (fs::equivalent(source.parent_path(), target, ec) || !fs::is_regular_file(source, ec)) continue;
            fs::copy_file(source, target / name, fs::copy_options::update_existing, ec);
            if (ec) std::cerr << "rules: cannot copy " << source.string() << ": " << ec.message() << "\n";
            break;
        }
    }
}

HostSession::~HostSession() = default;

void HostSession::run() {
    startAddin();
    countersAtStart_ = {library_->settings.processed, library_->settings.caught};
    deliverMail();
    loop_->advance(static_cast<int64_t>(options_.runSeconds) * 1000);
    recordVerdicts();
    if (auto* a = addin(); a && a->networkPing()) networkReached_ = a->networkPing()->lastResult();
    auto addresses = settings::serviceAddresses(registry_);
    networkAddress_ = "http://" + addresses.pingHost + addresses.pingPage;
    stopAddin();
    ran_ = true;
}

void HostSession::startAddin() {
    explorer_ = client_->openExplorer();
    connect_->AddinInstance_OnConnection(client_->application(), kConnectAtStartup, kAddinProgId);
}

void HostSession::stopAddin() {
    if (explorer_) client_->closeExplorer(explorer_);
    explorer_.reset();
    connect_->AddinInstance_OnDisconnection(kDisconnectByHost);
    registry_.saveToFile(profile_.registryFile());
}

void HostSession::deliverMail() {
    auto files = messagesToDeliver(profile_.root() / "incoming", options_.deliver);
    if (files.empty()) return;
    auto target = deliveryFolder();
    auto& items = deliveredItems_;
    for (const auto& file : files) {
        DeliveryRecord record{file.path.filename().string(), {}, {}, {}};
        try {
            items.push_back(client_->deliverFile(file.path, file.fromIncoming ? nullptr : target));
            record.subject = items.back()->Subject();
            if (file.fromIncoming) std::filesystem::remove(file.path);
        } catch (const Error& e) {
            items.push_back(nullptr);
            record.verdict = "not delivered: " + e.description();
        }
        deliveries_.push_back(std::move(record));
        loop_->advance(kGapBetweenMessagesMs);
    }

    addin::OrvennaOutAddIn* addin = connect_->addin();
    auto queue = addin ? addin->inboxQueue() : nullptr;
    for (int64_t waited = 0; queue && (queue->Enabled() || queue->Busy()) && waited < kQueueTimeLimitMs;
         waited += kQueueStepMs)
        loop_->advance(kQueueStepMs);
}

void HostSession::recordVerdicts() {
    const std::string junkName = library_->settings.junkfolderName;
    for (size_t i = 0; i < deliveredItems_.size(); ++i) {
        if (!deliveredItems_[i]) continue;
        deliveries_[i].verdict = verdictOf(*deliveredItems_[i], connect_->addin(), junkName);
        if (auto folder = deliveredItems_[i]->parentFolder()) deliveries_[i].folder = addin::getFolderPath(*folder);
    }
}

std::shared_ptr<sim::SimFolder> HostSession::deliveryFolder() {
    const std::string name = text::trim(options_.deliverTo);
    if (name.empty()) return nullptr;
    if (name[0] != '\\') {
        try {
            return findFolder(*client_, name);
        } catch (const Error&) {
        }
    }
    const std::string path = name[0] == '\\' ? name : "\\" + client_->inbox()->parentFolder()->Name() + "\\" + name;
    auto* addin = connect_->addin();
    auto folder = addin ? std::dynamic_pointer_cast<sim::SimFolder>(addin->folderAtPath(path, true)) : nullptr;
    if (!folder) throw Error(76, "tarnwick", "Cannot find or make the folder \"" + options_.deliverTo + "\".");
    return folder;
}

void HostSession::printNetwork(std::ostream& out) const {
    if (!ran_) return;
    const std::string& where = networkAddress_;
    if (!networkReached_) {
        out << "Network service: not checked in this run (" << where << ")\n";
    } else if (*networkReached_) {
        out << "Network service: reached at " << where << "\n";
    } else {
        out << "Network service: cannot be reached at " << where << "; the registry value \""
            << settings::kServiceHostValueName << "\" under HKEY_CURRENT_USER\\Software\\Orvenna points the add-in at "
            << "another host\n";
    }
}

void HostSession::printCounters(std::ostream& out) const {
    const int64_t checked = int64_t{library_->settings.processed} - countersAtStart_.processed;
    const int64_t caught = int64_t{library_->settings.caught} - countersAtStart_.caught;
    int64_t deliveredChecked = 0;
    for (const auto& d : deliveries_) deliveredChecked += d.verdict == "spam" || d.verdict == "legitimate";
    const int64_t waiting = std::max<int64_t>(0, checked - deliveredChecked);
    out << "Checked in this run: " << checked << " (" << checked - waiting << " delivered now, " << waiting
        << " already waiting unchecked), " << caught << " caught as spam\n";
    out << "Counters since the statistics were last reset: processed " << library_->settings.processed
        << ", caught " << library_->settings.caught << "\n";
}

std::string HostSession::logFileHostPath() const {
    return files_->hostPath(std::string(Profile::kLibraryFolder) + "\\report.txt").string();
}

void HostSession::printSummary(std::ostream& out) const {
    out << "Profile: " << profile_.root().string() << "\n";
    out << "Virtual time: " << startOfSession().toIsoText() << " to " << loop_->now().toIsoText() << "\n";
    out << "Explorers open at the end: " << client_->explorers()->Count() << "\n";
    out << "Message boxes shown: " << ui_->boxes.size() << "\n";
    if (!deliveries_.empty()) {
        printDeliveries(out, deliveries_);
        printCounters(out);
    }
    printNetwork(out);
    std::ifstream log(logFileHostPath(), std::ios::binary);
    size_t lines = 0;
    for (std::string line; std::getline(log, line);) ++lines;
    out << "Log: " << logFileHostPath() << " (" << lines << " lines)\n";
    out << "Registry saved to: " << profile_.registryFile().string() << "\n";
}

}  // namespace tw::host
