// Renaming a file so that the rename itself is on disk when the call returns.
#pragma once

#include <filesystem>

namespace tarn::engine {

enum class Replacing { allowed, refused };

/// Renames `from` to `to`, replacing an existing `to` only when allowed; true once the rename is
/// on disk. A refused replacement fails without touching either file.
bool renameDurably(const std::filesystem::path& from, const std::filesystem::path& to, Replacing replacing);

}  // namespace tarn::engine
