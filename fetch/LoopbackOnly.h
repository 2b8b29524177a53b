// The simulated platform's guard: when asked, the library talks to this machine only.
#pragma once

#include <string>

namespace tarn::fetch {

/// True when the environment variable TARNFETCH_LOOPBACK_ONLY is set to anything but "0" or "".
bool loopbackOnlyRequested();

/// True for an address ("http://host:port/path" or a bare "host:port") whose host is
/// 127.0.0.1, localhost or ::1.
bool isLoopbackAddress(const std::string& address);

}  // namespace tarn::fetch
