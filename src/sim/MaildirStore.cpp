// Maildir++ folders and message files of the simulated store.
#include "sim/MaildirStore.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <fstream>
#include <sstream>
#include <tuple>

#include "core/Error.h"
#include "core/Text.h"
#include "sim/DurableFile.h"

namespace tw::sim {

namespace fs = std::filesystem;

namespace {

constexpr size_t kHeaderReadLimit = 1 << 20;

Error storeError(const std::string& what, const std::error_code& ec) {
    return Error(-2147024865, "Tarnwick mail store", what + (ec ? ": " + ec.message() : std::string()));
}

std::string escapeName(std::string_view name) {
    std::string out;
    for (char c : name) {
        if (c == '%') out += "%25";
        else if (c == '.') out += "%2E";
        else if (c == '/') out += "%2F";
        else out += c;
    }
    return out;
}

std::string unescapeName(std::string_view name) {
    std::string out;
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '%' && i + 2 < name.size()) {
            std::string hex(name.substr(i + 1, 2));
            if (hex.size() == 2 && std::isxdigit(static_cast<unsigned char>(hex[0])) &&
                std::isxdigit(static_cast<unsigned char>(hex[1]))) {
                out += static_cast<char>(std::stoi(hex, nullptr, 16));
                i += 2;
                continue;
            }
        }
        out += name[i];
    }
    return out;
}

std::string fileName(const MaildirStore::File& file) { return file.unique + ":2," + file.flags; }

std::string withSeen(std::string flags, bool seen) {
    flags.erase(std::remove(flags.begin(), flags.end(), 'S'), flags.end());
    if (seen) flags += 'S';
    std::sort(flags.begin(), flags.end());
    return flags;
}

// A message still in tmp/ after a day and a half was being written when its writer stopped; no
// reader looks there, and the Maildir convention lets it go after this long.
void removeStaleTemporaries(const fs::path& tmp) {
    const auto staleBefore = fs::file_time_type::clock::now() - std::chrono::hours(36);
    std::error_code ec;
    for (fs::directory_iterator it(tmp, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code fileEc;
        if (!it->is_regular_file(fileEc)) continue;
        auto written = it->last_write_time(fileEc);
        if (!fileEc && written < staleBefore) fs::remove(it->path(), fileEc);
    }
}

std::string readWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw storeError("Cannot read " + path.string(), {});
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

/// The delivery order a unique name tells: seconds, microseconds and sequence compared as numbers,
/// so names written without zero padding (microseconds "M42", sequence "Q10") still sort by time.
/// Names of another form sort after these, by their text.
struct DeliveryKey {
    bool parsed = false;
    unsigned long long seconds = 0, micros = 0, sequence = 0;
};

DeliveryKey deliveryKey(const std::string& unique) {
    DeliveryKey key;
    auto number = [&](size_t from, size_t& end, unsigned long long& value) {
        end = from;
        while (end < unique.size() && std::isdigit(static_cast<unsigned char>(unique[end]))) ++end;
        if (end == from || end - from > 19) return false;
        value = std::stoull(unique.substr(from, end - from));
        return true;
    };
    size_t end = 0;
    if (!number(0, end, key.seconds) || unique.compare(end, 2, ".M") != 0) return key;
    if (!number(end + 2, end, key.micros)) return key;
    const size_t q = unique.find('Q', end);
    if (q == std::string::npos || !number(q + 1, end, key.sequence)) return key;
    key.parsed = true;
    return key;
}

bool deliveredBefore(const std::string& a, const std::string& b) {
    const DeliveryKey x = deliveryKey(a), y = deliveryKey(b);
    if (x.parsed != y.parsed) return x.parsed;
    if (x.parsed && (x.seconds != y.seconds || x.micros != y.micros || x.sequence != y.sequence))
        return std::tie(x.seconds, x.micros, x.sequence) < std::tie(y.seconds, y.micros, y.sequence);
    return a < b;
}

}  // namespace

MaildirStore::MaildirStore(fs::path root, LogSink log) : root_(std::move(root)), log_(std::move(log)) {}

std::string MaildirStore::directoryName(const std::vector<std::string>& pathFromTop) {
    if (pathFromTop.size() == 1 && pathFromTop[0] == "Inbox") return "";
    std::string out;
    for (const auto& name : pathFromTop) out += "." + escapeName(name);
    return out;
}

std::vector<std::string> MaildirStore::folderPath(std::string_view directory) {
    if (directory.empty()) return {"Inbox"};
    if (directory[0] != '.' || directory == "." || directory == "..") return {};
    std::vector<std::string> path;
    for (const auto& part : text::split(directory.substr(1), ".")) {
        if (part.empty()) return {};
        path.push_back(unescapeName(part));
    }
    return path;
}

fs::path MaildirStore::folderDir(const std::string& directory) const {
    return directory.empty() ? root_ : root_ / directory;
}

