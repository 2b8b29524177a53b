// The simulated mail client as a whole: its stores and default folders, its windows, and the
// controls a test or the host program uses to deliver mail and open or close windows.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Clock.h"
#include "sim/SimAddressLists.h"
#include "sim/FaultInjector.h"
#include "sim/SimOutlook.h"

namespace tw::sim {

class SimMailStore;

/// Without openStore the client keeps everything in memory; with it, every folder, message,
/// contact and change lives in the mail folder on disk as well (see SimMailStore).
class SimMailClient {
public:
    using LogSink = std::function<void(const std::string&)>;

    /// A client with one store "Personal Folders" holding the usual default folders.
    SimMailClient(platform::Clock& clock, std::string version = "10.0.0.4712",
                  std::string storeName = "Personal Folders");
    ~SimMailClient();
    SimMailClient(const SimMailClient&) = delete;
    SimMailClient& operator=(const SimMailClient&) = delete;

    /// Loads the mail store kept in this folder (created when missing) and keeps it up to date
    /// from now on. Files that cannot be loaded are reported to the log sink and skipped. Call it
    /// once, before the add-in connects.
    void openStore(const std::filesystem::path& mailFolder, LogSink log);
    /// The store on disk; nothing while the client keeps its mail in memory only.
    SimMailStore* store() { return store_.get(); }

    std::shared_ptr<SimApplication> application() { return application_; }
    std::shared_ptr<SimNameSpace> nameSpace() { return nameSpace_; }
    std::shared_ptr<SimFolders> stores() { return stores_; }
    std::shared_ptr<SimFolder> defaultFolder(int which) const;
    std::shared_ptr<SimFolder> inbox() const { return defaultFolder(outlook::olFolderInbox); }

    std::string version() const { return version_; }
    void setVersion(std::string v) { version_ = std::move(v); }

    /// Opens an explorer on a folder (the Inbox by default) and raises NewExplorer.
    std::shared_ptr<SimExplorer> openExplorer(std::shared_ptr<SimFolder> folder = nullptr);
    /// Raises the explorer's Close (while it still counts among the open ones), then forgets it.
    void closeExplorer(const std::shared_ptr<SimExplorer>& explorer);
    std::shared_ptr<SimExplorer> activeExplorer() const;

    /// Opens an item window: NewInspector, the item's Read and Open, then the window's Activate.
    std::shared_ptr<SimInspector> openInspector(std::shared_ptr<outlook::Item> item);
    /// Opens an item window that uses Word as its editor (EditorType olEditorWord). Version 9
    /// raises no NewInspector for it and its CommandBars fail (the editor's bars are not the
    /// window's); later versions open it as any other window. It joins Inspectors either way.
    std::shared_ptr<SimInspector> openWordEditorInspector(std::shared_ptr<outlook::Item> item);

    /// What every window's command bars share: the click event of each Tag, the clipboard picture.
    SimCommandBarHub& commandBarHub() { return barHub_; }
    /// The bars the profile keeps between runs (as SimCommandBars::save writes them). A window
    /// opened while an explorer is open copies that explorer's bars; the first one starts from
    /// the client's own bars and these. Written to "commandbars.txt" in the mail folder when a
    /// store is open; updated when an explorer closes and when the client ends.
    const std::string& keptCommandBars() const { return keptBars_; }
    void setKeptCommandBars(std::string text) { keptBars_ = std::move(text); }
    /// Raises the item's Close, then the window's Close (it still counts among the open ones while
    /// both run), then forgets the window.
    void closeInspector(const std::shared_ptr<SimInspector>& inspector);

    std::shared_ptr<SimExplorers> explorers() { return explorers_; }
    std::shared_ptr<SimInspectors> inspectors() { return inspectors_; }
    std::shared_ptr<SimCOMAddIns> comAddIns() { return comAddIns_; }

    /// A new item of the given class, not yet in any folder.
    std::shared_ptr<SimItem> createItem(int itemClass, std::string subject = {});
    /// Delivers a small message with this subject into the Inbox, raising ItemAdd.
    std::shared_ptr<SimItem> deliver(std::string subject);
    /// Delivers an Internet message (RFC 5322 text) into a folder (the Inbox by default), raising
    /// ItemAdd. Raises Error for an empty or binary input; anything else arrives as well as it reads.
    std::shared_ptr<SimItem> deliverMessage(std::string raw, std::shared_ptr<SimFolder> folder = nullptr);
    std::shared_ptr<SimItem> deliverFile(const std::filesystem::path& file, std::shared_ptr<SimFolder> folder = nullptr);
    /// The client raises no ItemAdd when more than this many items arrive in one go.
    static constexpr int kItemAddBatchLimit = 16;
    /// Changes that limit for this client (a test that wants events for a large batch, or none at all).
    void setItemAddBatchLimit(int limit) { itemAddBatchLimit_ = limit; }
    /// Delivers Internet messages into a folder (the Inbox by default) in one go, in order. ItemAdd
    /// fires for each only when the batch is no larger than the limit. Raises Error, delivering
    /// nothing, when any input is empty or binary.
    std::vector<std::shared_ptr<SimItem>> deliverBatch(const std::vector<std::string>& raws,
                                                       std::shared_ptr<SimFolder> folder = nullptr);
    /// A contact in the Contacts folder (written as a vCard when a store is open).
    std::shared_ptr<SimItem> addContact(const std::string& fullName, const std::vector<std::string>& emails);

