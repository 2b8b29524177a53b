// Library-loading port over LoadLibrary and GetProcAddress.
#include "win32/Win32LibraryLoader.h"

#include <windows.h>

#include "core/Error.h"
#include "win32/TextEncoding.h"
#include "win32/Win32Error.h"

namespace tw::win32 {
namespace {
constexpr const char* kSource = "Win32LibraryLoader";
}

void* Win32LibraryLoader::load(const std::string& fileName) {
    const HMODULE library = LoadLibraryA(utf8ToAnsi(fileName).c_str());
    if (library == nullptr) raiseLastError(kSource, "Cannot load " + fileName);
    return library;
}

void* Win32LibraryLoader::resolve(void* library, const std::string& functionName) {
    if (library == nullptr) throw Error(ERROR_INVALID_HANDLE, kSource, "No library to find " + functionName + " in");
    const FARPROC function = GetProcAddress(static_cast<HMODULE>(library), functionName.c_str());
    if (function == nullptr) raiseLastError(kSource, "Cannot find " + functionName);
    return reinterpret_cast<void*>(function);
}

}  // namespace tw::win32
