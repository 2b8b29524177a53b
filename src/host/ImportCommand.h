// The host's import-addresses command: the add-in's address-book import dialog, listed or run for
// the books named.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "host/CommandRequests.h"
#include "host/HostSession.h"

namespace tw::host {

/// Starts the add-in. Without books prints the importable address books, numbered (or the
/// dialog's message when there are none). With books opens the import dialog, selects them,
/// presses OK and prints the report and the approved senders' count. Returns 0, or 1 for a book
/// the profile does not have (nothing is imported then; `err` lists the books there are).
int runImportCommand(HostSession& session, const ImportRequest& request, std::ostream& out, std::ostream& err);

}  // namespace tw::host
