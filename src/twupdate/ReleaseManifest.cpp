// Reads the manifest strictly: it is signed, so anything unexpected in it is a fault, not a guess.
#include "twupdate/ReleaseManifest.h"

#include <vector>

namespace tw::twupdate {

namespace {

bool allOf(std::string_view text, bool (*ok)(char)) {
    if (text.empty()) return false;
    for (char c : text)
        if (!ok(c)) return false;
    return true;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLowerHex(char c) { return isDigit(c) || (c >= 'a' && c <= 'f'); }
bool isPathChar(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '.' || c == '_' || c == '-' ||
           c == '/';
}

// A path stays under the manifest's folder: no leading slash, no empty, "." or ".." step.
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

bool namesAHost(std::string_view path) {
    return path.find("://") != std::string_view::npos || path.substr(0, 2) == "//" || path.substr(0, 2) == "\\\\";
}

}  // namespace

std::optional<std::array<int, 3>> parseVersion(std::string_view text) {
    std::array<int, 3> parts{};
    for (size_t i = 0; i < 3; ++i) {
        const size_t dot = i < 2 ? text.find('.') : text.size();
        if (dot == std::string_view::npos) return std::nullopt;
        const std::string_view part = text.substr(0, dot);
        if (!allOf(part, isDigit) || part.size() > 6) return std::nullopt;
        parts[i] = std::stoi(std::string(part));
        text.remove_prefix(i < 2 ? dot + 1 : dot);
    }
    return parts;
}

std::optional<ReleaseManifest> parseReleaseManifest(std::string_view text, ManifestFault* fault) {
    auto fail = [&](ManifestFault why) -> std::optional<ReleaseManifest> {
        if (fault) *fault = why;
        return std::nullopt;
    };
    if (fault) *fault = ManifestFault::none;
    if (text.empty() || text.back() != '\n' || text.find('\n') != text.size() - 1) return fail(ManifestFault::malformed);
    text.remove_suffix(1);
    std::vector<std::string_view> fields;
    while (fields.size() < 6) {
        const size_t blank = text.find(' ');
        fields.push_back(text.substr(0, blank));
        if (blank == std::string_view::npos) break;
        text.remove_prefix(blank + 1);
    }
    if (fields.size() != 5 || fields[0] != kReleasePackageName) return fail(ManifestFault::malformed);
    if (namesAHost(fields[4])) return fail(ManifestFault::otherHost);
    if (!parseVersion(fields[1]) || !allOf(fields[2], isDigit) || fields[2].size() > 10 || fields[3].size() != 64 ||
        !allOf(fields[3], isLowerHex) || !isSafePath(fields[4]))
        return fail(ManifestFault::malformed);
    ReleaseManifest manifest{std::string(fields[1]), std::stoll(std::string(fields[2])), std::string(fields[3]),
                             std::string(fields[4])};
    if (manifest.size <= 0 || manifest.size > kMaxPackageSize) return fail(ManifestFault::malformed);
    return manifest;
}

std::string releaseManifestText(const ReleaseManifest& manifest) {
    return std::string(kReleasePackageName) + " " + manifest.version + " " + std::to_string(manifest.size) + " " +
           manifest.sha256 + " " + manifest.path + "\n";
}

}  // namespace tw::twupdate
