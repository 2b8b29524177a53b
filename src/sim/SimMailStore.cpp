// Loading the store from disk into the simulated client and writing each change back.
#include "sim/SimMailStore.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>

#include "core/Error.h"
#include "core/Text.h"
#include "sim/DurableFile.h"
#include "sim/MimeMessage.h"
#include "sim/SimMailClient.h"
#include "sim/SimOutlook.h"
#include "sim/VCard.h"

namespace tw::sim {

namespace fs = std::filesystem;

namespace {

const char* const kTopKey = "#top";

Error storeError(const std::string& what) { return Error(-2147024865, "Tarnwick mail store", what); }

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw storeError("Cannot read " + path.string() + ".");
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void writeFileWhole(const fs::path& path, const std::string& bytes) {
    try {
        writeFileDurably(path, temporaryBeside(path), bytes);
    } catch (const fs::filesystem_error& e) {
        throw storeError("Cannot replace " + path.string() + ": " + e.code().message());
    }
}

int classOfMessage(const std::string& messageClass) {
    if (text::startsWith(text::lower(messageClass), "ipm.schedule.meeting")) return outlook::olMeetingRequest;
    return outlook::olMail;
}

// "uid:..." for a card with a UID, else "file:<name>#<position>".
std::string contactKey(const std::string& file, size_t position, const VCardContact& card) {
    return card.uid.empty() ? "file:" + file + "#" + std::to_string(position) : "uid:" + card.uid;
}

void forEachFolder(const std::shared_ptr<SimFolder>& folder, const std::function<void(SimFolder&)>& visit) {
    visit(*folder);
    for (const auto& child : folder->simFolders()->all()) forEachFolder(child, visit);
}

}  // namespace

SimMailStore::SimMailStore(SimMailClient& client, fs::path root, LogSink log)
    : client_(client), root_(std::move(root)), log_(log ? std::move(log) : [](const std::string&) {}),
      maildir_(root_, log_), index_(root_, log_) {}

SimMailStore::~SimMailStore() {
    try {
        flush();
    } catch (const std::exception& e) {
        log_(std::string("the index could not be written at the end: ") + e.what());
    }
}

void SimMailStore::flush() { index_.compact(); }

bool SimMailStore::isContactsFolder(const SimFolder& folder) const {
    return client_.defaultFolder(outlook::olFolderContacts).get() == &folder;
}

std::string SimMailStore::directoryOf(const SimFolder& folder) const {
    auto path = folder.pathFromTop();
    return path.empty() ? kTopKey : MaildirStore::directoryName(path);
}

std::function<std::string()> SimMailStore::loaderFor(const std::string& key) {
    std::weak_ptr<int> alive = alive_;
    return [this, alive, key] {
        if (alive.expired()) throw storeError("The mail store is closed.");
        auto it = files_.find(key);
        if (it == files_.end()) throw Error(-2147221233, "Microsoft Outlook", "The message has been moved or deleted.");
        return maildir_.readMessage(it->second);
    };
}

void SimMailStore::record(SimItem& item) {
    IndexedItem entry;
    entry.entryId = item.EntryID();
    entry.key = item.storageKey();
    entry.itemClass = item.Class();
    entry.created = item.CreationTime();
    entry.local = item.isLocal() && item.Class() != outlook::olContact;
    entry.properties = item.userProperties();
    index_.putItem(entry);
}

void SimMailStore::open() {
    std::error_code ec;
    fs::create_directories(root_, ec);
    if (ec) throw storeError("Cannot create the mail folder " + root_.string() + ": " + ec.message());
    index_.load();
    client_.raiseNextId(index_.nextId());
    for (const auto& [smtp, dn] : index_.exchangeDirectory()) client_.rememberExchangeUser(smtp, dn);

    // Folders present on disk join the tree, parents before children.
    for (const auto& directory : maildir_.discoverFolders()) {
        auto path = MaildirStore::folderPath(directory);
        auto folder = client_.stores()->all().front();
        for (const auto& name : path) folder = folder->subfolder(name);
    }
    assignFolderIds();

    std::vector<std::string> keys;
    forEachFolder(client_.stores()->all().front(), [&](SimFolder& folder) {
        if (isContactsFolder(folder) || !folder.parentFolder()) return;
        try {
            loadFolder(directoryOf(folder), keys);
        } catch (const std::exception& e) {
            log_("the folder " + folder.Name() + " could not be read: " + e.what());
        }
    });
    loadContacts(keys);
    loadAddressBooks();
    if (size_t gone = index_.dropItemsExcept(keys)) log_(std::to_string(gone) + " indexed items have no file any more and were forgotten");
    index_.setNextId(client_.nextIdValue());
    index_.compact();
}

void SimMailStore::assignFolderIds() {
    auto top = client_.stores()->all().front();
    if (index_.storeId().empty()) index_.setStoreId(top->StoreID());
    const std::string storeId = index_.storeId();
    forEachFolder(top, [&](SimFolder& folder) {
        std::string key = directoryOf(folder);
        auto known = index_.folders().find(key);
        if (known != index_.folders().end()) folder.setIds(known->second, storeId);
        else folder.setIds(folder.EntryID(), storeId);
        index_.putFolder(key, folder.EntryID());
        if (!isContactsFolder(folder) && folder.parentFolder()) maildir_.ensureFolder(key);
    });
}

void SimMailStore::loadFolder(const std::string& directory, std::vector<std::string>& keys) {
    auto path = MaildirStore::folderPath(directory);
    auto folder = client_.stores()->all().front();
    for (const auto& name : path) folder = folder->subfolder(name);
    for (auto file : maildir_.scanFolder(directory)) {
        const std::string where = (directory.empty() ? std::string("Inbox") : directory) + "/" + file.unique;
        try {
            if (files_.count(file.unique)) {
                // The same file name in two folders: the second copy becomes a message of its own.
                auto renamed = maildir_.copyMessage(file, directory);
                maildir_.removeMessage(file);
                file = renamed;
            }
            std::string head = maildir_.readHeaderPart(file);
            RawKind kind = classifyRaw(head);
            if (kind == RawKind::Empty) {
                log_("skipped " + where + ": the file is empty");
                continue;
            }
            if (kind == RawKind::Binary) {
                log_("skipped " + where + ": the file is not a mail message (binary content)");
                continue;
            }
            MessageHeaders headers = parseHeaders(head);
            if (!headers.hasHeaders) log_(where + " has no headers; loaded as text");
            const IndexedItem* known = index_.findByKey(file.unique);
            int itemClass = known ? known->itemClass : classOfMessage(headers.messageClass);
            std::string id = known ? known->entryId : client_.newEntryId();
            OleDate created = known ? known->created : client_.clock().now();
            auto item = std::make_shared<SimItem>(itemClass, id, created, &client_);
            item->setReceived(std::move(headers), loaderFor(file.unique));
            if (known && known->local) item->markLocal();
            if (known) item->userProperties() = known->properties;
            item->setUnReadQuietly(!file.seen());
            item->setStorageKey(file.unique);
            files_[file.unique] = file;
            client_.registerItem(item);
            folder->adoptItem(item);
            keys.push_back(file.unique);
            if (!known) record(*item);
        } catch (const std::exception& e) {
            log_("skipped " + where + ": " + e.what());
        }
    }
}

void SimMailStore::loadContacts(std::vector<std::string>& keys) {
    auto contacts = client_.defaultFolder(outlook::olFolderContacts);
    if (!contacts) return;
    std::error_code ec;
    fs::create_directories(contactsFolder(), ec);
    std::vector<fs::path> files;
    for (fs::directory_iterator it(contactsFolder(), ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file(ec) && text::iequals(it->path().extension().string(), ".vcf")) files.push_back(it->path());
    std::sort(files.begin(), files.end());
    for (const auto& path : files) {
        std::string name = path.filename().string();
        try {
            auto cards = parseVCards(readFile(path));
            if (cards.empty()) {
                log_("skipped contacts/" + name + ": it holds no vCard");
                continue;
            }
            for (size_t n = 0; n < cards.size(); ++n) {
                std::string key = contactKey(name, n, cards[n]);
                if (std::find(keys.begin(), keys.end(), key) != keys.end()) key = "file:" + name + "#" + std::to_string(n);
                const IndexedItem* known = index_.findByKey(key);
                auto item = std::make_shared<SimItem>(outlook::olContact, known ? known->entryId : client_.newEntryId(),
                                                      known ? known->created : client_.clock().now(), &client_);
                item->setContact(cards[n]);
                if (known) item->userProperties() = known->properties;
                item->setUnReadQuietly(false);
                item->setStorageKey(key);
                client_.registerItem(item);
                contacts->adoptItem(item);
                keys.push_back(key);
                if (!known) record(*item);
            }
        } catch (const std::exception& e) {
            log_("skipped contacts/" + name + ": " + e.what());
        }
    }
}

void SimMailStore::loadAddressBooks() {
    std::error_code ec;
    std::vector<fs::path> books;
    for (fs::directory_iterator it(addressBooksFolder(), ec), end; !ec && it != end; it.increment(ec))
        if (it->is_directory(ec)) books.push_back(it->path());
    std::sort(books.begin(), books.end());
    for (const auto& folder : books) {
        SimAddressBook book{folder.filename().string(), {}};
        std::vector<fs::path> files;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
            if (it->is_regular_file(ec) && text::iequals(it->path().extension().string(), ".vcf")) files.push_back(it->path());
        std::sort(files.begin(), files.end());
        for (const auto& path : files) {
            try {
                for (const auto& card : parseVCards(readFile(path))) {
                    const std::string first = card.emails.empty() ? std::string() : card.emails.front();
                    if (card.isGroup || (card.emails.empty() && card.exchangeName.empty()))
                        book.entries.push_back({card.fullName, "MAPIPDL", "", ""});
                    else if (!card.exchangeName.empty())
                        book.entries.push_back({card.fullName, "EX", card.exchangeName, first});
                    else
                        for (const auto& email : card.emails) book.entries.push_back({card.fullName, "SMTP", email, email});
                }
            } catch (const std::exception& e) {
                log_("skipped addressbooks/" + book.name + "/" + path.filename().string() + ": " + e.what());
            }
        }
        client_.addAddressBook(std::move(book));
    }
}

void SimMailStore::added(SimItem& item, SimFolder& folder) {
    if (isContactsFolder(folder)) {
        if (item.Class() != outlook::olContact) throw storeError("Only contacts can be kept in the Contacts folder.");
        writeContact(item);
        return;
    }
    if (item.Class() == outlook::olContact) throw storeError("Contacts are kept in the Contacts folder only.");
    std::string raw = item.composeRaw();
    auto file = maildir_.addMessage(directoryOf(folder), raw, !item.UnRead());
    files_[file.unique] = file;
    item.setStorageKey(file.unique);
    if (!item.isLocal()) item.setRawLoader(loaderFor(file.unique));
    record(item);
}

void SimMailStore::moved(SimItem& item, SimFolder& from, SimFolder& to) {
    bool fromContacts = isContactsFolder(from), toContacts = isContactsFolder(to);
    if (fromContacts || toContacts) {
        if (fromContacts && toContacts) return;
        throw storeError("Contacts stay in the Contacts folder in this client; delete a contact to remove it.");
    }
    auto it = files_.find(item.storageKey());
    if (it == files_.end()) throw Error(-2147221233, "Microsoft Outlook", "The message has been moved or deleted.");
    it->second = maildir_.moveMessage(it->second, directoryOf(to));
}

void SimMailStore::copied(SimItem& original, SimItem& copy, SimFolder& folder) {
    if (original.Class() == outlook::olContact) throw storeError("Contacts cannot be copied in this client.");
    auto it = files_.find(original.storageKey());
    if (it == files_.end()) throw Error(-2147221233, "Microsoft Outlook", "The message has been moved or deleted.");
    auto file = maildir_.copyMessage(it->second, directoryOf(folder));
    files_[file.unique] = file;
    copy.setStorageKey(file.unique);
    if (!copy.isLocal()) copy.setRawLoader(loaderFor(file.unique));
    record(copy);
}

void SimMailStore::readStateChanged(SimItem& item) {
    auto it = files_.find(item.storageKey());
    if (it == files_.end()) return;  // contacts have no read state on disk
    it->second = maildir_.setSeen(it->second, !item.UnRead());
}

void SimMailStore::saved(SimItem& item) {
    auto it = files_.find(item.storageKey());
    if (it != files_.end() && item.isLocal()) maildir_.replaceMessage(it->second, item.composeRaw());
    record(item);
}

void SimMailStore::removed(SimItem& item) {
    if (item.Class() == outlook::olContact) {
        removeContact(item);
    } else if (auto it = files_.find(item.storageKey()); it != files_.end()) {
        maildir_.removeMessage(it->second);
        files_.erase(it);
    }
    index_.dropItem(item.EntryID());
}

void SimMailStore::writeContact(SimItem& item) {
    VCardContact card = item.contact();
    card.uid = item.EntryID();
    fs::create_directories(contactsFolder());
    writeFileWhole(contactsFolder() / (item.EntryID() + ".vcf"), writeVCard(card));
    item.setContact(card);
    item.setStorageKey("uid:" + card.uid);
    record(item);
}

void SimMailStore::removeContact(SimItem& item) {
    const std::string key = item.storageKey();
    // Find the file and the card's place in it.
    std::string fileName;
    size_t position = 0;
    if (text::startsWith(key, "file:")) {
        size_t hash = key.rfind('#');
        fileName = key.substr(5, hash - 5);
        position = std::stoul(key.substr(hash + 1));
    } else {
        std::error_code ec;
        for (fs::directory_iterator it(contactsFolder(), ec), end; !ec && it != end && fileName.empty(); it.increment(ec)) {
            if (!text::iequals(it->path().extension().string(), ".vcf")) continue;
            auto cards = parseVCards(readFile(it->path()));
            for (size_t n = 0; n < cards.size(); ++n) {
                if ("uid:" + cards[n].uid != key) continue;
                fileName = it->path().filename().string();
                position = n;
                break;
            }
        }
    }
    if (fileName.empty()) return;
    fs::path path = contactsFolder() / fileName;
    std::string text = vcardText(readFile(path));
    auto blocks = vcardBlocks(text);
    if (position >= blocks.size()) return;
    if (blocks.size() == 1) {
        std::error_code ec;
        fs::remove(path, ec);
        if (ec) throw storeError("Cannot remove " + path.string() + ": " + ec.message());
        return;
    }
    text.erase(blocks[position].first, blocks[position].second - blocks[position].first);
    writeFileWhole(path, text);
    // Cards after the removed one moved up a place; their keys follow.
    auto contacts = client_.defaultFolder(outlook::olFolderContacts);
    for (const auto& other : contacts->simItems()->unsorted()) {
        const std::string& otherKey = other->storageKey();
        std::string prefix = "file:" + fileName + "#";
        if (!text::startsWith(otherKey, prefix)) continue;
        size_t n = std::stoul(otherKey.substr(prefix.size()));
        if (n <= position) continue;
        other->setStorageKey(prefix + std::to_string(n - 1));
        record(*other);
    }
}

void SimMailStore::folderCreated(SimFolder& folder) {
    std::string key = directoryOf(folder);
    index_.putFolder(key, folder.EntryID());
    if (!isContactsFolder(folder)) maildir_.ensureFolder(key);
}

void SimMailStore::exchangeUserAdded(const std::string& smtpAddress, const std::string& directoryName) {
    index_.putExchangeUser(smtpAddress, directoryName);
}

}  // namespace tw::sim
