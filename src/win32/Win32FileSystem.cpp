// File-system port over the Win32 file functions; paths are Windows paths in UTF-8.
#include "win32/Win32FileSystem.h"

#include <windows.h>

#include "core/Error.h"
#include "win32/TextEncoding.h"
#include "win32/Win32Error.h"

namespace tw::win32 {
namespace {

constexpr const char* kSource = "Win32FileSystem";
// Seconds from 1 January 1601, where file times count from, to 1 January 1970.
constexpr int64_t kFileTimeToUnixSeconds = 11644473600LL;

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() {
        if (valid()) CloseHandle(handle_);
    }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE get() const { return handle_; }
    /// Closes now, so a failing close (a late write error) is reported rather than lost.
    void close(const std::string& path) {
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        if (!CloseHandle(handle)) raiseLastError(kSource, "Cannot close " + path);
    }

private:
    HANDLE handle_;
};

DWORD attributesOf(const std::string& path) { return GetFileAttributesW(toWide(path).c_str()); }

WIN32_FILE_ATTRIBUTE_DATA attributeData(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(toWide(path).c_str(), GetFileExInfoStandard, &data)) {
        raiseLastError(kSource, "Cannot read the attributes of " + path);
    }
    return data;
}

void writeAll(HANDLE file, const std::string& bytes, const std::string& path) {
    size_t written = 0;
    while (written < bytes.size()) {
        const size_t remaining = bytes.size() - written;
        const DWORD chunk = remaining > 0x10000000u ? 0x10000000u : static_cast<DWORD>(remaining);
        DWORD done = 0;
        if (!WriteFile(file, bytes.data() + written, chunk, &done, nullptr)) raiseLastError(kSource, "Cannot write " + path);
        written += done;
    }
}

/// Renames a complete temporary file over its target in one step, and returns only once the
/// rename is on disk.
void putInPlace(const std::wstring& temporary, const std::string& path) {
    if (!MoveFileExW(temporary.c_str(), toWide(path).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        raiseLastError(kSource, "Cannot put " + toUtf8(temporary) + " in place of " + path);
    }
}

bool isSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

/// Where the folders that may need creating begin: after "C:\" or "\\server\share\".
size_t firstCreatableLevel(const std::wstring& path) {
    if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
        size_t separators = 0;
        for (size_t i = 2; i < path.size(); ++i) {
            if (isSeparator(path[i]) && ++separators == 2) return i + 1;
        }
        return path.size();
    }
    if (path.size() >= 2 && path[1] == L':') return path.size() > 2 && isSeparator(path[2]) ? 3 : 2;
    return isSeparator(path.empty() ? L'x' : path[0]) ? 1 : 0;
}

void createOneFolder(const std::wstring& folder) {
    if (CreateDirectoryW(folder.c_str(), nullptr)) return;
    const DWORD error = GetLastError();
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return;
    raiseWin32Error(error, kSource, "Cannot create folder " + toUtf8(folder));
}

}  // namespace

bool Win32FileSystem::fileExists(const std::string& path) {
    const DWORD attributes = attributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32FileSystem::folderExists(const std::string& path) {
    const DWORD attributes = attributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

uint64_t Win32FileSystem::fileSize(const std::string& path) {
    const WIN32_FILE_ATTRIBUTE_DATA data = attributeData(path);
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

int64_t Win32FileSystem::lastModified(const std::string& path) {
    const WIN32_FILE_ATTRIBUTE_DATA data = attributeData(path);
    const uint64_t ticks =
        (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    return static_cast<int64_t>(ticks / 10000000u) - kFileTimeToUnixSeconds;
}

std::string Win32FileSystem::readAll(const std::string& path) {
    FileHandle file(CreateFileW(toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) raiseLastError(kSource, "Cannot open " + path);
    std::string content;
    char buffer[65536];
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) raiseLastError(kSource, "Cannot read " + path);
        if (read == 0) break;
        content.append(buffer, read);
    }
    return content;
}

void Win32FileSystem::append(const std::string& path, const std::string& bytes) {
    FileHandle file(CreateFileW(toWide(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) raiseLastError(kSource, "Cannot open " + path + " for appending");
    writeAll(file.get(), bytes, path);
    file.close(path);
}

void Win32FileSystem::replaceContents(const std::string& path, const std::string& bytes) {
    const std::string temporary = path + ".tmp";
    const std::wstring wideTemporary = toWide(temporary);
    try {
        FileHandle file(CreateFileW(wideTemporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid()) raiseLastError(kSource, "Cannot create " + temporary);
        writeAll(file.get(), bytes, temporary);
        if (!FlushFileBuffers(file.get())) raiseLastError(kSource, "Cannot flush " + temporary);
        file.close(temporary);
        putInPlace(wideTemporary, path);
    } catch (...) {
        // The old file is untouched; only the half-written copy goes.
        DeleteFileW(wideTemporary.c_str());
        throw;
    }
}

void Win32FileSystem::removeFile(const std::string& path) {
    if (!DeleteFileW(toWide(path).c_str())) raiseLastError(kSource, "Cannot delete " + path);
}

void Win32FileSystem::renameFile(const std::string& from, const std::string& to) {
    if (!MoveFileW(toWide(from).c_str(), toWide(to).c_str())) raiseLastError(kSource, "Cannot rename " + from + " to " + to);
}

void Win32FileSystem::copyFile(const std::string& from, const std::string& to) {
    // Copied beside the target and renamed over it, so a copy cut short never stands in its place.
    const std::string temporary = to + ".tmp";
    const std::wstring wideTemporary = toWide(temporary);
    try {
        if (!CopyFileW(toWide(from).c_str(), wideTemporary.c_str(), FALSE))
            raiseLastError(kSource, "Cannot copy " + from + " to " + to);
        // A read-only copy cannot be opened to flush; the rename below still writes through.
        FileHandle file(CreateFileW(wideTemporary.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.valid()) {
            if (!FlushFileBuffers(file.get())) raiseLastError(kSource, "Cannot flush " + temporary);
            file.close(temporary);
        }
        putInPlace(wideTemporary, to);
    } catch (...) {
        DeleteFileW(wideTemporary.c_str());
        throw;
    }
}

void Win32FileSystem::createFolders(const std::string& path) {
    std::wstring wide = toWide(path);
    while (wide.size() > 1 && isSeparator(wide.back())) wide.pop_back();
    for (size_t i = firstCreatableLevel(wide); i <= wide.size(); ++i) {
        if (i == wide.size() || isSeparator(wide[i])) {
            if (i > 0 && !isSeparator(wide[i - 1])) createOneFolder(wide.substr(0, i));
        }
    }
}

std::vector<std::string> Win32FileSystem::listFiles(const std::string& folder) {
    std::wstring pattern = toWide(folder);
    if (!pattern.empty() && !isSeparator(pattern.back())) pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    std::vector<std::string> names;
    if (search == INVALID_HANDLE_VALUE) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND) return names;
        raiseLastError(kSource, "Cannot list " + folder);
    }
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.push_back(toUtf8(found.cFileName));
    } while (FindNextFileW(search, &found));
    const DWORD error = GetLastError();
    FindClose(search);
    if (error != ERROR_NO_MORE_FILES) raiseWin32Error(error, kSource, "Cannot list " + folder);
    return names;
}

}  // namespace tw::win32
