// Start-up of the Inbox message queue, with the one-time migration of older installations.
#pragma once

#include <memory>

#include "platform/Outlook.h"


namespace tw::scan {

class ScanHost;

class MsgQueue;

/// Builds the Inbox queue (mode from the useuserprops setting, its timer, its saved state), runs
/// the migration unless the stored "migrated" is 2, and hands the queue the Inbox's items. Raises
/// what the mail client raises; start-up logs it.
std::shared_ptr<MsgQueue> startInboxQueue(ScanHost& addin, outlook::Folder& inbox);

}  // namespace tw::scan
