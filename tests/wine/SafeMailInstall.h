// Installing the safe mail library from beside the running program, as the add-in's installer does.
#pragma once

#include <windows.h>

#include <string>

namespace tw::winetest {

/// tarnredemption.dll in the running program's folder.
inline std::wstring safeMailLibraryPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1) + L"tarnredemption.dll";
}

/// Calls the library's DllRegisterServer (install) or DllUnregisterServer; its answer.
inline HRESULT installSafeMailLibrary(bool install) {
    HMODULE module = LoadLibraryW(safeMailLibraryPath().c_str());
    if (!module) return HRESULT_FROM_WIN32(GetLastError());
    using Entry = HRESULT(STDAPICALLTYPE*)();
    auto entry = reinterpret_cast<Entry>(
        reinterpret_cast<void*>(GetProcAddress(module, install ? "DllRegisterServer" : "DllUnregisterServer")));
    const HRESULT hr = entry ? entry() : E_NOINTERFACE;
    FreeLibrary(module);
    return hr;
}

}  // namespace tw::winetest
