// The Inbox queue as start-up builds it.
#include "scan/InboxQueueStartup.h"

#include "scan/MsgQueue.h"
#include "scan/ScanHost.h"

namespace tw::scan {

std::shared_ptr<MsgQueue> startInboxQueue(ScanHost& addin, outlook::Folder& inbox) {
    auto queue = std::make_shared<MsgQueue>(addin);
    queue->setUseUserProperties(addin.settings().useuserprops);
    queue->initialize(true);
    queue->createTimer();
    queue->setItemsToCheck(inbox.Items(), inbox.StoreID());
    return queue;
}

}  // namespace tw::scan
