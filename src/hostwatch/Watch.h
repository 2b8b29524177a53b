// The monitor's work without the system: its arguments and the wait for a window before the add-in is connected.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tw::hostwatch {

/// "/n PROGID /p PID /t TID": the add-in to connect, the client process and its thread.
struct Arguments {
    std::string progId;
    uint32_t processId = 0, threadId = 0;
};

/// Nothing when the add-in or the process is missing or a number does not read; /t is optional.
std::optional<Arguments> parseArguments(const std::vector<std::string>& arguments);

/// The running mail client as the monitor sees it.
class Client {
public:
    virtual ~Client() = default;
    /// Waits up to that long without using the processor; true once the client process has ended.
    virtual bool waitForEnd(int milliseconds) = 0;
    /// True when the client can be reached and has a main window open.
    virtual bool hasExplorer() = 0;
    /// Switches the add-in off and on again; true when the client then reports it connected.
    virtual bool reconnect(const std::string& progId) = 0;
};

enum class Outcome { Connected, ClientEnded };

/// How often the client is looked at, and how often a failed connection is tried again before the
/// monitor only waits for the client to end (an add-in that cannot start is not restarted for ever).
inline constexpr int kPollMilliseconds = 500;
inline constexpr int kConnectAttempts = 3;

/// Waits until the client has a main window, then connects the add-in; ends when that succeeded or
/// the client ended.
Outcome watch(Client& client, const std::string& progId, int pollMilliseconds = kPollMilliseconds);

}  // namespace tw::hostwatch
