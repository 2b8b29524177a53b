// The host's report command: reports chosen messages of a folder as the toolbar does and says where the report mail went.
#pragma once

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "host/CommandRequests.h"
#include "host/HostSession.h"

namespace tw::host {

/// Starts the add-in, selects the messages in the explorer (or opens the one message in a window of
/// its own and picks the entry of its menu, with inWindow), runs the report command of the kind
/// (the confirmation, when shown, answered Yes), shuts down and answers the files written to the
/// profile's outbox/ folder, which it also prints. Raises tw::Error for a folder or position that
/// does not exist.
std::vector<std::filesystem::path> reportMessages(HostSession& session, const ReportRequest& request,
                                                  std::ostream& out);

}  // namespace tw::host
