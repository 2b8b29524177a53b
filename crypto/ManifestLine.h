// The line both signed manifests use, "name version-or-stamp size sha256 path", read strictly:
// a manifest is signed, so anything unexpected in it is a fault, not a guess.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tarn::crypto {

/// The five fields of a manifest line (without its line end), each checked for its shape only: the
/// name lower-case letters and digits, the size a decimal number of at most 10 digits, the hash 64
/// lower-case hex digits, the path relative and staying below its folder (letters, digits, "._-/",
/// no empty, "." or ".." step, at most 200 characters). The second field is the caller's to check.
struct ManifestLine {
    std::string_view name, second, path;
    int64_t size = 0;
    std::string_view sha256;
};

/// The line's fields, or nothing when it has other than five blank-separated fields or one is off shape.
std::optional<ManifestLine> readManifestLine(std::string_view line);

/// True for a path as ManifestLine takes it.
bool isSafeRelativePath(std::string_view path);

}  // namespace tarn::crypto
