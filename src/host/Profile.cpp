// Creates profiles from the bundled demo and finds the default one.
#include "host/Profile.h"

#include <cstdlib>

#include "core/Error.h"

namespace tw::host {

void Profile::createFromDemoIfEmpty(const std::filesystem::path& demo) const {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::exists(root_, ec) && !fs::is_empty(root_, ec)) return;
    if (!fs::is_directory(demo, ec)) throw Error(76, "Profile", "The demo profile is missing: " + demo.string());
    fs::create_directories(root_, ec);
    if (ec) throw Error(75, "Profile", "Cannot create " + root_.string() + ": " + ec.message());
    fs::copy(demo, root_, fs::copy_options::recursive, ec);
    if (ec) throw Error(75, "Profile", "Cannot copy the demo profile into " + root_.string() + ": " + ec.message());
}

std::filesystem::path defaultProfileDirectory() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) return std::filesystem::path(xdg) / "tarnwick" / "demo-profile";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : ".") / ".local" / "share" / "tarnwick" / "demo-profile";
}

}  // namespace tw::host
