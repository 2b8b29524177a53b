// The host's options command: opens the add-in's options dialog and prints what it shows.
#pragma once

#include <ostream>
#include <string>

#include "host/HostSession.h"

namespace tw::host {

/// Starts the add-in, presses its options button, prints the dialog's tree (each check node with
/// its tick), the spam filter strength page and the junk destination, and with a node key that
/// node's page (its description and the controls it shows); closes the dialog with Cancel and
/// shuts down. 1 when the add-in or the dialog did not come up, or the tree has no such node.
int runOptionsCommand(HostSession& session, std::ostream& out, std::ostream& err, const std::string& page = {});

}  // namespace tw::host
