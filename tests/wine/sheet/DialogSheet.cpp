// The dialog sheet: starts the add-in in the stand-in mail client over the real Windows user
// interface, opens every window it has and photographs each into the folder given.
// Usage: dialog_sheet.exe OUTPUT-FOLDER   (scripts/dialog-sheet.sh runs it under Wine and Xvfb)
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <memory>
#include <string>

#include "addin/Connect.h"
#include "sheet/Album.h"
#include "sheet/Camera.h"
#include "sheet/Scenes.h"
#include "sheet/SheetWorld.h"
#include "standin/StandInClient.h"
#include "wine/SafeMailInstall.h"
#include "win32/TextEncoding.h"
#include "win32/Win32Clock.h"
#include "win32/Win32FileSystem.h"
#include "win32/Win32LibraryLoader.h"
#include "win32/Win32Registry.h"
#include "win32/Win32Shell.h"
#include "win32/Win32UserInterface.h"
#include "win32/outlook/ComApplication.h"
#include "win32/safemail/ComSafeMail.h"

namespace {

using namespace tw;

/// The tail of the add-in's log, for a start-up that went wrong.
void printLogTail() {
    win32::Win32Shell shell;
    win32::Win32FileSystem files;
    const std::string path = shell.libraryFolder() + "\\report.txt";
    if (!files.fileExists(path)) return;
    const std::string log = files.readAll(path);
    printf("sheet: the end of the add-in's log:\n%s\n", log.substr(log.size() > 3000 ? log.size() - 3000 : 0).c_str());
}

int takeSheetInto(const std::wstring& folder) {
    CreateDirectoryW(folder.c_str(), nullptr);
    sheet::Album album(folder);
    if (!album.ready()) {
        printf("sheet: cannot write into %s\n", win32::toUtf8(folder).c_str());
        return 2;
    }
    std::string why;
    if (!sheet::prepareMachine(why)) {
        printf("sheet: %s\n", why.c_str());
        return 2;
    }
    // The client first: it enters the apartment and shares its MAPI session; then the safe mail
    // library the add-in reads messages through is installed, as on a user's machine.
    standin::StandInClient client;
    if (FAILED(winetest::installSafeMailLibrary(true))) {
        printf("sheet: cannot register tarnredemption.dll\n");
        return 2;
    }
    sheet::fillClient(client);

    win32::Win32Registry registry;
    win32::Win32FileSystem files;
    win32::Win32Shell shell;
    win32::Win32UserInterface screen;
    win32::Win32Clock clock;
    win32::Win32LibraryLoader libraries;
    win32::ComSafeMail safeMail;
    sheet::Camera camera(screen, album);
    platform::Platform ports{registry, files, shell, camera, clock, libraries, safeMail};
    addin::AddinLibrary library(ports);
    addin::Connect connect(library);

    const int explorer = client.openExplorer(sheet::kInbox);
    connect.AddinInstance_OnConnection(
        std::make_shared<win32::outlook::ComApplication>(win32::ComPtr<IDispatch>::share(client.application())),
        win32::ext_cm_Startup, "OrvennaOutlookAddIn.Connect");
    auto* addin = connect.addin();
    if (addin == nullptr || addin->senders() == nullptr) {
        printf("sheet: the add-in did not start\n");
        printLogTail();
        return 2;
    }
    sheet::fillAddin(*addin);
    sheet::takeSheet(camera, *addin);
    sheet::whyWindows(camera, *addin);
    sheet::updateWindows(camera, win32::toUtf8(folder) + "\\update-download");

    connect.AddinInstance_OnDisconnection(win32::ext_dm_HostShutdown);
    client.closeExplorer(explorer);
    winetest::installSafeMailLibrary(false);
    printf("sheet: %d pictures, %d problems; the list is sheet.txt\n", album.pictures(), album.problems());
    return album.pictures() > 0 ? 0 : 1;
}

}  // namespace

int main() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr || count != 2) {
        printf("usage: dialog_sheet.exe OUTPUT-FOLDER\n");
        return 2;
    }
    const std::wstring folder = arguments[1];
    LocalFree(arguments);
    try {
        return takeSheetInto(folder);
    } catch (const std::exception& error) {
        printf("sheet: stopped: %s\n", error.what());
    } catch (...) {
        printf("sheet: stopped by an unknown error\n");
    }
    return 2;
}
