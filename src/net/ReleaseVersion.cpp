// Parses the release file's version and compares releases part by part as numbers.
#include "net/ReleaseVersion.h"

#include "core/Text.h"

namespace tw::net {

namespace {
constexpr size_t kMaxDigits = 9;  // keeps every part inside a 32-bit number
}

std::optional<std::string> offeredVersionText(const std::string& releaseFile) {
    static const std::string kKey = "version=";
    // The key starts a line: "version=" inside a web page's text is not the release file's.
    size_t at = releaseFile.find(kKey);
    while (at != std::string::npos && at > 0 && releaseFile[at - 1] != '\n') at = releaseFile.find(kKey, at + 1);
    if (at == std::string::npos) return std::nullopt;
    size_t start = at + kKey.size();
    size_t end = releaseFile.find_first_of("\r\n", start);
    return text::trim(releaseFile.substr(start, end == std::string::npos ? std::string::npos : end - start));
}

std::optional<ReleaseNumber> parseRelease(const std::string& text) {
    ReleaseNumber number{};
    size_t part = 0;
    size_t start = 0;
    for (;;) {
        size_t dot = text.find('.', start);
        std::string piece = text.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
        if (part >= number.size() || piece.empty() || piece.size() > kMaxDigits) return std::nullopt;
        for (char c : piece)
            if (c < '0' || c > '9') return std::nullopt;
        number[part++] = std::stoi(piece);
        if (dot == std::string::npos) break;
        start = dot + 1;
    }
    if (part != number.size()) return std::nullopt;
    return number;
}

bool isNewer(const ReleaseNumber& offered, const ReleaseNumber& than) { return offered > than; }

bool shouldRemind(const ReleaseNumber& offered, const std::string& ignoredRelease) {
    auto ignored = parseRelease(ignoredRelease);
    return !ignored || isNewer(offered, *ignored);
}

}  // namespace tw::net
