// The learning scan: the add-in learns the user's correspondents from mail already in the store,
// once per profile at start-up, from Sent Items and from the read mail of the Inbox.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/Outlook.h"

namespace tw::scan {

class ScanHost;
class MsgQueue;

/// Longest a learning pass over one folder runs, by the add-in's clock.
inline constexpr int32_t kLearningScanSeconds = 10;

/// Registry values under the settings key: "migrated" = 2 once the start-up learning has been
/// done, and "learningscan" = 1 once this build's learning scan itself has run (see learningScanDue).
inline constexpr const char* kMigratedValue = "migrated";
inline constexpr const char* kLearningScanValue = "learningscan";
inline constexpr int32_t kMigrationDone = 2;

/// Learns the addresses of one folder's mail, item by item, for at most 10 seconds. With `sent`,
/// every recipient of each message is one the user writes to, and the message trains as the
/// user's own mail; a report mail to the network service does neither. Without `sent`, each
/// sender is learnt. The addresses then join the list of those the user writes to. Traps its
/// errors ("ScanMessagesError"); what was learnt before an error is kept.
void ScanMessages(ScanHost& addin, const std::shared_ptr<outlook::Items>& items, bool sent);

/// Whether start-up still owes this profile its learning scan.
bool learningScanDue(ScanHost& addin);

/// The learning scan at start-up, when due: Sent Items, then the read mail of the Inbox through
/// the Inbox queue; afterwards the profile is marked as done. While filtering is off, or while the
/// queue is busy, it waits for a later start.
void learnCorrespondentsOnce(ScanHost& addin, MsgQueue& inboxQueue);

}  // namespace tw::scan
