// Reading the manifest strictly: it is signed, so anything unexpected in it is a fault, not a guess.
#include "RuleManifest.h"

#include <set>

#include "RuleHeader.h"

namespace tarn::engine {

namespace {

bool allOf(std::string_view text, bool (*ok)(char)) {
    if (text.empty()) return false;
    for (char c : text)
        if (!ok(c)) return false;
    return true;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLowerHex(char c) { return isDigit(c) || (c >= 'a' && c <= 'f'); }
bool isNameChar(char c) { return isDigit(c) || (c >= 'a' && c <= 'z'); }
bool isPathChar(char c) { return isNameChar(c) || (c >= 'A' && c <= 'Z') || c == '.' || c == '_' || c == '-' || c == '/'; }

// A path stays under the rules folder: no leading slash, no empty, "." or ".." step.
bool isSafePath(std::string_view path) {
    if (!allOf(path, isPathChar) || path.size() > 200) return false;
    size_t start = 0;
    while (start <= path.size()) {
        const size_t end = std::min(path.find('/', start), path.size());
        const std::string_view step = path.substr(start, end - start);
        if (step.empty() || step == "." || step == "..") return false;
        start = end + 1;
    }
    return true;
}

std::optional<ManifestEntry> parseLine(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    while (fields.size() < 6) {
        const size_t blank = line.find(' ', start);
        fields.push_back(line.substr(start, blank == std::string_view::npos ? std::string_view::npos : blank - start));
        if (blank == std::string_view::npos) break;
        start = blank + 1;
    }
    if (fields.size() != 5) return std::nullopt;
    ManifestEntry entry;
    if (!allOf(fields[0], isNameChar) || fields[0].size() > 16 || !isRuleStamp(fields[1])) return std::nullopt;
    if (!allOf(fields[2], isDigit) || fields[2].size() > 10 || fields[3].size() != 64 || !allOf(fields[3], isLowerHex))
        return std::nullopt;
    if (!isSafePath(fields[4])) return std::nullopt;
    entry.name = fields[0];
    entry.stamp = fields[1];
    entry.size = std::stoll(std::string(fields[2]));
    if (entry.size > kMaxRuleFileSize) return std::nullopt;
    entry.sha256 = fields[3];
    entry.path = fields[4];
    return entry;
}

}  // namespace

std::optional<std::vector<ManifestEntry>> parseManifest(std::string_view text, std::string* error) {
    std::vector<ManifestEntry> entries;
    std::set<std::string> names;
    int lineNumber = 0;
    auto fail = [&](const char* what) -> std::optional<std::vector<ManifestEntry>> {
        if (error) *error = std::string(what) + " " + std::to_string(lineNumber);
        return std::nullopt;
    };
    if (text.empty() || text.back() != '\n') return fail("unended line");
    while (!text.empty()) {
        ++lineNumber;
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        auto entry = parseLine(line);
        if (!entry) return fail("malformed line");
        if (!names.insert(entry->name).second) return fail("repeated name on line");
        entries.push_back(std::move(*entry));
    }
    return entries;
}

std::string manifestLine(const ManifestEntry& entry) {
    return entry.name + " " + entry.stamp + " " + std::to_string(entry.size) + " " + entry.sha256 + " " + entry.path +
           "\n";
}

}  // namespace tarn::engine
