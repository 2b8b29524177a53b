// The queue's question, answered by the connectivity check the add-in provides.
#include "scan/NetworkCheck.h"

namespace tw::scan {

bool networkServiceReachable(NetworkCheck& check) { return check.TWPingUI(); }

}  // namespace tw::scan
