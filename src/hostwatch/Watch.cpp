// The monitor's arguments and its wait loop.
#include "hostwatch/Watch.h"

#include <charconv>

#include "core/Text.h"

namespace tw::hostwatch {

namespace {

bool readNumber(const std::string& text, uint32_t& out) {
    const char* end = text.data() + text.size();
    auto [at, error] = std::from_chars(text.data(), end, out);
    return error == std::errc() && at == end && !text.empty();
}

}  // namespace

std::optional<Arguments> parseArguments(const std::vector<std::string>& arguments) {
    Arguments parsed;
    bool havePid = false;
    for (size_t i = 0; i + 1 < arguments.size(); i += 2) {
        const std::string& name = arguments[i];
        const std::string& value = arguments[i + 1];
        if (text::iequals(name, "/n")) {
            parsed.progId = value;
        } else if (text::iequals(name, "/p")) {
            if (!readNumber(value, parsed.processId)) return std::nullopt;
            havePid = true;
        } else if (text::iequals(name, "/t")) {
            if (!readNumber(value, parsed.threadId)) return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    if (arguments.size() % 2 != 0 || parsed.progId.empty() || !havePid || parsed.processId == 0) return std::nullopt;
    return parsed;
}

Outcome watch(Client& client, const std::string& progId, int pollMilliseconds) {
    int attempts = 0;
    while (!client.waitForEnd(pollMilliseconds)) {
        if (attempts >= kConnectAttempts || !client.hasExplorer()) continue;
        ++attempts;
        if (client.reconnect(progId)) return Outcome::Connected;
    }
    return Outcome::ClientEnded;
}

}  // namespace tw::hostwatch
