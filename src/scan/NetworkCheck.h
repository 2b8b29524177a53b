// Whether the network service answers, asked before a message is checked while the service is in use.
#pragma once

namespace tw::addin {
class OrvennaOutAddIn;
}

namespace tw::scan {

/// The queue's one question to the network check; the service counts as reachable until the
/// connectivity check exists.
bool networkServiceReachable(addin::OrvennaOutAddIn& addin);

}  // namespace tw::scan
