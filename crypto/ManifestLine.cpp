// Reading one line of a signed manifest.
#include "ManifestLine.h"

#include <string>
#include <vector>

namespace tarn::crypto {

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

}  // namespace

bool isSafeRelativePath(std::string_view path) {
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

std::optional<ManifestLine> readManifestLine(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    while (fields.size() < 6) {
        const size_t blank = line.find(' ', start);
        fields.push_back(line.substr(start, blank == std::string_view::npos ? std::string_view::npos : blank - start));
        if (blank == std::string_view::npos) break;
        start = blank + 1;
    }
    if (fields.size() != 5 || !allOf(fields[0], isNameChar) || fields[0].size() > 16) return std::nullopt;
    if (!allOf(fields[2], isDigit) || fields[2].size() > 10 || fields[3].size() != 64 || !allOf(fields[3], isLowerHex))
        return std::nullopt;
    if (!isSafeRelativePath(fields[4])) return std::nullopt;
    return ManifestLine{fields[0], fields[1], fields[4], std::stoll(std::string(fields[2])), fields[3]};
}

}  // namespace tarn::crypto
