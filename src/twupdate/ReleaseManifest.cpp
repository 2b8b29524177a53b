// Reads the manifest strictly: it is signed, so anything unexpected in it is a fault, not a guess.
#include "twupdate/ReleaseManifest.h"

#include "ManifestLine.h"

namespace tw::twupdate {

namespace {

bool allDigits(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
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
        if (!allDigits(part) || part.size() > 6) return std::nullopt;
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
    const size_t lastBlank = text.rfind(' ');
    if (lastBlank != std::string_view::npos && namesAHost(text.substr(lastBlank + 1))) return fail(ManifestFault::otherHost);
    const auto line = tarn::crypto::readManifestLine(text);
    if (!line || line->name != kReleasePackageName || !parseVersion(line->second)) return fail(ManifestFault::malformed);
    ReleaseManifest manifest{std::string(line->second), line->size, std::string(line->sha256), std::string(line->path)};
    if (manifest.size <= 0 || manifest.size > kMaxPackageSize) return fail(ManifestFault::malformed);
    return manifest;
}

std::string releaseManifestText(const ReleaseManifest& manifest) {
    return std::string(kReleasePackageName) + " " + manifest.version + " " + std::to_string(manifest.size) + " " +
           manifest.sha256 + " " + manifest.path + "\n";
}

}  // namespace tw::twupdate
