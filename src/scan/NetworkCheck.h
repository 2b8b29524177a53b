// Whether the network service answers, asked before a message is checked while the service is in use.
#pragma once

namespace tw::scan {

/// The connectivity check as the queue sees it; the add-in object provides it.
class NetworkCheck {
public:
    virtual ~NetworkCheck() = default;
    /// True when the network service may be used now; false leaves the message for a later pass.
    virtual bool TWPingUI() = 0;
};

/// The queue's one question to the network check.
bool networkServiceReachable(NetworkCheck& check);

}  // namespace tw::scan
