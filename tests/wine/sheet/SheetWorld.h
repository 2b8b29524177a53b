// The make-believe user whose windows the sheet shows: settings, a mail store with folders,
// contacts and address books, and sender lists, counters and watched folders in the add-in.
#pragma once

#include <string>

#include "addin/OrvennaOutAddIn.h"
#include "standin/StandInClient.h"

namespace tw::sheet {

inline constexpr const char* kInbox = "\\Personal Folders\\Inbox";
/// Two Inbox messages the "Why?" window explains: one the approved senders decide, one the score.
inline constexpr const char* kListedSubject = "Minutes of Tuesday's meeting";
inline constexpr const char* kScoredSubject = "Your order of replica watches is waiting";
inline constexpr const char* kWatchedFolder = "\\Personal Folders\\Projects\\Customer Correspondence 2026";

/// A first run's settings, with the network service out of reach and its checks off, and every
/// progress line logged; the engine's trained store in the data folder. False when the folder
/// beside the program lacks the store.
bool prepareMachine(std::string& why);

/// Folders, contacts, address books and a few messages in the Inbox.
void fillClient(standin::StandInClient& client);

/// Sender lists, IP lists, blacklist servers, countries, counters and watched folders, as a user
/// who has had the add-in for a while has them.
void fillAddin(addin::OrvennaOutAddIn& addin);

}  // namespace tw::sheet
