// The start-up check for a newer release: offer it, or else start the rule updater.
#pragma once

#include <cstdint>

#include "net/FetchLibrary.h"
#include "net/NetContext.h"

namespace tw::net {

/// The rule updater beside the add-in, started when the add-in is up to date.
inline constexpr const char* kRuleUpdaterFile = "twupdate.exe";

/// Short: the check runs on the mail client's window thread at start-up.
inline constexpr int32_t kReleaseConnectTimeoutSeconds = 5;
inline constexpr int32_t kReleaseTimeoutSeconds = 10;
/// The release file is a line or two.
inline constexpr int32_t kReleaseBufferSize = 100;

/// Fetches the release file; a newer release than this one is offered in frmNewRelease unless the
/// user chose to ignore it, otherwise the rule updater is started. A failed request, or a file
/// without a readable version, does nothing. Errors are logged as "CheckForNewRelease".
void CheckForNewRelease(NetContext& context, FetchLibrary& fetch);

}  // namespace tw::net
