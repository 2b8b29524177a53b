// Start-up of the Inbox message queue.
#pragma once

#include <memory>

#include "platform/Outlook.h"


namespace tw::scan {

class ScanHost;

class MsgQueue;

/// Builds the Inbox queue (mode from the useuserprops setting, its timer, its saved state) and hands
/// it the Inbox's items. Raises what the mail client raises; start-up logs it. The learning at
/// start-up (learnCorrespondentsOnce) follows once the add-in holds the queue, so that new mail
/// arriving while it runs reaches the queue.
std::shared_ptr<MsgQueue> startInboxQueue(ScanHost& addin, outlook::Folder& inbox);

}  // namespace tw::scan
