// Windows paths over a real directory tree, with Windows' case-blind lookup and its error numbers.
#include "sim/SimFileSystem.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <system_error>

#include "core/Error.h"
#include "core/Text.h"
#include "sim/DurableFile.h"

namespace fs = std::filesystem;

namespace tw::sim {

namespace {

constexpr const char* kSource = "SimFileSystem";

[[noreturn]] void fileNotFound(const std::string& path) { throw Error(53, kSource, "File not found: " + path); }
[[noreturn]] void pathNotFound(const std::string& path) { throw Error(76, kSource, "Path not found: " + path); }
[[noreturn]] void accessError(const std::string& path) { throw Error(75, kSource, "Path/File access error: " + path); }

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// The entry of `folder` whose name matches `name` without regard to case, if there is one.
fs::path caseBlindChild(const fs::path& folder, const std::string& name) {
    fs::path exact = folder / name;
    std::error_code ec;
    if (fs::exists(fs::symlink_status(exact, ec))) return exact;
    if (!fs::is_directory(folder, ec)) return exact;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (text::iequals(it->path().filename().string(), name)) return it->path();
    return exact;
}

void writeBytes(const fs::path& file, std::string_view bytes, std::ios::openmode mode, const std::string& windowsPath) {
    std::ofstream out(file, std::ios::binary | mode);
    if (!out) {
        std::error_code ec;
        if (!fs::is_directory(file.parent_path(), ec)) pathNotFound(windowsPath);
        accessError(windowsPath);
    }
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) accessError(windowsPath);
}

}  // namespace

SimFileSystem::SimFileSystem(fs::path root) : root_(fs::absolute(std::move(root)).lexically_normal()) {}

fs::path SimFileSystem::hostPath(const std::string& windowsPath) const {
    if (windowsPath.size() < 2 || !isLetter(windowsPath[0]) || windowsPath[1] != ':' ||
        (windowsPath.size() > 2 && windowsPath[2] != '\\' && windowsPath[2] != '/') ||
        windowsPath.find('\0') != std::string::npos)
        throw Error(75, kSource, "Not an absolute Windows path: " + windowsPath);

    std::string normal = windowsPath.substr(2);
    std::replace(normal.begin(), normal.end(), '/', '\\');
    std::vector<std::string> levels;
    for (auto& level : text::split(normal, "\\")) {
        if (level.empty() || level == ".") continue;
        if (level == "..") {
            if (levels.empty()) throw Error(75, kSource, "Path leaves its drive: " + windowsPath);
            levels.pop_back();
            continue;
        }
        levels.push_back(level);
    }

    fs::path host = root_ / ("drive_" + text::lower(windowsPath.substr(0, 1)));
    for (const auto& level : levels) host = caseBlindChild(host, level);
    return host;
}

void SimFileSystem::checkFault(const char* operation, const std::string& path) {
    if (faults_.trips(operation, {path})) throw Error(75, kSource, std::string("Simulated failure of ") + operation + " on " + path);
}

fs::path SimFileSystem::existingFile(const std::string& path) const {
    fs::path host = hostPath(path);
    std::error_code ec;
    if (fs::is_directory(host, ec)) accessError(path);
    if (!fs::is_regular_file(host, ec)) fileNotFound(path);
    return host;
}

bool SimFileSystem::fileExists(const std::string& path) {
    checkFault("fileExists", path);
    std::error_code ec;
    return fs::is_regular_file(hostPath(path), ec);
}

bool SimFileSystem::folderExists(const std::string& path) {
    checkFault("folderExists", path);
    std::error_code ec;
    return fs::is_directory(hostPath(path), ec);
}

uint64_t SimFileSystem::fileSize(const std::string& path) {
    checkFault("fileSize", path);
    std::error_code ec;
    uint64_t size = fs::file_size(existingFile(path), ec);
    if (ec) accessError(path);
    return size;
}

int64_t SimFileSystem::lastModified(const std::string& path) {
    checkFault("lastModified", path);
    std::error_code ec;
    auto written = fs::last_write_time(existingFile(path), ec);
    if (ec) accessError(path);
    auto system = std::chrono::file_clock::to_sys(written);
    return std::chrono::duration_cast<std::chrono::seconds>(system.time_since_epoch()).count();
}

