// The release service's list of rule files: one line per file naming its stamp, size, SHA-256 and place.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarn::engine {

/// One line "name stamp size sha256hex path", fields split by one blank, ended by "\n". The path is
/// relative to the service's rules folder ("2026.12.10.07.00.00/tw1.bin").
struct ManifestEntry {
    std::string name;
    std::string stamp;
    int64_t size = 0;
    std::string sha256;  ///< 64 lower-case hex digits
    std::string path;
};

/// The largest rule file an update fetches; the buffer for it is allocated whole.
constexpr int64_t kMaxRuleFileSize = 64 * 1024 * 1024;
/// The largest manifest (and signature) read.
constexpr int32_t kMaxManifestSize = 16 * 1024;

/// The entries of a manifest, or nothing when any line is malformed (then `error` names the line).
/// Names the engine does not know are kept, for a later engine's files; each name may appear once.
std::optional<std::vector<ManifestEntry>> parseManifest(std::string_view text, std::string* error = nullptr);

/// The line parseManifest reads back as `entry` (for the release tooling and tests).
std::string manifestLine(const ManifestEntry& entry);

}  // namespace tarn::engine
