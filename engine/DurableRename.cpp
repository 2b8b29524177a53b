// A rename is on disk only once its folder is, so the folder is forced after it.
#include "DurableRename.h"

#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace tarn::engine {

namespace fs = std::filesystem;

bool renameDurably(const fs::path& from, const fs::path& to, Replacing replacing) {
    std::error_code ec;
    if (replacing == Replacing::refused && (fs::exists(to, ec) || ec)) return false;
    fs::rename(from, to, ec);
    if (ec) return false;
    const fs::path folder = to.parent_path();
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    return true;
}

}  // namespace tarn::engine
