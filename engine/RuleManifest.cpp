// Reading the manifest strictly: it is signed, so anything unexpected in it is a fault, not a guess.
#include "RuleManifest.h"

#include <set>

#include "ManifestLine.h"
#include "RuleHeader.h"

namespace tarn::engine {

namespace {

std::optional<ManifestEntry> parseLine(std::string_view text) {
    const auto line = crypto::readManifestLine(text);
    if (!line || !isRuleStamp(line->second) || line->size > kMaxRuleFileSize) return std::nullopt;
    return ManifestEntry{std::string(line->name), std::string(line->second), line->size, std::string(line->sha256),
                         std::string(line->path)};
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
