// Mail the host program hands to the simulated client: message files from the profile's incoming
// folder and from the command line, and the account of where each one ended.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace tw::host {

struct MessageFile {
    std::filesystem::path path;
    /// Taken from the profile's incoming folder: removed once the client has it.
    bool fromIncoming = false;
};

/// The files of the incoming folder (when it exists), then each named file or the files of each
/// named folder; each folder's files in name order. Raises tw::Error for a name that does not exist.
std::vector<MessageFile> messagesToDeliver(const std::filesystem::path& incoming, const std::vector<std::string>& named);

struct DeliveryRecord {
    std::string source;   // the file's name
    std::string subject;
    std::string verdict;  // "spam", "legitimate", "unchecked", "not mail" or "not delivered: <why>"
    std::string folder;   // the folder it ended in
};

void printDeliveries(std::ostream& out, const std::vector<DeliveryRecord>& records);

}  // namespace tw::host
