// Whether the network service answers, asked before a message is checked while the service is in use.
#pragma once

namespace tw::scan {

class ScanHost;

/// The queue's one question to the network check; the service counts as reachable until the
/// connectivity check exists.
bool networkServiceReachable(ScanHost& addin);

}  // namespace tw::scan
