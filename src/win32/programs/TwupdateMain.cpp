// twupdate.exe: the release check starts it ("twupdate.exe 1") to fetch, check and install a newer release.
#include <windows.h>

#include <string>

#include "TarnwickVersion.h"
#include "net/CurlRequest.h"
#include "settings/RegistryAccess.h"
#include "settings/ServiceAddresses.h"
#include "settings/SettingsLoader.h"
#include "twupdate/UpdateSession.h"
#include "win32/TextEncoding.h"
#include "win32/Win32LibraryLoader.h"
#include "win32/Win32Registry.h"
#include "win32/Win32Shell.h"
#include "win32/Win32UserInterface.h"
#include "win32/programs/ProgramCommandLine.h"
#include "win32/programs/TwupdateSeams.h"

namespace {

using namespace tw;

std::string temporaryFolder() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
    std::string folder = length > 0 && length <= MAX_PATH ? win32::toUtf8(std::wstring_view(buffer, length)) : ".\\";
    return folder + "Tarnwick update";
}

// The folder of the release file the release check reads, where the manifest sits beside it.
std::string releaseFolderUrl(platform::Registry& registry) {
    std::string url = "http://" + settings::serviceAddresses(registry).releaseHost;
    while (!url.empty() && url.back() == '/') url.pop_back();
    return url;
}

int run() {
    win32::Win32Registry registry;
    win32::Win32Shell shell;
    win32::Win32UserInterface ui;
    settings::Settings record;
    settings::loadUserSettings(settings::SettingsKey(registry), record, nullptr, nullptr);
    const std::string proxy = net::proxyOf(record), credentials = net::proxyCredentialsOf(record);

    // Kept to the end of the process: a request given up on (stalled, cancelled) may still be in it.
    auto* loader = new win32::Win32LibraryLoader;
    auto* library = new net::FetchLibrary(*loader, shell.libraryFolder() + "\\tarnfetch.dll");
    twupdate::UpdateSeams seams;
    seams.fetch = win32::twupdateFetch(*library, proxy, credentials);
    seams.launch = win32::msiexecLauncher(shell);
    twupdate::Updater updater({releaseFolderUrl(registry), temporaryFolder(), TW_VERSION_TEXT}, seams);
    const auto result = twupdate::runUpdateSession(updater, ui);
    return twupdate::isRefusal(result.outcome) ? 1 : 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        // "1" is what the release check passes; anything else starts nothing.
        const auto arguments = tw::win32::programArguments();
        if (arguments.size() != 1 || arguments[0] != "1") return 2;
        return run();
    } catch (...) {
        return 3;
    }
}
