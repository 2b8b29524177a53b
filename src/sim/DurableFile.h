// Whole-file writes that a crash cannot tear: a sibling temporary file forced to disk, then renamed over.
#pragma once

#include <filesystem>
#include <functional>
#include <string_view>

namespace tw::sim {

/// The points of a durable write at which a crash leaves something behind worth checking.
enum class WriteStage {
    /// Half the new bytes are in the temporary file; the target is untouched.
    halfWritten,
    /// The temporary file is complete and on disk; the target is still the old one.
    beforeRename,
};

/// Called at every stage of every durable write when set; a test throws from it to stop the write
/// right there, as a crash would. Null outside tests.
using WriteStageHook = void (*)(WriteStage stage, const std::filesystem::path& target);
void setWriteStageHookForTesting(WriteStageHook hook);

/// Writes `bytes` into `temporary` (in the target's folder), forces it to disk and renames it over
/// `target`, so that after a crash at any point the target holds either its old content or the
/// new, whole. A failing step removes the temporary file and
/// raises std::filesystem::filesystem_error; the target is then as it was. `atStage` is called at
/// each stage before the hook, for a caller's own fault injection.
void writeFileDurably(const std::filesystem::path& target, const std::filesystem::path& temporary, std::string_view bytes,
                      const std::function<void(WriteStage)>& atStage = {});

/// The usual temporary name: the target's own name with ".tmp" after it.
std::filesystem::path temporaryBeside(const std::filesystem::path& target);

}  // namespace tw::sim