std::vector<std::string> MaildirStore::discoverFolders() const {
    std::vector<std::string> found;
    std::error_code ec;
    if (fs::is_directory(root_ / "cur", ec) || fs::is_directory(root_ / "new", ec)) found.push_back("");
    for (fs::directory_iterator it(root_, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (!it->is_directory(ec) || folderPath(name).empty()) continue;
        if (!fs::is_directory(it->path() / "cur", ec) && !fs::is_directory(it->path() / "new", ec)) continue;
        found.push_back(name);
    }
    // A parent's name is a prefix of its children's, so it sorts first.
    std::sort(found.begin(), found.end());
    return found;
}

void MaildirStore::ensureFolder(const std::string& directory) {
    for (const char* sub : {"cur", "new", "tmp"}) {
        std::error_code ec;
        fs::create_directories(folderDir(directory) / sub, ec);
        if (ec) throw storeError("Cannot create the mail folder " + (folderDir(directory) / sub).string(), ec);
    }
}

std::vector<MaildirStore::File> MaildirStore::scanFolder(const std::string& directory) {
    ensureFolder(directory);
    fs::path dir = folderDir(directory);
    std::error_code ec;
    for (fs::directory_iterator it(dir / "new", ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.') continue;
        fs::path target = dir / "cur" / (name.find(":2,") == std::string::npos ? name + ":2," : name);
        std::error_code mv;
        fs::rename(it->path(), target, mv);
        if (mv) log_("cannot move " + it->path().string() + " to cur: " + mv.message());
    }
    removeStaleTemporaries(dir / "tmp");
    std::vector<File> files;
    for (fs::directory_iterator it(dir / "cur", ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.') continue;
        if (!it->is_regular_file(ec)) {
            log_("skipped " + it->path().string() + ": not a file");
            continue;
        }
        File file;
        file.directory = directory;
        size_t info = name.find(":2,");
        file.unique = name.substr(0, info);
        file.flags = info == std::string::npos ? "" : name.substr(info + 3);
        files.push_back(std::move(file));
    }
    std::sort(files.begin(), files.end(), [](const File& a, const File& b) { return deliveredBefore(a.unique, b.unique); });
    return files;
}

std::string MaildirStore::newUnique() {
    auto now = std::chrono::system_clock::now().time_since_epoch();
    auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now).count();
    auto micros = std::chrono::duration_cast<std::chrono::microseconds>(now).count() % 1000000;
    char host[128] = "localhost";
    gethostname(host, sizeof host - 1);
    std::string hostName = text::replaceAll(text::replaceAll(host, "/", "\\057"), ":", "\\072");
    std::string paddedMicros = std::to_string(micros);
    paddedMicros.insert(0, 6 - std::min<size_t>(6, paddedMicros.size()), '0');
    return std::to_string(seconds) + ".M" + paddedMicros + "P" + std::to_string(::getpid()) + "Q" +
           std::to_string(++sequence_) + "." + hostName;
}

void MaildirStore::writeThroughTmp(const std::string& directory, const std::string& unique, std::string_view bytes,
                                   const fs::path& target) {
    ensureFolder(directory);
    try {
        writeFileDurably(target, folderDir(directory) / "tmp" / unique, bytes);
    } catch (const fs::filesystem_error& e) {
        throw storeError("Cannot write " + target.string(), e.code());
    }
}

MaildirStore::File MaildirStore::addMessage(const std::string& directory, std::string_view bytes, bool seen) {
    File file{directory, newUnique(), seen ? "S" : ""};
    writeThroughTmp(directory, file.unique, bytes, folderDir(directory) / "cur" / fileName(file));
    return file;
}

MaildirStore::File MaildirStore::moveMessage(const File& file, const std::string& toDirectory) {
    if (toDirectory == file.directory) return file;
    ensureFolder(toDirectory);
    File moved = file;
    moved.directory = toDirectory;
    std::error_code ec;
    fs::rename(folderDir(file.directory) / "cur" / fileName(file), folderDir(toDirectory) / "cur" / fileName(moved), ec);
    if (ec) throw storeError("Cannot move the message " + file.unique, ec);
    return moved;
}

MaildirStore::File MaildirStore::setSeen(const File& file, bool seen) {
    File changed = file;
    changed.flags = withSeen(file.flags, seen);
    if (changed.flags == file.flags) return file;
    std::error_code ec;
    fs::path dir = folderDir(file.directory) / "cur";
    fs::rename(dir / fileName(file), dir / fileName(changed), ec);
    if (ec) throw storeError("Cannot mark the message " + file.unique, ec);
    return changed;
}

MaildirStore::File MaildirStore::copyMessage(const File& file, const std::string& toDirectory) {
    return addMessage(toDirectory, readMessage(file), file.seen());
}

void MaildirStore::replaceMessage(const File& file, std::string_view bytes) {
    writeThroughTmp(file.directory, newUnique(), bytes, folderDir(file.directory) / "cur" / fileName(file));
}

void MaildirStore::removeMessage(const File& file) {
    std::error_code ec;
    fs::remove(folderDir(file.directory) / "cur" / fileName(file), ec);
    if (ec) throw storeError("Cannot remove the message " + file.unique, ec);
}

std::string MaildirStore::readMessage(const File& file) const {
    return readWhole(folderDir(file.directory) / "cur" / fileName(file));
}

std::string MaildirStore::readHeaderPart(const File& file) const {
    fs::path path = folderDir(file.directory) / "cur" / fileName(file);
    std::ifstream in(path, std::ios::binary);
    if (!in) throw storeError("Cannot read " + path.string(), {});
    std::string out;
    char buffer[16384];
    while (out.size() < kHeaderReadLimit && in.read(buffer, sizeof buffer).gcount() > 0) {
        size_t before = out.size();
        out.append(buffer, static_cast<size_t>(in.gcount()));
        // Look for the blank line from a little before the new bytes, as it may straddle them.
        size_t from = before > 3 ? before - 3 : 0;
        size_t lf = out.find("\n\n", from), crlf = out.find("\n\r\n", from);
        size_t end = std::min(lf == std::string::npos ? std::string::npos : lf + 2,
                              crlf == std::string::npos ? std::string::npos : crlf + 3);
        if (end != std::string::npos) {
            out.resize(end);
            break;
        }
    }
    return out;
}

}  // namespace tw::sim
