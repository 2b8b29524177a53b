// The profile's outbox/ folder: a copy of every message the simulated transport sends, one RFC 5322 file each.
#pragma once

#include <filesystem>
#include <string>

namespace tw::host {

/// Writes the message as the next numbered file ("0001.eml", "0002.eml" ...) of the folder,
/// which is made when missing, and answers the file's path. The file appears whole or not at all.
/// Raises std::filesystem errors.
std::filesystem::path writeOutboxMessage(const std::filesystem::path& folder, const std::string& raw);

}  // namespace tw::host
