// Dates and unique names for the mail the engine writes.
#pragma once

#include <string>

namespace tarn::engine {

/// The current time as an RFC 5322 date in UTC ("Tue, 03 Mar 2026 14:05:09 +0000").
std::string currentMailDate();
/// A name no other file written by this process has: milliseconds since the epoch and a counter.
std::string uniqueStamp();

}  // namespace tarn::engine
