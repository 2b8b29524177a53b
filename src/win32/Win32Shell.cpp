// Shell and system port over the Win32 shell, process and version functions.
#include "win32/Win32Shell.h"

#include <windows.h>
// The headers below need the types of windows.h first.
#include <psapi.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <tlhelp32.h>

#include "core/Error.h"
#include "win32/TextEncoding.h"
#include "win32/ThisModule.h"
#include "win32/Win32Error.h"

namespace tw::win32 {
namespace {

constexpr const char* kSource = "Win32Shell";
constexpr uint32_t kWindows9xPlatform = 1;

/// Calls a W function that reports the length it needs until the buffer is large enough.
template <typename Call>
std::wstring growingBuffer(Call call, const std::string& what) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = call(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) raiseLastError(kSource, what);
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(length > buffer.size() ? length + 1 : buffer.size() * 2);
    }
}

HMODULE addInModule() {
    HMODULE module = moduleOfThisCode();
    if (!module) raiseLastError(kSource, "Cannot find the module of the add-in");
    return module;
}

std::wstring modulePath(HMODULE module) {
    // GetModuleFileName returns the buffer size, not the needed size, when it truncates.
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) raiseLastError(kSource, "Cannot read the module's file name");
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::vector<std::string> processesFromToolhelp() {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) raiseLastError(kSource, "Cannot list the running processes");
    std::vector<std::string> paths;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        paths.push_back(ansiToUtf8(entry.szExeFile));
    }
    CloseHandle(snapshot);
    return paths;
}

std::vector<DWORD> processIds() {
    // The call does not say how many processes there are, only how much of the buffer it filled:
    // a full buffer may mean more are missing, so grow until some room is left over.
    std::vector<DWORD> ids(4);
    for (;;) {
        const DWORD capacity = static_cast<DWORD>(ids.size() * sizeof(DWORD));
        DWORD returned = 0;
        if (!EnumProcesses(ids.data(), capacity, &returned)) raiseLastError(kSource, "Cannot list the running processes");
        if (returned < capacity) {
            ids.resize(returned / sizeof(DWORD));
            return ids;
        }
        ids.resize(ids.size() * 2);
    }
}

std::vector<std::string> processesFromPsapi() {
    std::vector<std::string> paths;
    for (const DWORD id : processIds()) {
        const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
        // System processes and those of other users cannot be opened; they are not the ones looked for.
        if (process == nullptr) continue;
        char path[MAX_PATH] = {};
        const DWORD length = GetModuleFileNameExA(process, nullptr, path, MAX_PATH);
        CloseHandle(process);
        if (length > 0) paths.push_back(ansiToUtf8(std::string_view(path, length)));
    }
    return paths;
}

}  // namespace

