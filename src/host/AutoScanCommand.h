// The host's autoscan command: the folders the add-in's auto-scan watches, added, removed and listed.
#pragma once

#include <ostream>
#include <string>

#include "host/HostSession.h"

namespace tw::host {

struct AutoScanRequest {
    enum class Action { list, add, remove };
    Action action = Action::list;
    /// A folder's name or path, for add and remove.
    std::string folder;
};

/// Reads "add FOLDER", "remove FOLDER" or "list"; raises tw::Error saying what is wrong.
AutoScanRequest parseAutoScanRequest(const std::string& action, const std::string& folder);

/// Starts the add-in, changes or lists the watched folders through its auto-scan (as the options
/// dialog does), shuts down (which saves the list) and returns the exit status: 1 when the folder
/// does not exist, is not watched (remove) or the add-in did not start.
int runAutoScanCommand(HostSession& session, const AutoScanRequest& request, std::ostream& out, std::ostream& err);

}  // namespace tw::host
