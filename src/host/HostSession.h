// One run of the simulated mail client with the add-in loaded, over a profile directory.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "addin/AddinLibrary.h"
#include "addin/Connect.h"
#include "host/CommandRequests.h"
#include "host/MailDelivery.h"
#include "host/Profile.h"
#include "platform/Platform.h"
#include "sim/SimEventLoop.h"
#include "sim/SimFileSystem.h"
#include "sim/SimLibraryLoader.h"
#include "sim/SimMailClient.h"
#include "sim/SimRegistry.h"
#include "sim/SimSafeMail.h"
#include "sim/SimShell.h"
#include "sim/SimUserInterface.h"

namespace tw::host {

class HostSession {
public:
    /// Loads the profile's registry; raises tw::Error (naming the line) when it is malformed.
    explicit HostSession(const Profile& profile, const RunOptions& options = {});
    ~HostSession();

    /// Starts the client with one explorer, connects the add-in, lets virtual time run, closes the
    /// explorer (which tears the add-in down), disconnects and saves the registry.
    void run();
    /// The first and last part of run: open the explorer and connect the add-in; then close the
    /// explorer, disconnect and save the registry. For commands that use the add-in in between.
    void startAddin();
    void stopAddin();
    /// The connected add-in, or null.
    addin::OrvennaOutAddIn* addin() { return connect_->addin(); }
    /// A short account of the run for the user.
    void printSummary(std::ostream& out) const;

    sim::SimMailClient& client() { return *client_; }
    sim::SimSafeMail& safeMail() { return safeMail_; }
    sim::SimRegistry& registry() { return registry_; }
    sim::SimFileSystem& files() { return *files_; }
    sim::SimShell& shell() { return shell_; }
    sim::SimUserInterface& ui() { return *ui_; }
    sim::SimEventLoop& loop() { return *loop_; }
    addin::AddinLibrary& library() { return *library_; }
    std::string logFileHostPath() const;
    const Profile& profile() const { return profile_; }

    const std::vector<DeliveryRecord>& deliveries() const { return deliveries_; }

private:
    void installRuleFiles();
    /// Whether the connectivity check reached the service, and the setting that names it.
    void printNetwork(std::ostream& out) const;
    /// What the add-in checked in this run (delivered now or already waiting) and its running counters.
    void printCounters(std::ostream& out) const;
    /// Delivers the incoming and named messages one by one, then lets the queue finish.
    void deliverMail();
    /// Where each delivered message ended and whether it was checked, at the end of the run.
    void recordVerdicts();
    /// The folder of --deliver-to, made at the top of the Inbox's store when there is none of that name.
    std::shared_ptr<sim::SimFolder> deliveryFolder();

    Profile profile_;
    RunOptions options_;
    sim::SimRegistry registry_;
    std::unique_ptr<sim::SimFileSystem> files_;
    sim::SimShell shell_;
    std::unique_ptr<sim::SimEventLoop> loop_;
    std::unique_ptr<sim::SimUserInterface> ui_;
    sim::SimLibraryLoader libraries_;
    sim::SimSafeMail safeMail_;
    std::unique_ptr<platform::Platform> platform_;
    std::unique_ptr<sim::SimMailClient> client_;
    std::unique_ptr<addin::AddinLibrary> library_;
    std::unique_ptr<addin::Connect> connect_;
    std::vector<DeliveryRecord> deliveries_;
    /// The statistics counters when the add-in had started, before it checked anything.
    struct Counters {
        int32_t processed = 0, caught = 0;
    } countersAtStart_;
    std::vector<std::shared_ptr<sim::SimItem>> deliveredItems_;
    std::shared_ptr<sim::SimExplorer> explorer_;
    bool ran_ = false;
    /// Whether the add-in's connectivity check reached the service in this run; nothing when it made no request.
    std::optional<bool> networkReached_;
    std::string networkAddress_;
};

}  // namespace tw::host
