// What the add-in tests under Wine share: registering the DLL with regsvr32, a registry snapshot,
// the data folder with the engine's store, and messages read from the bundled mail files.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "standin/StandInClient.h"
#include "win32/Win32FileSystem.h"

namespace tw::winetest {

/// The stand-in client's inbox and the add-in's junk folder.
inline constexpr const char* kInbox = "\\Personal Folders\\Inbox";
inline constexpr const char* kJunk = "\\Personal Folders\\Tarnwick";

inline bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

/// The first item of that folder with that subject, as the client shows it.
std::optional<standin::ItemState> bySubject(standin::StandInClient& client, const std::string& path,
                                            const std::string& subject);

/// Registers the add-in afresh (unregistering what an earlier test left) and starts it as a first run:
/// no settings, no log, an empty data folder with the trained store. False when regsvr32 failed.
/// Answers the data folder through `dataFolder` when given.
bool registerForFirstRun(std::string* dataFolder = nullptr);

/// Runs regsvr32 silently on the add-in DLL beside the test program; answers its exit code.
int regsvr32(bool unregister);

/// Every key and value below the places registration writes to, as text, so two snapshots compare.
std::string registrationSnapshot();

/// The folder the add-in keeps its lists and the engine its store in, made and emptied, with the
/// trained store copied in.
std::string freshDataFolder();

/// A message file of the test data (an RFC 5322 file) as the stand-in client takes it.
standin::MailSpec mailFromFile(const std::string& fileName);

/// The sender the tests put on the blocked list, and a short message from them.
inline constexpr const char* kBlockedSender = "blocked@spammer.example";
standin::MailSpec blockedSenderMail();

/// The add-in's log beside the library; empty when there is none.
std::string addinLog();
void removeAddinLog();

/// Forgets the add-in's settings, so each test starts as a first run, with the network checks off.
void clearAddinSettings();

}  // namespace tw::winetest
