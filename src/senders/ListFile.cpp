// Reading and writing the sender list files through the file-system port and the code-page seam.
#include "senders/ListFile.h"

#include <algorithm>

#include "core/AnsiText.h"
#include "core/Text.h"

namespace tw::senders {

void parseListFile(std::string_view bytes, KeyedSet& entries) {
    std::string text = ansi::toUtf8(bytes);
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        std::string entry = text::lower(text::trim(std::string_view(text).substr(start, end - start)));
        if (!entry.empty()) entries.insert(entry);
        start = end + 1;
    }
}

std::string formatListFile(const std::vector<std::string>& sortedEntries) {
    size_t size = 0;
    for (const auto& entry : sortedEntries) size += entry.size() + 2;
    std::string text;
    text.reserve(size);
    for (size_t i = 0; i < sortedEntries.size(); ++i) {
        if (i != 0) text += "\r\n";
        text += sortedEntries[i];
    }
    return ansi::fromUtf8(text);
}

std::vector<std::string> getSortedKeys(const KeyedSet& entries) {
    std::vector<std::string> keys = entries.Keys();
    // std::string compares by unsigned code unit, which is the order the lists are kept in.
    std::sort(keys.begin(), keys.end());
    return keys;
}

KeyedSet readListFile(platform::FileSystem& files, const std::string& path) {
    KeyedSet entries;
    parseListFile(files.readAll(path), entries);
    return entries;
}

void writeListFile(platform::FileSystem& files, const std::string& path, const KeyedSet& entries) {
    files.replaceContents(path, formatListFile(getSortedKeys(entries)));
}

}  // namespace tw::senders
