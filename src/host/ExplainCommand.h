// The host's explain and why commands: one message scored by the add-in's engine as the filter scores
// it, or judged as the filter judges it, and the reasons printed for the user.
#pragma once

#include <ostream>

#include "host/CommandRequests.h"
#include "host/HostSession.h"

namespace tw::host {

/// Starts the add-in, scores the selected message through the filter's own scoring and prints the
/// score, the threshold in force, the verdict and the strongest clues; says first when the sender
/// lists decide the message whatever its score. Returns 0, or 1 when the add-in or its engine did
/// not start or the engine could not score (`err` says why). Raises tw::Error for a folder or
/// number the profile has not.
int runExplainCommand(HostSession& session, const MessageSelection& selection, std::ostream& out, std::ostream& err);

/// Starts the add-in, judges the selected message as the filter does (without moving it) and prints
/// the decision and its reasons in plain words: the list and entry that decided, or the score, the
/// threshold and what weighed most. Returns 0, or 1 when the add-in or its engine did not start.
int runWhyCommand(HostSession& session, const MessageSelection& selection, std::ostream& out, std::ostream& err);

}  // namespace tw::host
