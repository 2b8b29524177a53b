// New Inbox mail handed to the Inbox queue.
#include "scan/NewMail.h"

#include "classify/IncomingFilter.h"
#include "scan/MsgQueue.h"
#include "scan/ScanHost.h"

namespace tw::scan {

void myOlItems_ItemAdd(ScanHost& host, const std::shared_ptr<outlook::Item>& item) {
    if (!classify::filteringEnabled(host.settings())) return;
    try {
        // Held here so that teardown during the check cannot release the queue under it.
        std::shared_ptr<MsgQueue> queue = host.inboxQueue();
        host.log().LogErrorMessage("itemAdd got message " + item->Subject());
        if (item->Class() == outlook::olMail) {
            host.setLastItemAdd(host.platform().clock.now());
            if (queue) queue->ProcessMsg(item);
        }
        if (queue) queue->setEnabled(true);
    } catch (...) {
        host.log().logError("ItemAdd");
    }
}

}  // namespace tw::scan
