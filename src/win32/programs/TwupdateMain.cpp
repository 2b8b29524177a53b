// twupdate.exe: the release check starts it ("twupdate.exe 1") to fetch, check and install a newer release.
#include <windows.h>

#include <string>

#include "TarnwickVersion.h"
#include "net/CurlRequest.h"
#include "net/FetchLibrary.h"
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

    win32::Win32LibraryLoader loader;
    net::FetchLibrary library(loader, shell.libraryFolder() + "\\tarnfetch.dll");
    twupdate::UpdateSeams seams;
    seams.fetch = [&](const std::string& url, int32_t connect, int32_t total, char* buffer, int32_t size) -> int32_t {
        try {
            return library.tw_sendGetRequest(url, connect, total, buffer, size, net::clientName(), proxy, credentials);
        } catch (...) {
            return TF_INTERNAL_ERROR;  // no fetch library beside the program
        }
    };
    seams.launch = [&](const std::string& package) {
        try {
            shell.startProgram("msiexec.exe /i \"" + package + "\"", SW_SHOWNORMAL);
            return true;
        } catch (...) {
            return false;
        }
    };
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
