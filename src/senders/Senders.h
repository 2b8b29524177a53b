// The user's own sender lists: loaded from their files, refreshed when the files change, written
// at every change, and the answers the mail filter and the approve/block commands ask of them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/KeyedSet.h"
#include "diag/CErrorHandler.h"
#include "engineapi/Bounce.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/Outlook.h"
#include "platform/SafeMail.h"
#include "senders/ListFile.h"
#include "senders/MessageReader.h"
#include "settings/RegistryAccess.h"
#include "settings/Settings.h"

namespace tw::senders {

/// The list file names in the data folder.
inline constexpr const char* kBlockedFile = "Junk Senders.txt";
inline constexpr const char* kApprovedFile = "Exception List.txt";
inline constexpr const char* kAdultFile = "Adult Content Senders.txt";
inline constexpr const char* kMyAddressesFile = "tarnwickme.txt";
inline constexpr const char* kMailingListsFile = "tarnwickml.txt";
inline constexpr const char* kIgnoredFile = "tarnwickignored.txt";

/// What the lists need of the rest of the add-in; every reference outlives the Senders object.
struct SendersContext {
    platform::FileSystem& files;
    platform::Clock& clock;
    diag::CErrorHandler& log;
    /// Read at every use: bounceSpam, nospamengine, blocked_countries_tld, blockedCountries.
    const settings::Settings& settings;
    /// Where exclusive mode is stored.
    settings::SettingsKey settingsKey;
    /// The per-user data folder the list files live in.
    std::string dataFolder;
    /// The name space kept at start-up, for the Contacts folder; none means no contacts.
    std::shared_ptr<outlook::NameSpace> nameSpace;
    /// Reads headers, bodies and senders of messages; none means messages cannot be read.
    MessageReader* content = nullptr;
    engineapi::Bounce engine;
    /// A decision looks at the file times only when this many seconds passed since the last look
    /// (0: before every decision). Changes, getters and updateCachedLists always look.
    double decisionRefreshSeconds = 1.0;
    /// Creates the safe mail library's address lists for the import; none: address books read
    /// through the safe route cannot be read.
    safemail::SafeMail* safeMail = nullptr;
    /// Address books are read through the object model (the client of the first supported generation
    /// in its Internet-only mode, which shows no security prompt) rather than the safe mail library.
    bool importThroughObjectModel = false;
};

/// An importable address book: its place among the profile's address lists (1-based), which tells
/// it apart from another book of the same name, and its name.
struct ImportBook {
    int32_t position = 0;
    std::string name;
};

/// The count an address-book reader answers for a book it could not read.
inline constexpr int32_t kImportFailed = -1;
/// The count a reader answers when it cannot be sure its list's book is the one chosen (the two
/// lists disagree about the book's name or how many books carry it): nothing is imported.
inline constexpr int32_t kImportMismatch = -2;

/// One list held in memory with its file and the file time it was last read or written at.
struct SenderList {
    KeyedSet entries;
    std::string path;
    std::string lastModified;
    /// Whether the entries in memory stand for the file: it was read (with something in it usable),
    /// written, or created empty. Until then a save would write over entries only the file holds.
    bool fileRead = false;
};

/// All work runs on the mail client's user-interface thread. Operations that touch files, the mail
/// client or the engine trap their errors, log them under their own name and return false, 0 or
/// nothing; the plain membership tests and the count do not trap.
/// Why the sender lists keep or block a sender, and the entry that decided.
struct SenderDecision {
    enum class Why {
        none,             ///< nothing decided: the message is scored
        blockedAddress,   ///< the address is a blocked (or adult-content) sender
        blockedCountry,   ///< the address ends in a blocked country's code (entry: the code)
        blockedDomain,    ///< a blocked domain entry matched (entry: that entry)
        approvedDomain,   ///< an approved domain entry matched
        approvedAddress,  ///< the address is an approved sender
        contact,          ///< the address is one of a contact's
        exclusive,        ///< exclusive mode blocks every sender not approved
    };
    Why why = Why::none;
    std::string entry;

