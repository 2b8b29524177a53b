// The set of messages a queue has already checked, kept from one run to the next in a text file.
#pragma once

#include <string>
#include <vector>

#include "core/KeyedSet.h"
#include "platform/FileSystem.h"

namespace tw::scan {

/// Entry identifiers in lower-case hexadecimal. The file holds one per line, CR LF between lines
/// and none after the last.
class ProcessedCache {
public:
    bool contains(const std::string& lowerId) const { return ids_.Exists(lowerId); }
    void add(const std::string& lowerId) { ids_.insert(lowerId); }
    void remove(const std::string& lowerId) { ids_.erase(lowerId); }
    void clear() { ids_.RemoveAll(); }
    size_t size() const { return ids_.Count(); }
    std::vector<std::string> snapshot() const { return ids_.Keys(); }

    /// Adds the file's identifiers (trimmed, lower-cased, blank lines skipped). A missing file adds
    /// nothing; a read failure raises.
    void load(platform::FileSystem& files, const std::string& path);
    /// Writes the set as a new file and puts it in place only when complete, so a failure while
    /// saving leaves the last good file whole. Raises on failure.
    void save(platform::FileSystem& files, const std::string& path) const;

    /// The file's text for a set of identifiers.
    static std::string format(const std::vector<std::string>& ids);

private:
    KeyedSet ids_;
};

}  // namespace tw::scan
