// The host's autoscan command: the folders the add-in's auto-scan watches, added, removed and listed.
#pragma once

#include <ostream>
#include <string>

#include "host/CommandRequests.h"
#include "host/HostSession.h"

namespace tw::host {

/// Starts the add-in, changes or lists the watched folders through its auto-scan (as the options
/// dialog does), shuts down (which saves the list) and returns the exit status: 1 when the folder
/// does not exist, is not watched (remove) or the add-in did not start.
int runAutoScanCommand(HostSession& session, const AutoScanRequest& request, std::ostream& out, std::ostream& err);

}  // namespace tw::host
