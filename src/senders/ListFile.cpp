// Reading and writing the sender list files through the file-system port and the code-page seam.
#include "senders/ListFile.h"

#include <algorithm>

#include "core/AnsiText.h"
#include "core/Text.h"
#include "senders/ListFileText.h"

namespace tw::senders {

std::string SkippedLines::describe(size_t shown) const {
    std::string text = lines.size() == 1 ? "line " : "lines ";
    for (size_t i = 0; i < lines.size() && i < shown; ++i) text += (i == 0 ? "" : ", ") + std::to_string(lines[i]);
    if (lines.size() > shown) text += " and " + std::to_string(lines.size() - shown) + " more";
    return text;
}

SkippedLines parseListFile(std::string_view bytes, KeyedSet& entries) {
    SkippedLines skipped;
    // A list of 100,000 entries is read at every start: nearly always plain ASCII, read where it lies;
    // one allocation per entry, no rehashing.
    std::string decoded;
    std::string_view all = bytes;
    if (!isPlainAscii(bytes)) {
        decoded = decodeListFileBytes(bytes);
        all = decoded;
    }
    entries.reserve(entries.Count() + static_cast<size_t>(std::count(all.begin(), all.end(), '\n')) + 1);
    size_t start = 0, lineNumber = 0;
    while (start <= all.size()) {
        size_t end = start;
        while (end < all.size() && all[end] != '\r' && all[end] != '\n') ++end;
        ++lineNumber;
        std::string_view line = all.substr(start, end - start);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
        std::string entry = text::lower(line);
        if (isListEntry(entry)) entries.insert(std::move(entry));
        else if (!entry.empty()) skipped.lines.push_back(lineNumber);
        // CR LF ends one line, not two.
        start = end + (all.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return skipped;
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
