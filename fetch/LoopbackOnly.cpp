// Tells loopback addresses from all others, by the host part of a URL or a proxy's "host:port".
#include "LoopbackOnly.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace tarn::fetch {

bool loopbackOnlyRequested() {
    const char* value = std::getenv("TARNFETCH_LOOPBACK_ONLY");
    return value && *value && std::string(value) != "0";
}

bool isLoopbackAddress(const std::string& address) {
    std::string rest = address;
    if (size_t scheme = rest.find("://"); scheme != std::string::npos) rest = rest.substr(scheme + 3);
    rest = rest.substr(0, rest.find_first_of("/?#"));
    // User information would let "127.0.0.1@elsewhere" pass for this machine.
    if (rest.find('@') != std::string::npos) return false;
    std::string host;
    if (!rest.empty() && rest[0] == '[') {
        size_t close = rest.find(']');
        if (close == std::string::npos) return false;
        host = rest.substr(1, close - 1);
        rest = rest.substr(close + 1);
        if (!rest.empty() && rest[0] != ':') return false;
    } else {
        host = rest.substr(0, rest.find(':'));
    }
    std::transform(host.begin(), host.end(), host.begin(), [](unsigned char c) { return std::tolower(c); });
    return host == "127.0.0.1" || host == "localhost" || host == "::1";
}

}  // namespace tarn::fetch