    /// An address book of the profile besides Contacts (the store loads those under addressbooks/).
    /// Two books may share a name, as two server lists can.
    void addAddressBook(SimAddressBook book) { addressBooks_.push_back(std::move(book)); }
    /// The profile's address lists in order: the Contacts list (named as the Contacts folder, one
    /// SMTP entry per e-mail address of a contact), then the books in the order they were added.
    std::vector<SimAddressBook> addressLists() const;
    /// The same lists as the safe mail library gives them. The library keeps its own order, which
    /// need not be the object model's: a test sets it as the object model's places (1-based) in the
    /// library's order; a place left out is a book the library does not list. Empty: the same order.
    std::vector<SimAddressBook> safeAddressLists() const;
    void setSafeAddressListOrder(std::vector<int> places) { safeListOrder_ = std::move(places); }

    /// Makes an address belong to a user of the Exchange directory: its entries become "EX" with
    /// this directory name ("/o=Org/ou=Site/cn=Recipients/cn=jsmith").
    void addExchangeUser(const std::string& smtpAddress, const std::string& directoryName);
    void rememberExchangeUser(const std::string& smtpAddress, const std::string& directoryName);
    ResolvedAddress resolve(const MailAddress& who) const;

    /// The user of the profile, the sender of what is written here.
    MailAddress user() const { return user_; }
    void setUser(MailAddress user) { user_ = std::move(user); }

    /// Send: the message waits in the Outbox until deliverOutbox.
    void submit(SimItem& item);
    /// The transport: moves every submitted message from the Outbox to Sent Items.
    void deliverOutbox();
    /// Every message the transport sent, as Internet text, in order.
    const std::vector<std::string>& sentMessages() const { return sent_; }
    /// Told of each message the transport sends, as Internet text (the host keeps a copy on disk).
    void setSentObserver(std::function<void(const std::string&)> observer) { sentObserver_ = std::move(observer); }

    /// The item or folder of an identifier (any case) in the store of that identifier (any store
    /// when empty); nothing when it is in no folder any more.
    std::shared_ptr<SimItem> findItem(const std::string& entryId, const std::string& storeId);
    std::shared_ptr<SimFolder> findFolder(const std::string& entryId, const std::string& storeId);
    void registerItem(const std::shared_ptr<SimItem>& item);
    void folderCreated(SimFolder& folder);

    /// Failures armed by name: "Save", "Move", "Copy", "Delete", "Send", "GetItemFromID", "Find",
    /// "FoldersAdd", "AddressEntries"; a target is the item's entry identifier or subject, the filter
    /// text, or the address book's name.
    FaultInjector& faults() { return faults_; }

    /// What PickFolder answers (nothing = the user cancels).
    void setPickFolderAnswer(std::shared_ptr<SimFolder> folder) { pickAnswer_ = std::move(folder); }
    std::shared_ptr<SimFolder> pickFolderAnswer() const { return pickAnswer_; }

    std::string newEntryId();
    uint64_t nextIdValue() const { return nextId_; }
    /// Identifiers from now on start at next or above (a store remembers what it handed out).
    void raiseNextId(uint64_t next);
    platform::Clock& clock() { return clock_; }

private:
    platform::Clock& clock_;
    std::string version_;
    uint64_t nextId_ = 1;
    MailAddress user_{"Demo User", "demo@example.invalid"};
    FaultInjector faults_;
    std::unique_ptr<SimMailStore> store_;
    std::unordered_map<std::string, std::weak_ptr<SimItem>> itemsById_;
    std::map<std::string, std::string> exchangeDirectory_;
    std::vector<std::string> sent_;
    std::vector<SimAddressBook> addressBooks_;
    std::vector<int> safeListOrder_;
    std::function<void(const std::string&)> sentObserver_;
    std::shared_ptr<SimApplication> application_;
    std::shared_ptr<SimNameSpace> nameSpace_;
    std::shared_ptr<SimFolders> stores_;
    std::map<int, std::shared_ptr<SimFolder>> defaults_;
    std::shared_ptr<SimExplorers> explorers_;
    std::shared_ptr<SimInspectors> inspectors_;
    std::shared_ptr<SimCOMAddIns> comAddIns_;
    std::shared_ptr<SimFolder> pickAnswer_;
    SimCommandBarHub barHub_;
    std::string keptBars_;
    std::filesystem::path barsFile_;

    int itemAddBatchLimit_ = kItemAddBatchLimit;

    std::shared_ptr<SimCommandBars> newWindowBars();
    /// Puts a parsed message into the folder (and the store on disk) without any event.
    std::shared_ptr<SimItem> receive(std::string raw, const std::shared_ptr<SimFolder>& folder);
    std::shared_ptr<SimInspector> showInspector(std::shared_ptr<SimInspector> inspector, bool announce);
    void keepCommandBars(const SimCommandBars& bars);
};

}  // namespace tw::sim
