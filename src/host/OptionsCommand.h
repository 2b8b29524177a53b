// The host's options command: opens the add-in's options dialog and prints what it shows.
#pragma once

#include <ostream>

#include "host/HostSession.h"

namespace tw::host {

/// Starts the add-in, presses its options button, prints the dialog's tree (each check node with
/// its tick), the spam filter strength page and the junk destination, closes the dialog with
/// Cancel and shuts down. 1 when the add-in or the dialog did not come up.
int runOptionsCommand(HostSession& session, std::ostream& out, std::ostream& err);

}  // namespace tw::host
