// The connectivity check asked before a message is scored while the network service is in use.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/OleDate.h"
#include "net/FetchLibrary.h"
#include "net/NetContext.h"

namespace tw::net {

class frmConnect;

/// True when `answer` is the service's ping page (kPingPageText, perhaps with a line end), and
/// nothing else: a captive portal's page answers 200 too.
bool isPingAnswer(const std::string& answer);

/// One per connection of the add-in: a success is remembered until the next connection, a failure
/// is retried at most every kRetrySeconds, and the user is warned once. The warning does not wait
/// for its OK: the check runs inside the client's start-up and before a new message is checked,
/// and neither may stop until someone answers; the warning stays open beside the client.
class NetworkPing {
public:
    static constexpr int64_t kRetrySeconds = 10;
    /// Short: the check runs on the mail client's window thread.
    static constexpr int32_t kConnectTimeoutSeconds = 3;
    static constexpr int32_t kTimeoutSeconds = 5;

    NetworkPing(NetContext context, FetchLibrary& fetch);
    /// Closes a warning still open.
    ~NetworkPing();
    NetworkPing(const NetworkPing&) = delete;
    NetworkPing& operator=(const NetworkPing&) = delete;

    /// True when the network service may be used now.
    bool TWPingUI();

    bool mustCheck() const { return mustCheck_; }
    bool mayWarn() const { return mayWarn_; }
    /// Whether the last request of this connection reached the service; nothing before the first.
    std::optional<bool> lastResult() const { return lastResult_; }

private:
    bool request();
    void warn();

    NetContext context_;
    FetchLibrary& fetch_;
    bool mustCheck_ = true;
    bool mayWarn_ = true;
    bool requestedBefore_ = false;
    OleDate lastCheck_;
    std::optional<bool> lastResult_;
    std::unique_ptr<frmConnect> warning_;
};

}  // namespace tw::net
