// Finds folders of the simulated store by name or path and lists or picks their messages by number.
#include "host/FolderListing.h"

#include <algorithm>
#include <functional>

#include "addin/DataFolder.h"
#include "addin/FolderPaths.h"
#include "core/Error.h"
#include "core/Text.h"
#include "scan/MsgQueue.h"

namespace tw::host {

namespace {
void eachFolder(sim::SimMailClient& client, const std::function<bool(const std::shared_ptr<sim::SimFolder>&)>& visit) {
    std::function<bool(const std::shared_ptr<sim::SimFolder>&)> walk = [&](const std::shared_ptr<sim::SimFolder>& f) {
        if (visit(f)) return true;
        for (const auto& child : f->simFolders()->all())
            if (walk(child)) return true;
        return false;
    };
    for (const auto& store : client.stores()->all())
        if (walk(store)) return;
}
}  // namespace

std::shared_ptr<sim::SimFolder> findFolder(sim::SimMailClient& client, const std::string& nameOrPath) {
    const std::string wanted = text::lower(text::trim(nameOrPath));
    const bool byPath = !wanted.empty() && wanted[0] == '\\';
    std::shared_ptr<sim::SimFolder> found;
    std::vector<std::string> known;
    eachFolder(client, [&](const std::shared_ptr<sim::SimFolder>& folder) {
        std::string path = addin::getFolderPath(*folder);
        known.push_back(path);
        if (text::lower(byPath ? path : folder->Name()) == wanted) found = folder;
        return found != nullptr;
    });
    if (found) return found;
    std::string list;
    for (const auto& path : known) list += "\n  " + path;
    throw Error(76, "tarnwick", "No folder \"" + nameOrPath + "\" in the mail store. Its folders:" + list);
}

std::vector<std::shared_ptr<sim::SimItem>> listedItems(sim::SimFolder& folder) { return folder.simItems()->all(); }

std::vector<std::shared_ptr<sim::SimItem>> selectedItems(sim::SimMailClient& client, const MessageSelection& selection) {
    auto folder = findFolder(client, selection.folder);
    auto items = listedItems(*folder);
    std::vector<std::shared_ptr<sim::SimItem>> chosen;
    for (int n : selection.numbers) {
        if (n > static_cast<int>(items.size()))
            throw Error(9, "tarnwick",
                        addin::getFolderPath(*folder) + " has " + std::to_string(items.size()) + " messages, no " +
                            std::to_string(n) + " (see tarnwick show folder " + selection.folder + ")");
        chosen.push_back(items[static_cast<size_t>(n - 1)]);
    }
    return chosen;
}

std::string senderOf(sim::SimItem& item) {
    const auto& sender = item.sender();
    if (!sender) return "(no sender)";
    return sender->address.empty() ? sender->name : sender->address;
}

CheckedRecord::CheckedRecord(platform::Shell& shell, platform::Registry& registry, platform::FileSystem& files)
    : files_(files) {
    try {
        dataFolder_ = addin::findDataFolder(shell, registry, files);
    } catch (...) {
        // No data folder: no cache file to read either.
    }
}

std::string CheckedRecord::stateOf(sim::SimMailClient& client, sim::SimFolder& folder, sim::SimItem& item) {
    if (item.UserProperties()->Find(scan::MsgQueue::kMarkerName)) return "marked";
    if (dataFolder_.empty()) return "-";
    if (loadedFolderId_ != folder.EntryID()) {
        loadedFolderId_ = folder.EntryID();
        cache_.clear();
        const bool inbox = client.inbox().get() == &folder;
        try {
            cache_.load(files_, dataFolder_ + "/" + (inbox ? scan::MsgQueue::kInboxCacheFile : folder.EntryID()));
        } catch (...) {
            // An unreadable cache file records nothing, as the queue itself would read it.
        }
    }
    return cache_.contains(text::lower(item.EntryID())) ? "cached" : "-";
}

void showFolder(sim::SimMailClient& client, CheckedRecord& checked, const std::string& nameOrPath, std::ostream& out) {
    auto folder = findFolder(client, nameOrPath);
    auto items = listedItems(*folder);
    out << addin::getFolderPath(*folder) << ": " << items.size() << (items.size() == 1 ? " message" : " messages")
        << "\n";
    for (size_t i = 0; i < items.size(); ++i) {
        auto& item = *items[i];
        std::string state = checked.stateOf(client, *folder, item);
        state.resize(6, ' ');
        out << "  " << (i + 1) << ". " << (item.UnRead() ? "unread" : "read  ") << "  " << item.ReceivedTime().toIsoText()
            << "  " << state << "  " << senderOf(item) << "  " << item.Subject() << "\n";
    }
}

void showFolder(HostSession& session, const std::string& nameOrPath, std::ostream& out) {
    CheckedRecord checked(session.shell(), session.registry(), session.files());
    showFolder(session.client(), checked, nameOrPath, out);
}

}  // namespace tw::host
