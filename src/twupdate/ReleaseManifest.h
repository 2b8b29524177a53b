// The release service's package manifest: one signed line naming the version, size, SHA-256 and place of the package.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tw::twupdate {

/// "tarnwick <version> <size> <sha256> <path>\n": the same shape as a line of the rule files'
/// manifest. The path is relative to the manifest's folder ("1.2.0/Tarnwick-1.2.0.msi").
struct ReleaseManifest {
    std::string version;  ///< "major.minor.patch"
    int64_t size = 0;
    std::string sha256;  ///< 64 lower-case hex digits
    std::string path;
};

/// The name the one line starts with.
inline constexpr std::string_view kReleasePackageName = "tarnwick";
/// The largest package fetched; the buffer for it is allocated whole, in a 32-bit process.
inline constexpr int64_t kMaxPackageSize = 256 * 1024 * 1024;
/// The largest manifest read.
inline constexpr int32_t kMaxReleaseManifestSize = 4 * 1024;

enum class ManifestFault { none, malformed, otherHost };

/// The manifest, or nothing with the reason: a path that names a scheme or a host ("http://...",
/// "//host/...") is `otherHost`, anything else unexpected is `malformed`.
std::optional<ReleaseManifest> parseReleaseManifest(std::string_view text, ManifestFault* fault = nullptr);

/// The text parseReleaseManifest reads back as `manifest` (for the release tooling and tests).
std::string releaseManifestText(const ReleaseManifest& manifest);

/// The three numbers of "X.Y.Z", or nothing.
std::optional<std::array<int, 3>> parseVersion(std::string_view text);

}  // namespace tw::twupdate
