// Loading a store's file so that damage is survived: the backup takes over, damaged files are kept aside.
#pragma once

#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarn::engine {

/// What loading one store found.
struct StoreLoad {
    enum class Source { nothing, file, backup };
    Source source = Source::nothing;
    /// The store's file or its backup was there but damaged or unreadable.
    bool damaged = false;
    /// Each damaged file, and the name it now has; the name is empty when it could not be moved.
    std::vector<std::pair<std::string, std::string>> keptAside;

    /// True when nothing intact was read and the damaged file at `path` could not be moved aside:
    /// saving over it would lose the only copy of what was learnt.
    bool onlyCopyStuckAt(const std::string& path) const {
        if (source != Source::nothing) return false;
        for (const auto& [file, keptAs] : keptAside)
            if (file == path && keptAs.empty()) return true;
        return false;
    }

    /// True when a store was read, from the file or its backup.
    explicit operator bool() const { return source != Source::nothing; }
};

/// Reads the store at `path` through `accept`, which takes the bytes when they are an intact store
/// and answers false (taking nothing) otherwise. Falls back to `path` + ".bak". A damaged or
/// unreadable file is moved to a name of its own, so the next save cannot write over it and the
/// next load does not find it again; a damaged backup too when no intact copy was found. A store
/// read from its backup is written back in its place.
StoreLoad loadStoreFile(const std::string& path, const std::function<bool(std::string_view)>& accept);

/// The name a damaged file is kept under: "PATH.damaged-YYYYMMDD-HHMMSS" in local time.
std::string damagedFileName(const std::string& path, std::time_t when);

/// Moves a damaged file to a name of its own that no other file has; empty when it could not be moved.
std::string keepDamagedAside(const std::string& path);

}  // namespace tarn::engine
