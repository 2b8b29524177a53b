// File reads, durable writes and the checksum the stores use to detect damage.
#include "FileIo.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <system_error>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

#include "DurableRename.h"

namespace tarn::engine {

namespace fs = std::filesystem;

namespace {

WriteStageHook stageHook = nullptr;

// Paths arrive as 8-bit text in the system code page, which is what the narrow path constructor expects.
// Off Windows, a drive path ("C:\\data\\x") is found below the folder named by TARNENGINE_DRIVE_C,
// so a host that simulates a Windows user's disk can hand the engine the paths it hands everyone else.
fs::path toPath(const std::string& path) {
#if !defined(_WIN32)
    bool drivePath = path.size() >= 2 && path[1] == ':' &&
                     ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    if (drivePath) {
        char letter = static_cast<char>(path[0] & ~0x20);
        const char* root = std::getenv((std::string("TARNENGINE_DRIVE_") + letter).c_str());
        if (root && *root) {
            std::string rest = path.substr(2);
            for (char& c : rest)
                if (c == '\\') c = '/';
            while (!rest.empty() && rest.front() == '/') rest.erase(rest.begin());
            return fs::path(root) / rest;
        }
    }
#endif
    return fs::path(path);
}

bool flushToDisk(std::FILE* file) {
    if (std::fflush(file) != 0) return false;
#if defined(_WIN32)
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}

std::FILE* openFile(const fs::path& path, const char* mode) {
#if defined(_WIN32)
    std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(path.c_str(), wideMode.c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}

bool writeAll(std::FILE* file, std::string_view content) {
    return content.empty() || std::fwrite(content.data(), 1, content.size(), file) == content.size();
}

}  // namespace

std::optional<std::string> readWholeFile(const std::string& path) {
    std::FILE* file = openFile(toPath(path), "rb");
    if (!file) return std::nullopt;
    std::string content;
    std::array<char, 65536> chunk;
    size_t got;
    while ((got = std::fread(chunk.data(), 1, chunk.size(), file)) > 0) content.append(chunk.data(), got);
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) return std::nullopt;
    return content;
}

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

void setWriteStageHookForTesting(WriteStageHook hook) { stageHook = hook; }

bool replaceFileAtomically(const std::string& path, std::string_view content) {
    fs::path target = toPath(path);
    fs::path temporary = target;
    temporary += ".tmp";
    std::unique_ptr<std::FILE, FileCloser> file(openFile(temporary, "wb"));
    if (!file) return false;
    // Only a crash test stops between the halves; a throwing hook leaves the temporary file as a crash would.
    size_t firstPart = stageHook ? content.size() / 2 : content.size();
    bool ok = writeAll(file.get(), content.substr(0, firstPart));
    if (ok && stageHook) {
        stageHook(WriteStage::halfWritten, path);
        ok = writeAll(file.get(), content.substr(firstPart));
    }
    ok = ok && flushToDisk(file.get());
    ok = (std::fclose(file.release()) == 0) && ok;
    if (ok && stageHook) stageHook(WriteStage::beforeRename, path);
    if (ok && renameDurably(temporary, target, Replacing::allowed)) return true;
    std::error_code ec;
    fs::remove(temporary, ec);
    return false;
}

bool appendToFile(const std::string& path, std::string_view content) {
    std::FILE* file = openFile(toPath(path), "ab");
    if (!file) return false;
    bool ok = writeAll(file, content) && flushToDisk(file);
    return (std::fclose(file) == 0) && ok;
}

bool ensureDirectory(const std::string& path) {
    if (path.empty()) return false;
    std::error_code ec;
    fs::create_directories(toPath(path), ec);
    return fs::is_directory(toPath(path), ec);
}

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    return (toPath(folder) / toPath(name)).string();
}

int64_t fileSizeOf(const std::string& path) {
    std::error_code ec;
    auto size = fs::file_size(toPath(path), ec);
    return ec ? -1 : static_cast<int64_t>(size);
}

bool removeFile(const std::string& path) {
    std::error_code ec;
    return fs::remove(toPath(path), ec);
}

bool fileExists(const std::string& path) {
    std::error_code ec;
    return fs::exists(toPath(path), ec);
}

bool renameWithoutReplacing(const std::string& from, const std::string& to) {
    return renameDurably(toPath(from), toPath(to), Replacing::refused);
}

bool renameReplacing(const std::string& from, const std::string& to) {
    return renameDurably(toPath(from), toPath(to), Replacing::allowed);
}

uint32_t crc32(std::string_view bytes) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char b : bytes) crc = table[(crc ^ b) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

}  // namespace tarn::engine