    bool blocks() const { return why == Why::blockedAddress || why == Why::blockedCountry || why == Why::blockedDomain || why == Why::exclusive; }
    bool approves() const { return why == Why::approvedDomain || why == Why::approvedAddress || why == Why::contact; }
};

class Senders {
public:
    using Entries = std::vector<std::string>;
    using Items = std::vector<std::shared_ptr<outlook::Item>>;

    /// Loads all six lists, creating missing files empty; failures are logged as "SenderInitialize".
    explicit Senders(SendersContext context);
    /// Empties the lists; nothing is written.
    ~Senders();
    Senders(const Senders&) = delete;
    Senders& operator=(const Senders&) = delete;

    // Reading the files.
    /// Adds every entry of a list file to the set; raises when the file cannot be read.
    void getSendersFromFile(const std::string& path, KeyedSet& dictionary);
    /// Re-reads a list whose file time changed; creates a missing file empty. A file that cannot be
    /// read leaves the list as it was and is read again at the next refresh.
    void updateCachedList(SenderList& list);
    /// Refreshes blocked, approved and adult-content senders, in that order.
    void updateCachedLists();

    // The sender decision.
    /// What the lists, the country rule, Contacts and exclusive mode make of this lower-case
    /// address (of this domain), and the entry that decided. Raises when a list cannot be read.
    SenderDecision decide(const std::string& address, const std::string& domain);
    /// Whether mail from this lower-case address (of this domain) is blocked; `approved` tells
    /// whether an approving entry or a contact decided. False when anything fails. Files changed
    /// by another program count from the first decision a refresh interval after the last look.
    bool isBlocked(const std::string& address, const std::string& domain, bool& approved);
    /// Whether any e-mail address of a contact in the default Contacts folder is this address.
    bool isEmailAddressInContacts(const std::string& strAddress);
    bool isApprovedSender(const std::string& address) const { return approved_.entries.Exists(address); }
    bool isIgnoredSender(const std::string& address) const { return ignored_.entries.Exists(address); }
    bool exclusive() const { return exclusive_; }
    void setExclusive(bool exclusive) { exclusive_ = exclusive; }

    // Recipients.
    /// Mode false: one of my addresses. Mode true: a mailing-list address.
    bool isSingleRecipientToMe(const std::string& address, bool mailingListMode) const;
    bool isRecipientToMe(const KeyedSet& addresses, bool mailingListMode) const;
    int32_t getToMeCount() const { return static_cast<int32_t>(myAddresses_.entries.Count()); }

    // The lists, sorted.
    Entries getBlockedSenders();
    Entries getApprovedSenders();
    Entries getIgnoredSenders();
    Entries getToMe();
    Entries getMailingList();

    // Changes; each writes the changed list's file at once.
    /// Adds the entries absent from blocked senders and takes them off approved senders. With
    /// messages (items aligned with entries) each new entry is reported to the engine and, when
    /// bouncing is on, its message bounced. Returns the number added.
    int32_t AddBlockedSenders(const Entries& entries, bool& removedFromOther, bool withMessages, const Items& items);
    /// As AddBlockedSenders, the other way round; nothing is bounced.
    int32_t AddApprovedSenders(const Entries& entries, bool& removedFromOther, bool withMessages, const Items& items);
    int32_t AddIgnoredSenders(const Entries& entries);
    int32_t AddMeTo(const Entries& entries);
    int32_t AddMailingList(const Entries& entries);

    void DeleteBlockedSenders(const Entries& entries);
    void DeleteApprovedSenders(const Entries& entries);
    void DeleteIgnoredSenders(const Entries& entries);
    void DeleteToMe(const Entries& entries);
    void DeleteMailingList(const Entries& entries);

