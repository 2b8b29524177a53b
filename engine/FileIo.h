// The engine's small file layer: whole-file reads and crash-safe replacement of a file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarn::engine {

/// The whole file, or nothing when it cannot be read.
std::optional<std::string> readWholeFile(const std::string& path);

/// Writes a sibling temporary file, forces it to disk and renames it over `path`, so a crash leaves
/// either the old file or the new one, never a torn mix. Returns false when any step failed.
bool replaceFileAtomically(const std::string& path, std::string_view content);

/// The points of replaceFileAtomically at which a crash leaves something behind worth checking:
/// half the new bytes in the temporary file, and the temporary file complete but not yet renamed.
enum class WriteStage { halfWritten, beforeRename };
/// Called at each stage of every replaceFileAtomically when set; a test throws from it to stop the
/// write right there, as a crash would, leaving the temporary file behind. Null outside tests.
using WriteStageHook = void (*)(WriteStage stage, const std::string& path);
void setWriteStageHookForTesting(WriteStageHook hook);

/// Appends and forces the bytes to disk; used for queues where each record must survive on its own.
bool appendToFile(const std::string& path, std::string_view content);

bool ensureDirectory(const std::string& path);
std::string joinPath(const std::string& folder, const std::string& name);
int64_t fileSizeOf(const std::string& path);
bool removeFile(const std::string& path);
/// Whether anything is at the path, readable or not.
bool fileExists(const std::string& path);
/// Moves a file to a name that is not taken yet; false when `to` exists or the move failed.
bool renameWithoutReplacing(const std::string& from, const std::string& to);
/// Moves a file over `to`, replacing what is there; true once the rename is on disk.
bool renameReplacing(const std::string& from, const std::string& to);

uint32_t crc32(std::string_view bytes);

}  // namespace tarn::engine
