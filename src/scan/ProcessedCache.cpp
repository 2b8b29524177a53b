// Loading and saving the processed cache file.
#include "scan/ProcessedCache.h"

#include <algorithm>
#include <string_view>

#include "core/Text.h"

namespace tw::scan {

void ProcessedCache::load(platform::FileSystem& files, const std::string& path) {
    if (!files.fileExists(path)) return;
    const std::string content = files.readAll(path);
    // Read at every start in cache mode, with an identifier for each checked message still unread.
    ids_.reserve(ids_.Count() + static_cast<size_t>(std::count(content.begin(), content.end(), '\n')) + 1);
    const std::string_view all(content);
    for (size_t start = 0; start <= all.size();) {
        size_t end = all.find('\n', start);
        if (end == std::string_view::npos) end = all.size();
        std::string_view line = all.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
        std::string id = text::lower(line);
        if (!id.empty()) ids_.insert(std::move(id));
    }
}

void ProcessedCache::save(platform::FileSystem& files, const std::string& path) const {
    files.replaceContents(path, format(ids_.Keys()));
}

std::string ProcessedCache::format(const std::vector<std::string>& ids) { return text::join(ids, "\r\n"); }

}  // namespace tw::scan
