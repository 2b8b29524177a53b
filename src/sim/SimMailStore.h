// The simulated client's mail store on disk: a Maildir++ tree of messages, vCard contacts and the
// index beside them, kept in step with every change made through the client.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "sim/MaildirStore.h"
#include "sim/StoreIndex.h"

namespace tw::sim {

class SimFolder;
class SimItem;
class SimMailClient;

/// Layout under the mail folder: the Maildir++ folders (see MaildirStore), contacts/*.vcf for the
/// Contacts folder (one card per file when written here; files holding many cards, as an address
/// book exports them, are read too), addressbooks/NAME/*.vcf for the profile's other address
/// books (read only; see loadAddressBooks), and the index tarnwick-index.tsv with its journal.
///
/// Broken input is normal input: an empty file, a binary file or a contact file that holds no card
/// is skipped with a log line; a message without headers or with a broken MIME structure is loaded
/// as well as it can be. One bad file never keeps the others from loading.
class SimMailStore {
public:
    using LogSink = std::function<void(const std::string&)>;

    SimMailStore(SimMailClient& client, std::filesystem::path root, LogSink log);
    ~SimMailStore();
    SimMailStore(const SimMailStore&) = delete;
    SimMailStore& operator=(const SimMailStore&) = delete;

    /// Loads the folders, messages and contacts into the client, raising no ItemAdd.
    void open();
    /// Writes the index whole; the journal is empty afterwards.
    void flush();

    // Called by the client's objects after they checked a change and before they make it, so a
    // change the disk refuses raises and changes nothing.
    void added(SimItem& item, SimFolder& folder);
    void moved(SimItem& item, SimFolder& from, SimFolder& to);
    void copied(SimItem& original, SimItem& copy, SimFolder& folder);
    void readStateChanged(SimItem& item);
    void saved(SimItem& item);
    void removed(SimItem& item);
    void folderCreated(SimFolder& folder);
    void exchangeUserAdded(const std::string& smtpAddress, const std::string& directoryName);
    void idIssued(uint64_t next) { index_.setNextId(next); }

    const StoreIndex& index() const { return index_; }
    MaildirStore& maildir() { return maildir_; }
    std::filesystem::path contactsFolder() const { return root_ / "contacts"; }
    std::filesystem::path addressBooksFolder() const { return root_ / "addressbooks"; }

private:
    bool isContactsFolder(const SimFolder& folder) const;
    std::string directoryOf(const SimFolder& folder) const;
    void record(SimItem& item);
    std::function<std::string()> loaderFor(const std::string& key);
    void assignFolderIds();
    void loadFolder(const std::string& directory, std::vector<std::string>& keys);
    void loadContacts(std::vector<std::string>& keys);
    /// Each folder under addressbooks/ is one book named as the folder, its cards in file order:
    /// a card's EMAIL addresses are "SMTP" entries; a card with X-TARNWICK-EX is one "EX" entry
    /// whose address is that directory name and whose SMTP address is its first EMAIL; a group card
    /// (KIND:group) or a card without any address is a distribution list ("MAPIPDL", no address).
    void loadAddressBooks();
    void removeContact(SimItem& item);
    void writeContact(SimItem& item);

    SimMailClient& client_;
    std::filesystem::path root_;
    LogSink log_;
    MaildirStore maildir_;
    StoreIndex index_;
    std::unordered_map<std::string, MaildirStore::File> files_;
    // Lets the loaders handed to items notice that the store has gone.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace tw::sim
