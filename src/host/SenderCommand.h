// The host's approve and block commands: messages selected in the explorer, the add-in's own
// toolbar button or menu entry pressed, the sender dialog answered, and an account of what changed.
#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "host/FolderListing.h"
#include "host/CommandRequests.h"
#include "host/HostSession.h"

namespace tw::host {

/// Asks the user the sender dialog's question; nothing when no one can be asked.
using AskUser = std::function<std::optional<bool>()>;

/// The caption of the message window's control a request presses: its toolbar's buttons for plain
/// approve and block, its menu's entries otherwise.
std::string windowCaptionFor(const SenderRequest& request);

/// Starts the add-in, selects the messages in the explorer (or opens the one message in a window of
/// its own, with inWindow), clicks the control and answers the
/// sender dialog if it appears (printing its texts and lists to `out`), shows the message boxes the
/// command raised, then tells what moved where and what the lists, threshold and training totals
/// became, and shuts the add-in down. Returns 0, or 1 when the dialog needed an answer nobody gave
/// (then nothing was done and `err` says so).
int runSenderCommand(HostSession& session, const SenderRequest& request, const AskUser& ask, std::ostream& out,
                     std::ostream& err);

}  // namespace tw::host
