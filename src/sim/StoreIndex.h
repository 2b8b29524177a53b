// The index beside the Maildir: what the folders and files cannot hold (entry and store
// identifiers, creation times, user properties, item classes, directory entries of Exchange users).
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Outlook.h"

namespace tw::sim {

struct IndexedProperty {
    std::string name;
    int type = outlook::olText;
    outlook::PropertyValue value;
};

struct IndexedItem {
    std::string entryId;
    /// The message file's unique name (without its ":2," flags), or a contact's key.
    std::string key;
    int itemClass = outlook::olMail;
    OleDate created;
    /// Written in this client (no transport headers), as opposed to received.
    bool local = false;
    std::vector<IndexedProperty> properties;
};

/// The index is a tab-separated text file rewritten whole through a temporary file and a rename;
/// every change in between is appended to a journal beside it, so a change costs one short append
/// and a crash loses nothing. Opening replays the journal and writes a fresh index. Journal records
/// restate a whole item, so replaying one twice does no harm, and a torn last line is skipped.
class StoreIndex {
public:
    using LogSink = std::function<void(const std::string&)>;

    StoreIndex(std::filesystem::path folder, LogSink log);

    /// Reads the index and replays the journal; a missing index is an empty one.
    void load();
    /// Writes the whole index anew and empties the journal.
    void compact();

    const std::string& storeId() const { return storeId_; }
    void setStoreId(const std::string& id);
    uint64_t nextId() const { return nextId_; }
    void setNextId(uint64_t next);

    /// Entry identifiers of folders by their Maildir directory name.
    const std::map<std::string, std::string>& folders() const { return folders_; }
    void putFolder(const std::string& directory, const std::string& entryId);

    /// Exchange users: lower-case SMTP address to directory name.
    const std::map<std::string, std::string>& exchangeDirectory() const { return exchange_; }
    void putExchangeUser(const std::string& smtpAddress, const std::string& directoryName);

    const IndexedItem* findByKey(const std::string& key) const;
    const IndexedItem* findById(const std::string& entryId) const;
    void putItem(const IndexedItem& item);
    void dropItem(const std::string& entryId);
    /// Forgets every item whose key is not in the set (their files are gone); returns how many.
    size_t dropItemsExcept(const std::vector<std::string>& keys);
    size_t itemCount() const { return items_.size(); }

    std::filesystem::path indexFile() const { return folder_ / "tarnwick-index.tsv"; }
    std::filesystem::path journalFile() const { return folder_ / "tarnwick-index.journal"; }

private:
    void apply(const std::vector<std::string>& fields, bool fromJournal);
    void forgetKey(const IndexedItem& item);
    void journal(const std::vector<std::string>& fields);
    void readFile(const std::filesystem::path& file, bool fromJournal);

    std::filesystem::path folder_;
    LogSink log_;
    std::string storeId_;
    uint64_t nextId_ = 0;
    std::map<std::string, std::string> folders_;
    std::map<std::string, std::string> exchange_;
    std::unordered_map<std::string, IndexedItem> items_;
    std::unordered_map<std::string, std::string> idByKey_;
    size_t journalLines_ = 0;
};

}  // namespace tw::sim
