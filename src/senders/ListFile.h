// The text form of a sender list file: one entry a line, read forgivingly, written sorted.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/KeyedSet.h"
#include "platform/FileSystem.h"

namespace tw::senders {

/// The lines of a list file that could not be entries, by line number (from 1).
struct SkippedLines {
    std::vector<size_t> lines;
    /// "line 3, 7, 12" with at most `shown` numbers and a count of the rest.
    std::string describe(size_t shown = 10) const;
};

/// Adds every entry of a list file's bytes to the set: lines end in CR LF, LF or CR; each line is
/// trimmed and lower-cased; empty lines and repeats are skipped. The bytes are decoded as
/// decodeListFileBytes says; a line that cannot be an entry (isListEntry) is skipped and returned.
SkippedLines parseListFile(std::string_view bytes, KeyedSet& entries);

/// The bytes of a list file holding these entries in this order: CR LF between entries, none after
/// the last, nothing at all for no entries.
std::string formatListFile(const std::vector<std::string>& sortedEntries);

/// The keys of a set, ascending by code unit.
std::vector<std::string> getSortedKeys(const KeyedSet& entries);

/// Reads a whole list file into a new set; raises when the file cannot be read.
KeyedSet readListFile(platform::FileSystem& files, const std::string& path);

/// Writes the set sorted. The old file is replaced only once the new one is complete, so a failing
/// write leaves the user's list as it was.
void writeListFile(platform::FileSystem& files, const std::string& path, const KeyedSet& entries);

}  // namespace tw::senders
