// Stands in for the monitor program: writes the command line it was started with beside itself.
// Started as "hostwatch_probe.exe /sleep N" it only lives N milliseconds, as a client process that ends.
#include <windows.h>

#include <cwchar>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::wstring line = GetCommandLineW();
    const size_t sleep = line.find(L"/sleep ");
    if (sleep != std::wstring::npos) {
        Sleep(static_cast<DWORD>(std::wcstoul(line.c_str() + sleep + 7, nullptr, 10)));
        return 0;
    }
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    folder.resize(folder.find_last_of(L'\\') + 1);
    HANDLE file = CreateFileW((folder + L"hostwatch-started.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(file);
    return 0;
}