std::string SimFileSystem::readAll(const std::string& path) {
    checkFault("readAll", path);
    std::ifstream in(existingFile(path), std::ios::binary);
    if (!in) accessError(path);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) accessError(path);
    return bytes;
}

void SimFileSystem::append(const std::string& path, const std::string& bytes) {
    checkFault("append", path);
    fs::path host = hostPath(path);
    std::error_code ec;
    if (fs::is_directory(host, ec)) accessError(path);
    writeBytes(host, bytes, std::ios::app, path);
}

void SimFileSystem::replaceContents(const std::string& path, const std::string& bytes) {
    fs::path host = hostPath(path);
    std::error_code ec;
    if (fs::is_directory(host, ec)) accessError(path);
    fs::path temporary = temporaryBeside(host);
    if (faults_.trips("replaceContents", {path})) {
        // Fail as a write cut short does: half the new bytes reach the temporary file, which is then
        // dropped, and the original is never touched.
        writeBytes(temporary, std::string_view(bytes).substr(0, bytes.size() / 2), std::ios::trunc, path);
        fs::remove(temporary, ec);
        throw Error(75, kSource, "Simulated failure of replaceContents on " + path);
    }
    // A crash is simulated by stopping at a stage and leaving the temporary file as it is.
    auto crashAt = [&](WriteStage stage) {
        const char* name = stage == WriteStage::halfWritten ? "replaceContents.write" : "replaceContents.rename";
        if (faults_.trips(name, {path})) throw Error(75, kSource, std::string("Simulated crash at ") + name + " on " + path);
    };
    try {
        writeFileDurably(host, temporary, bytes, crashAt);
    } catch (const fs::filesystem_error&) {
        if (!fs::is_directory(host.parent_path(), ec)) pathNotFound(path);
        accessError(path);
    }
}

void SimFileSystem::removeFile(const std::string& path) {
    checkFault("removeFile", path);
    std::error_code ec;
    if (!fs::remove(existingFile(path), ec) || ec) accessError(path);
}

void SimFileSystem::renameFile(const std::string& from, const std::string& to) {
    checkFault("renameFile", from);
    fs::path source = existingFile(from);
    fs::path target = hostPath(to);
    std::error_code ec;
    if (fs::exists(target, ec)) {
        if (!fs::equivalent(source, target, ec)) throw Error(58, kSource, "File already exists: " + to);
        // Only the case of the name changes: the case-blind lookup found the file itself.
        std::string leaf = to;
        std::replace(leaf.begin(), leaf.end(), '/', '\\');
        target = target.parent_path() / text::afterLastBackslash(leaf);
    }
    if (!fs::is_directory(target.parent_path(), ec)) pathNotFound(to);
    fs::rename(source, target, ec);
    if (ec) accessError(to);
}

void SimFileSystem::copyFile(const std::string& from, const std::string& to) {
    checkFault("copyFile", from);
    fs::path source = existingFile(from);
    fs::path target = hostPath(to);
    std::error_code ec;
    if (fs::is_directory(target, ec)) accessError(to);
    if (!fs::is_directory(target.parent_path(), ec)) pathNotFound(to);
    std::ifstream in(source, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in && !in.eof()) accessError(from);
    try {
        writeFileDurably(target, temporaryBeside(target), bytes);
    } catch (const fs::filesystem_error&) {
        accessError(to);
    }
}

void SimFileSystem::createFolders(const std::string& path) {
    checkFault("createFolders", path);
    fs::path host = hostPath(path);
    std::error_code ec;
    fs::create_directories(host, ec);
    if (ec || !fs::is_directory(host, ec)) accessError(path);
}

std::vector<std::string> SimFileSystem::listFiles(const std::string& folder) {
    checkFault("listFiles", folder);
    fs::path host = hostPath(folder);
    std::error_code ec;
    if (!fs::is_directory(host, ec)) pathNotFound(folder);
    std::vector<std::string> names;
    for (fs::directory_iterator it(host, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file(ec)) names.push_back(it->path().filename().string());
    if (ec) accessError(folder);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) { return text::upper(a) < text::upper(b); });
    return names;
}

}  // namespace tw::sim
