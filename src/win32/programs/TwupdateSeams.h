// twupdate's requests through the fetch library and its start of the installer, shared by the program and its Wine test.
#pragma once

#include <windows.h>

#include <string>

#include "fetchapi/tarnfetch_api.h"
#include "net/CurlRequest.h"
#include "net/FetchLibrary.h"
#include "twupdate/Updater.h"
#include "win32/Win32Shell.h"

namespace tw::win32 {

/// GET requests through the library with the user's proxy ("host:port") and its credentials; the
/// library and the texts must outlive every request, which may run on a thread given up on.
inline twupdate::Fetch twupdateFetch(net::FetchLibrary& library, std::string proxy, std::string credentials) {
    return [&library, proxy, credentials](const std::string& url, int32_t connect, int32_t total, char* buffer,
                                          int32_t size) -> int32_t {
        try {
            return library.tw_sendGetRequest(url, connect, total, buffer, size, net::clientName(), proxy, credentials);
        } catch (...) {
            return TF_INTERNAL_ERROR;  // no fetch library beside the program
        }
    };
}

/// Hands the package to the Windows Installer.
inline twupdate::Launcher msiexecLauncher(Win32Shell& shell) {
    return [&shell](const std::string& package) {
        try {
            shell.startProgram("msiexec.exe /i \"" + package + "\"", SW_SHOWNORMAL);
            return true;
        } catch (...) {
            return false;
        }
    };
}

}  // namespace tw::win32
