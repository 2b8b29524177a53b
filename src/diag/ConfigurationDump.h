// The configuration facts written to the log with every error, and their shorter form for reports.
#pragma once

#include <string>

#include "platform/Shell.h"
#include "settings/Settings.h"

namespace tw::diag {

/// Facts owned by the add-in object, which is created after the log; the add-in hands them over
/// through a provider so the log never reaches into the add-in.
struct AddinFacts {
    platform::FileVersion addinVersion;
    std::string libraryFolder;
    std::string outlookVersion;
    bool isOutlook2k = false;
    bool isInternetMailMode = false;
    /// The sender lists' exclusive mode.
    bool exclusiveMode = false;
    int ownAddressCount = 0;
    /// The process-wide settings record; null before the add-in exists (defaults are written then).
    const settings::Settings* settings = nullptr;
};

/// The facts that can be known without the add-in: the library's own version and folder.
AddinFacts factsFromShell(platform::Shell& shell);

/// The Windows release as the log names it; "Failed" for an unknown platform, empty for an
/// unknown version of a known one.
std::string getWindowsVersionName(const platform::OsVersion& os);

/// "Internet Explorer major.minor.build" from the shell utility library; empty when unavailable.
std::string getBrowserVersion(platform::Shell& shell);

/// The multi-line dump written before every logged error, lines joined by CR LF.
std::string configurationDump(const AddinFacts& facts, platform::Shell& shell);

/// The short settings text that goes into network reports, lines joined by CR LF.
std::string settingsSummary(const AddinFacts& facts);

}  // namespace tw::diag
