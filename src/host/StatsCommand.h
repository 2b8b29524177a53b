// The host's stats command: the filter's counters, the mistakes the user corrected, their rates and
// a text chart of the last twelve weeks, read from the profile's registry.
#pragma once

#include <ostream>
#include <string>

#include "core/OleDate.h"
#include "host/HostSession.h"
#include "settings/Settings.h"

namespace tw::host {

/// The report for the record as it stands at `now`: the processed and caught counters, the
/// mistakes of the twelve weeks ending with the week of `now`, the rates over those weeks (false
/// positives per thousand checked, the share of spam missed) and one bar each for caught, missed
/// and false positives per week, oldest week first.
std::string statisticsReport(const settings::Settings& record, OleDate now);

/// Prints the report for the session's registry at the session clock's time. Changes nothing.
int runStatsCommand(HostSession& session, std::ostream& out);

}  // namespace tw::host