    /// Replaces an entry (an absent old entry changes nothing) and takes the new one off the other list.
    void EditBlocked(const std::string& oldEntry, const std::string& newEntry, bool& removedFromOther);
    void EditApprovedSender(const std::string& oldEntry, const std::string& newEntry, bool& removedFromOther);
    void EditIgnoredSender(const std::string& oldEntry, const std::string& newEntry);
    void EditToMe(const std::string& oldEntry, const std::string& newEntry);
    void EditMailingList(const std::string& oldEntry, const std::string& newEntry);

    /// Writes a list's file and remembers the new file time. False when the file could not be written,
    /// or when its list could never be read from it: the file is then left as it is.
    bool SaveDictionary(SenderList& list);

    // The address-book import.
    /// The profile's address books except the one named as the Contacts folder (whose senders are
    /// approved anyway), in the profile's order; empty when none or on error ("getImportList Error").
    std::vector<ImportBook> getImportList();
    /// Adds the addresses of this book (its place and name in the object model's list) to the approved
    /// senders, read by the reader this client needs; the number newly approved, kImportFailed when
    /// the book could not be read, or kImportMismatch when the reader's list does not agree.
    int32_t ImportAddressBook(const ImportBook& book, bool approved);
    /// The object-model reader: every entry's address (lower-cased, empty ones skipped).
    int32_t OldImportAddressBook(const ImportBook& book, bool approved);
    /// The safe reader: an "SMTP" entry's address, any other entry's SMTP address property. Its
    /// list is matched to the object model's by name and by place among the books of that name.
    int32_t safeImportAddressBook(const ImportBook& book, bool approved);

    // The engine's address store and bounce.
    void AddPreviousTo(const KeyedSet& addresses);
    /// Adds the addresses the engine does not know as from-addresses; returns how many.
    int32_t AddPreviousFrom(const KeyedSet& addresses);
    /// Whether the engine knows the address as a from-address.
    bool ispf(const std::string& address);
    /// Bounces a blocked message to its sender when bouncing is on and the sender is not the user.
    void bounceMessage(const std::shared_ptr<outlook::Item>& item);

    const SenderList& blockedSenders() const { return blocked_; }
    const SenderList& approvedSenders() const { return approved_; }
    const SenderList& adultSenders() const { return adult_; }
    const SenderList& myAddresses() const { return myAddresses_; }
    const SenderList& mailingLists() const { return mailingLists_; }
    const SenderList& ignoredSenders() const { return ignored_; }

private:
    int32_t addSenders(SenderList& list, SenderList& other, bool blocking, const Entries& entries,
                       bool& removedFromOther, bool withMessages, const Items& items, const char* procedure);
    int32_t addEntries(SenderList& list, const Entries& entries, const char* procedure);
    void deleteEntries(SenderList& list, const Entries& entries, const char* procedure);
    void editSenders(SenderList& list, SenderList& other, const std::string& oldEntry, const std::string& newEntry,
                     bool& removedFromOther, const char* procedure);
    void editEntry(SenderList& list, const std::string& oldEntry, const std::string& newEntry, const char* procedure);
    int32_t refuseImport(const ImportBook& book, const std::string& why);
    int32_t approveImported(const Entries& addresses, bool approved);
    Entries sortedAfterRefresh(const SenderList& list, const char* procedure);
    std::string fileTime(const std::string& path);
    /// Reads a list file into the set, saying in the log which lines it skipped; raises when unreadable.
    SkippedLines readListInto(const std::string& path, KeyedSet& dictionary);
    /// Before the first save of a list whose file was never read: reads it and keeps what memory adds.
    bool readBeforeWriting(SenderList& list);
    void refreshForDecision();
    bool engineDisabled() const { return context_.settings.nospamengine == 1; }

    SendersContext context_;
    SenderList blocked_, approved_, adult_, myAddresses_, mailingLists_, ignored_;
    bool exclusive_ = false;
    OleDate lastLook_;
    bool looked_ = false;
};

}  // namespace tw::senders
