// What the add-in tests under Wine share: registering the DLL with regsvr32, a registry snapshot,
// the data folder with the engine's store, and messages read from the bundled mail files.
#pragma once

#include <string>
#include <vector>

#include "standin/StandInClient.h"
#include "win32/Win32FileSystem.h"

namespace tw::winetest {

/// Runs regsvr32 silently on the add-in DLL beside the test program; answers its exit code.
int regsvr32(bool unregister);

/// Every key and value below the places registration writes to, as text, so two snapshots compare.
std::string registrationSnapshot();

/// The folder the add-in keeps its lists and the engine its store in, made and emptied, with the
/// trained store copied in.
std::string freshDataFolder();

/// A message file of the test data (an RFC 5322 file) as the stand-in client takes it.
standin::MailSpec mailFromFile(const std::string& fileName);

/// The add-in's log beside the library; empty when there is none.
std::string addinLog();
void removeAddinLog();

/// Forgets the add-in's settings, so each test starts as a first run, with the network checks off.
void clearAddinSettings();

}  // namespace tw::winetest
