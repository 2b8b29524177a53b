// The Inbox queue as start-up builds it.
#include "scan/InboxQueueStartup.h"

#include "scan/MsgQueue.h"
#include "scan/ScanHost.h"

namespace tw::scan {

namespace {
constexpr int32_t kMigrationDone = 2;
constexpr int32_t kMigrationScanSeconds = 10;
}  // namespace

std::shared_ptr<MsgQueue> startInboxQueue(ScanHost& addin, outlook::Folder& inbox) {
    auto& s = addin.settings();
    auto queue = std::make_shared<MsgQueue>(addin);
    queue->setUseUserProperties(s.useuserprops);
    queue->initialize(true);
    queue->createTimer();
    auto items = inbox.Items();
    if (s.migrated != kMigrationDone) {
        // Learning from Sent Items joins here once the manual scan exists.
        queue->ProcessPreviousFromSenders(items, kMigrationScanSeconds);
        addin.settingsKey().writeNumber("migrated", kMigrationDone);
        s.migrated = kMigrationDone;
    }
    queue->setItemsToCheck(items, inbox.StoreID());
    return queue;
}

}  // namespace tw::scan
