// Loading and saving the processed cache file.
#include "scan/ProcessedCache.h"

#include "core/Text.h"

namespace tw::scan {

void ProcessedCache::load(platform::FileSystem& files, const std::string& path) {
    if (!files.fileExists(path)) return;
    std::string content = files.readAll(path);
    for (std::string line : text::split(content, "\n")) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::string id = text::lower(text::trim(line));
        if (!id.empty()) ids_.insert(id);
    }
}

void ProcessedCache::save(platform::FileSystem& files, const std::string& path) const {
    files.replaceContents(path, format(ids_.Keys()));
}

std::string ProcessedCache::format(const std::vector<std::string>& ids) { return text::join(ids, "\r\n"); }

}  // namespace tw::scan
