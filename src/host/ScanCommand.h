// The host's scan command: the add-in's "Scan Folder..." entry pressed for one folder, its progress
// drawn in the terminal, the result window's figures printed, and "Scan Read" pressed when asked.
#pragma once

#include <ostream>
#include <string>

#include "host/CommandRequests.h"
#include "host/HostSession.h"

namespace tw::host {

/// How the progress is drawn: a bar redrawn in place on a terminal, else plain lines.
enum class ProgressStyle { bar, lines };

/// Starts the add-in, picks the folder in the scan-folder command's picker and runs it. Ctrl-C
/// cancels the scan as the progress window's Cancel does; the add-in then stops as usual, storing
/// its counters and processed cache. Returns 0, or 1 when the add-in refused the folder or could
/// not start (`err` says why). Raises tw::Error for a folder the profile has not.
int runScanCommand(HostSession& session, const ScanRequest& request, ProgressStyle style, std::ostream& out,
                   std::ostream& err);

/// What a SIGINT sets; the scan acts on it at its next yield. Tests set it to stand for Ctrl-C.
void requestScanCancel();

}  // namespace tw::host
