// Windows writes a rename through to the disk before returning when asked to; replacing is the
// caller's choice, so keeping a damaged file aside can never replace an older kept one.
#include "DurableRename.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace tarn::engine {

bool renameDurably(const std::filesystem::path& from, const std::filesystem::path& to, Replacing replacing) {
    DWORD flags = MOVEFILE_WRITE_THROUGH | (replacing == Replacing::allowed ? MOVEFILE_REPLACE_EXISTING : 0);
    return MoveFileExW(from.c_str(), to.c_str(), flags) != 0;
}

}  // namespace tarn::engine
