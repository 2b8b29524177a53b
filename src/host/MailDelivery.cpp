// Finding the message files to deliver and printing what became of them.
#include "host/MailDelivery.h"

#include <algorithm>

#include "core/Error.h"

namespace tw::host {

namespace {
std::vector<std::filesystem::path> filesIn(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}
}  // namespace

std::vector<MessageFile> messagesToDeliver(const std::filesystem::path& incoming, const std::vector<std::string>& named) {
    std::vector<MessageFile> out;
    if (std::filesystem::is_directory(incoming))
        for (auto& path : filesIn(incoming)) out.push_back({path, true});
    for (const std::string& name : named) {
        std::filesystem::path path(name);
        if (std::filesystem::is_directory(path)) {
            for (auto& file : filesIn(path)) out.push_back({file, false});
        } else if (std::filesystem::is_regular_file(path)) {
            out.push_back({path, false});
        } else {
            throw Error(53, "tarnwick", "No message file or folder \"" + name + "\".");
        }
    }
    return out;
}

void printDeliveries(std::ostream& out, const std::vector<DeliveryRecord>& records) {
    out << "Messages delivered: " << records.size() << "\n";
    for (const auto& r : records) {
        out << "  " << r.source << ": " << r.verdict;
        if (!r.folder.empty()) out << " -> " << r.folder;
        if (!r.subject.empty()) out << "  \"" << r.subject << "\"";
        out << "\n";
    }
}

}  // namespace tw::host