std::string Win32Shell::expandEnvironmentStrings(const std::string& text) {
    const std::wstring source = toWide(text);
    std::wstring buffer(source.size() + 256, L'\0');
    for (;;) {
        const DWORD needed = ExpandEnvironmentStringsW(source.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (needed == 0) raiseLastError(kSource, "Cannot expand " + text);
        if (needed <= buffer.size()) {
            buffer.resize(needed - 1);  // the count includes the terminator
            return toUtf8(buffer);
        }
        buffer.resize(needed);
    }
}

void Win32Shell::openWithShell(const std::string& target) {
    const HINSTANCE result = ShellExecuteW(nullptr, L"open", toWide(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    const auto code = reinterpret_cast<INT_PTR>(result);
    // Values up to 32 are error codes, the documented way this call reports failure.
    if (code <= 32) raiseWin32Error(code == 0 ? ERROR_OUTOFMEMORY : static_cast<uint32_t>(code), kSource, "Cannot open " + target);
}

void Win32Shell::shellExecute(const std::string& verb, const std::string& file, const std::string& parameters,
                              const std::string& directory, int showCommand) {
    const std::wstring wideVerb = toWide(verb), wideFile = toWide(file), wideParameters = toWide(parameters),
                       wideDirectory = toWide(directory);
    const HINSTANCE result = ShellExecuteW(nullptr, wideVerb.c_str(), wideFile.c_str(),
                                           parameters.empty() ? nullptr : wideParameters.c_str(),
                                           directory.empty() ? nullptr : wideDirectory.c_str(), showCommand);
    const auto code = reinterpret_cast<INT_PTR>(result);
    if (code <= 32) raiseWin32Error(code == 0 ? ERROR_OUTOFMEMORY : static_cast<uint32_t>(code), kSource, "Cannot run " + file);
}

void Win32Shell::startProgram(const std::string& commandLine, int windowStyle) {
    std::wstring mutableLine = toWide(commandLine);  // CreateProcessW may write into it
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(windowStyle);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        raiseLastError(kSource, "Cannot start " + commandLine);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

std::vector<std::string> Win32Shell::processExecutables() {
    return osVersion().platformId == kWindows9xPlatform ? processesFromToolhelp() : processesFromPsapi();
}

uint32_t Win32Shell::currentProcessId() { return GetCurrentProcessId(); }
uint32_t Win32Shell::currentThreadId() { return GetCurrentThreadId(); }

platform::OsVersion Win32Shell::osVersion() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info)) raiseLastError(kSource, "Cannot read the system version");
    return {info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber};
}

platform::FileVersion Win32Shell::browserVersion() {
    const HMODULE library = LoadLibraryA("shlwapi.dll");
    if (library == nullptr) raiseLastError(kSource, "Cannot load shlwapi.dll");
    const FARPROC entry = GetProcAddress(library, "DllGetVersion");
    if (entry == nullptr) {
        const DWORD error = GetLastError();
        FreeLibrary(library);
        raiseWin32Error(error, kSource, "shlwapi.dll has no DllGetVersion");
    }
    // Through void(*)() so the compiler accepts the cast between unrelated function types.
    const auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(reinterpret_cast<void (*)()>(entry));
    DLLVERSIONINFO info{};
    info.cbSize = sizeof info;
    const HRESULT result = getVersion(&info);
    FreeLibrary(library);
    if (FAILED(result)) throw Error(result, kSource, "DllGetVersion of shlwapi.dll failed");
    return {static_cast<uint16_t>(info.dwMajorVersion), static_cast<uint16_t>(info.dwMinorVersion),
            static_cast<uint16_t>(info.dwBuildNumber), 0};
}

platform::FileVersion Win32Shell::fileVersion(const std::string& path) {
    const std::wstring widePath = toWide(path);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(widePath.c_str(), &ignored);
    if (size == 0) raiseLastError(kSource, "No version information in " + path);
    std::vector<uint8_t> block(size);
    if (!GetFileVersionInfoW(widePath.c_str(), 0, size, block.data())) raiseLastError(kSource, "Cannot read the version of " + path);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) || fixed == nullptr ||
        fixedSize < sizeof(VS_FIXEDFILEINFO)) {
        throw Error(ERROR_RESOURCE_TYPE_NOT_FOUND, kSource, "No fixed version information in " + path);
    }
    return {HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
            LOWORD(fixed->dwFileVersionLS)};
}

std::string Win32Shell::systemDirectory() {
    return toUtf8(growingBuffer([](wchar_t* buffer, DWORD size) { return GetSystemDirectoryW(buffer, size); },
                                "Cannot read the system folder"));
}

std::string Win32Shell::libraryFolder() {
    const std::wstring path = modulePath(addInModule());
    const size_t slash = path.find_last_of(L"\\/");
    return toUtf8(slash == std::wstring::npos ? std::wstring() : path.substr(0, slash));
}

platform::FileVersion Win32Shell::libraryVersion() {
    const std::string path = toUtf8(modulePath(addInModule()));
    try {
        return fileVersion(path);
    } catch (const Error&) {
        return {1, 0, 0, 0};
    }
}

namespace {
/// The first notification record layout, the one every shell version accepts.
constexpr DWORD kNotifyIconRecordSize = 88;
/// What the mail client's main window is told after its new-mail icon went away.
constexpr UINT kNewMailIconRemoved = 0x407;

BOOL CALLBACK removeIconOfMailWindow(HWND window, LPARAM found) {
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpA(className, "rctrl_renwnd32") != 0) return TRUE;
    NOTIFYICONDATAA record = {};
    record.cbSize = kNotifyIconRecordSize;
    record.hWnd = window;
    record.uID = 0;
    if (!Shell_NotifyIconA(NIM_DELETE, &record)) return TRUE;
    SendMessageA(window, kNewMailIconRemoved, 0, 0);
    *reinterpret_cast<bool*>(found) = true;
    return FALSE;
}
}  // namespace

bool Win32Shell::removeNewMailNotifyIcon() {
    bool found = false;
    EnumWindows(removeIconOfMailWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

}  // namespace tw::win32
