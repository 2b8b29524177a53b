// Wires the simulated platform to the add-in and runs one session of the mail client.
#include "host/HostSession.h"

#include <fstream>
#include <sstream>

#include "core/Text.h"

namespace tw::host {

namespace {
const char* const kAddinProgId = "OrvennaOutlookAddIn.Connect";
constexpr int kConnectAtStartup = 1;   // ext_cm_Startup
constexpr int kDisconnectByHost = 0;   // ext_dm_HostShutdown

OleDate startOfSession() { return OleDate::fromCivil({2026, 12, 8, 9, 0, 0}); }
}  // namespace

HostSession::HostSession(const Profile& profile, const RunOptions& options)
    : profile_(profile), options_(options), shell_(Profile::kUserName, Profile::kLibraryFolder),
      libraries_(options.librarySearchFolders) {
    if (std::filesystem::exists(profile_.registryFile())) registry_ = sim::SimRegistry::loadFromFile(profile_.registryFile());
    files_ = std::make_unique<sim::SimFileSystem>(profile_.root());
    loop_ = std::make_unique<sim::SimEventLoop>(startOfSession());
    ui_ = std::make_unique<sim::SimUserInterface>(*loop_);
    platform_ = std::make_unique<platform::Platform>(
        platform::Platform{registry_, *files_, shell_, *ui_, *loop_, libraries_});
    client_ = std::make_unique<sim::SimMailClient>(*loop_);
    client_->comAddIns()->addIns_.push_back(
        std::make_shared<sim::SimCOMAddIn>("Belcastra Tarnwick Outlook Add-In", kAddinProgId));
    library_ = std::make_unique<addin::AddinLibrary>(*platform_);
    connect_ = std::make_unique<addin::Connect>(*library_);
    files_->createFolders(Profile::kLibraryFolder);
}

HostSession::~HostSession() = default;

void HostSession::run() {
    auto explorer = client_->openExplorer();
    connect_->AddinInstance_OnConnection(client_->application(), kConnectAtStartup, kAddinProgId);
    loop_->advance(static_cast<int64_t>(options_.runSeconds) * 1000);
    client_->closeExplorer(explorer);
    connect_->AddinInstance_OnDisconnection(kDisconnectByHost);
    registry_.saveToFile(profile_.registryFile());
    ran_ = true;
}

std::string HostSession::logFileHostPath() const {
    return files_->hostPath(std::string(Profile::kLibraryFolder) + "\\report.txt").string();
}

void HostSession::printSummary(std::ostream& out) const {
    out << "Profile: " << profile_.root().string() << "\n";
    out << "Virtual time: " << startOfSession().toIsoText() << " to " << loop_->now().toIsoText() << "\n";
    out << "Explorers open at the end: " << client_->explorers()->Count() << "\n";
    out << "Message boxes shown: " << ui_->boxes.size() << "\n";
    std::ifstream log(logFileHostPath(), std::ios::binary);
    size_t lines = 0;
    for (std::string line; std::getline(log, line);) ++lines;
    out << "Log: " << logFileHostPath() << " (" << lines << " lines)\n";
    out << "Registry saved to: " << profile_.registryFile().string() << "\n";
}

}  // namespace tw::host
