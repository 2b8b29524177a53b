// The host's lists command: the sender lists shown and changed through the add-in's own store, as
// the options dialog changes them.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "host/CommandRequests.h"
#include "host/HostSession.h"

namespace tw::host {

/// Starts the add-in, shows or changes the list through its Senders store (adding an approved
/// sender takes it off the blocked list, and the other way round), shuts down and returns the
/// exit status: 1 when an entry to remove or edit is not listed or the add-in did not start.
int runListsCommand(HostSession& session, const ListsRequest& request, std::ostream& out, std::ostream& err);

}  // namespace tw::host
