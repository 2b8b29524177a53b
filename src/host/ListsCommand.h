// The host's lists command: the sender lists shown and changed through the add-in's own store, as
// the options dialog changes them.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "host/HostSession.h"

namespace tw::host {

struct ListsRequest {
    enum class Action { show, add, remove, edit };
    enum class List { approved, blocked, ignored, myAddresses, mailingLists };
    Action action = Action::show;
    List list = List::approved;
    /// The entries to add or remove; for edit the old entry, then the new one.
    std::vector<std::string> values;
};

/// Reads "show|add|remove|edit LIST [VALUE...]"; raises tw::Error saying what is wrong.
ListsRequest parseListsRequest(const std::string& action, const std::string& list,
                               const std::vector<std::string>& values);

/// Starts the add-in, shows or changes the list through its Senders store (adding an approved
/// sender takes it off the blocked list, and the other way round), shuts down and returns the
/// exit status: 1 when an entry to remove or edit is not listed or the add-in did not start.
int runListsCommand(HostSession& session, const ListsRequest& request, std::ostream& out, std::ostream& err);

}  // namespace tw::host
