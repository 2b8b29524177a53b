// Folders of the profile's mail store by name, the numbered listing of one, and messages chosen by number.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "host/CommandRequests.h"
#include "host/HostSession.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "scan/ProcessedCache.h"
#include "sim/SimMailClient.h"

namespace tw::host {

/// A folder by its path ("\Personal Folders\Inbox") or by its name anywhere in the stores, without
/// regard to case; the first in folder order when several share the name. Raises tw::Error naming
/// the folders there are when none matches.
std::shared_ptr<sim::SimFolder> findFolder(sim::SimMailClient& client, const std::string& nameOrPath);

/// The folder's items in the order the listing numbers them.
std::vector<std::shared_ptr<sim::SimItem>> listedItems(sim::SimFolder& folder);

/// The messages a selection names, in its order; raises tw::Error for a number the folder has not.
std::vector<std::shared_ptr<sim::SimItem>> selectedItems(sim::SimMailClient& client, const MessageSelection& selection);

/// The sender as the listing shows it: the address, else the name.
std::string senderOf(sim::SimItem& item);

/// What the add-in recorded of the messages it checked, as the profile holds it between runs: the
/// marker property in a message, or the processed cache file of the folder's queue in the data
/// folder ("tarnwickmpc.txt" for the Inbox, the folder's entry identifier for another folder).
class CheckedRecord {
public:
    /// Finds the data folder as the add-in does; without one only markers are seen.
    CheckedRecord(platform::Shell& shell, platform::Registry& registry, platform::FileSystem& files);
    /// "marked", "cached", or "-" when the add-in has no record of checking the message.
    std::string stateOf(sim::SimMailClient& client, sim::SimFolder& folder, sim::SimItem& item);

private:
    platform::FileSystem& files_;
    std::string dataFolder_;
    std::string loadedFolderId_;
    scan::ProcessedCache cache_;
};

/// Lists the folder's messages, numbered, with read state, date, checked state, sender and subject.
void showFolder(sim::SimMailClient& client, CheckedRecord& checked, const std::string& nameOrPath, std::ostream& out);
/// The same over a session's client and profile.
void showFolder(HostSession& session, const std::string& nameOrPath, std::ostream& out);

}  // namespace tw::host
