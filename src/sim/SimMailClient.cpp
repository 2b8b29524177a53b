// The simulated mail client's store layout and window controls.
#include "sim/SimMailClient.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "core/Error.h"
#include "core/Text.h"
#include "sim/DurableFile.h"
#include "sim/SimMailStore.h"

namespace tw::sim {

SimMailClient::SimMailClient(platform::Clock& clock, std::string version, std::string storeName)
    : clock_(clock), version_(std::move(version)) {
    application_ = std::make_shared<SimApplication>(*this);
    nameSpace_ = std::make_shared<SimNameSpace>(*this);
    stores_ = std::make_shared<SimFolders>(*this, std::weak_ptr<SimFolder>());
    explorers_ = std::make_shared<SimExplorers>();
    inspectors_ = std::make_shared<SimInspectors>();
    comAddIns_ = std::make_shared<SimCOMAddIns>();

    std::string storeId = "0000000038A1BB1005E5101AA1BB08002B2A56C20000" + newEntryId();
    auto root = std::make_shared<SimFolder>(*this, storeName, newEntryId(), storeId, std::weak_ptr<SimFolder>());
    stores_->adopt(root);
    const std::pair<int, const char*> defaults[] = {
        {outlook::olFolderInbox, "Inbox"},         {outlook::olFolderSentMail, "Sent Items"},
        {outlook::olFolderDeletedItems, "Deleted Items"}, {outlook::olFolderOutbox, "Outbox"},
        {outlook::olFolderDrafts, "Drafts"},       {outlook::olFolderContacts, "Contacts"},
        {outlook::olFolderCalendar, "Calendar"},   {outlook::olFolderTasks, "Tasks"},
    };
    for (const auto& [which, name] : defaults) defaults_[which] = root->subfolder(name);
    defaults_[outlook::olFolderContacts]->setDefaultItemType(outlook::olContactItem);
    defaults_[outlook::olFolderCalendar]->setDefaultItemType(outlook::olAppointmentItem);
    defaults_[outlook::olFolderTasks]->setDefaultItemType(outlook::olTaskItem);
}

SimMailClient::~SimMailClient() {
    // The client ends: whatever bars its last window had are what the profile keeps.
    try {
        if (auto active = activeExplorer(); active && active->bars()) keepCommandBars(*active->bars());
    } catch (...) {
    }
}

std::shared_ptr<SimCommandBars> SimMailClient::newWindowBars() {
    auto bars = std::make_shared<SimCommandBars>(barHub_);
    if (auto active = activeExplorer(); active && active->bars()) {
        bars->load(active->bars()->save(false));
    } else {
        bars->addBuiltInBars();
        bars->load(keptBars_);
    }
    return bars;
}

void SimMailClient::keepCommandBars(const SimCommandBars& bars) {
    keptBars_ = bars.save(true);
    if (barsFile_.empty()) return;
    try {
        writeFileDurably(barsFile_, temporaryBeside(barsFile_), keptBars_);
    } catch (const std::filesystem::filesystem_error&) {
        // As the client does with its toolbar file: the bars stay kept for this run and the last
        // file that was written whole serves the next.
    }
}

void SimMailClient::openStore(const std::filesystem::path& mailFolder, LogSink log) {
    if (store_) throw Error(-2147467259, "Tarnwick mail store", "The mail store is open already.");
    auto store = std::make_unique<SimMailStore>(*this, mailFolder, std::move(log));
    store->open();
    // Only now: while loading, the new folders and items are the store's own doing.
    store_ = std::move(store);
    barsFile_ = mailFolder / "commandbars.txt";
    std::ifstream in(barsFile_, std::ios::binary);
    if (in) keptBars_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::shared_ptr<SimFolder> SimMailClient::defaultFolder(int which) const {
    auto it = defaults_.find(which);
    return it == defaults_.end() ? nullptr : it->second;
}

std::string SimMailClient::newEntryId() {
    char buf[40];
    std::snprintf(buf, sizeof buf, "00000000A5F0%012llX", static_cast<unsigned long long>(nextId_++));
    if (store_) store_->idIssued(nextId_);
    return buf;
}

void SimMailClient::raiseNextId(uint64_t next) { nextId_ = std::max(nextId_, next); }

std::shared_ptr<SimExplorer> SimMailClient::openExplorer(std::shared_ptr<SimFolder> folder) {
    auto explorer = std::make_shared<SimExplorer>(folder ? folder : inbox());
    explorer->setBars(newWindowBars());
    explorers_->open_.push_back(explorer);
    explorers_->newExplorer_.raise(explorer);
    return explorer;
}

void SimMailClient::closeExplorer(const std::shared_ptr<SimExplorer>& explorer) {
    auto& open = explorers_->open_;
    if (std::find(open.begin(), open.end(), explorer) == open.end()) return;
    explorer->Close().raise();
    if (explorer->bars()) keepCommandBars(*explorer->bars());
    open.erase(std::remove(open.begin(), open.end(), explorer), open.end());
}

std::shared_ptr<SimExplorer> SimMailClient::activeExplorer() const {
    return explorers_->open_.empty() ? nullptr : explorers_->open_.back();
}

std::shared_ptr<SimInspector> SimMailClient::openInspector(std::shared_ptr<outlook::Item> item) {
    return showInspector(std::make_shared<SimInspector>(std::move(item)), true);
}

std::shared_ptr<SimInspector> SimMailClient::openWordEditorInspector(std::shared_ptr<outlook::Item> item) {
    auto inspector = std::make_shared<SimInspector>(std::move(item));
    const bool version9 = text::startsWith(version_, "9.");
    inspector->useWordEditor(version9);
    return showInspector(std::move(inspector), !version9);
}

std::shared_ptr<SimInspector> SimMailClient::showInspector(std::shared_ptr<SimInspector> inspector, bool announce) {
    // A mail window has bars of its own, apart from the explorers'.
    auto bars = std::make_shared<SimCommandBars>(barHub_);
    bars->addBuiltInBars();
    inspector->setBars(bars);
    inspectors_->open_.push_back(inspector);
    if (announce) inspectors_->newInspector_.raise(inspector);
    // The item is shown and opened in the window, then the window comes up in front.
    auto& events = inspector->CurrentItem()->Events();
    events.Read().raise();
    events.Open().raise();
    inspector->Activate().raise();
    return inspector;
}

void SimMailClient::closeInspector(const std::shared_ptr<SimInspector>& inspector) {
    auto& open = inspectors_->open_;
    if (std::find(open.begin(), open.end(), inspector) == open.end()) return;
    // The item closes first, while its window still counts among the open ones.
    inspector->CurrentItem()->Events().Close().raise();
    inspector->Close().raise();
    open.erase(std::remove(open.begin(), open.end(), inspector), open.end());
}

std::shared_ptr<SimItem> SimMailClient::createItem(int itemClass, std::string subject) {
    auto item = std::make_shared<SimItem>(itemClass, newEntryId(), clock_.now(), this);
    if (!subject.empty()) item->setSubject(subject);
    registerItem(item);
    return item;
}

std::shared_ptr<SimItem> SimMailClient::deliver(std::string subject) {
    ComposedMessage message;
    message.from = {"", "sender@example.invalid"};
    message.recipients = {{user_, outlook::olTo}};
    message.subject = std::move(subject);
    message.date = clock_.now();
    return deliverMessage(composeMessage(message));
}

std::shared_ptr<SimItem> SimMailClient::deliverMessage(std::string raw, std::shared_ptr<SimFolder> folder) {
    if (!folder) folder = inbox();
    auto item = receive(std::move(raw), folder);
    folder->simItems()->ItemAdd().raise(item);
    return item;
}

std::vector<std::shared_ptr<SimItem>> SimMailClient::deliverBatch(const std::vector<std::string>& raws,
                                                                  std::shared_ptr<SimFolder> folder) {
    if (!folder) folder = inbox();
    for (const auto& raw : raws)
        if (classifyRaw(raw) != RawKind::Message)
            throw Error(-2147024809, "Tarnwick mail store", "The batch holds an input that is not a mail message.");
    std::vector<std::shared_ptr<SimItem>> items;
    for (const auto& raw : raws) items.push_back(receive(raw, folder));
    if (static_cast<int>(items.size()) <= itemAddBatchLimit_)
        for (const auto& item : items) folder->simItems()->ItemAdd().raise(item);
    return items;
}

std::shared_ptr<SimItem> SimMailClient::receive(std::string raw, const std::shared_ptr<SimFolder>& folder) {
    RawKind kind = classifyRaw(raw);
    if (kind != RawKind::Message)
        throw Error(-2147024809, "Tarnwick mail store",
                    kind == RawKind::Empty ? "The message is empty." : "The input is not a mail message (binary content).");
    MessageHeaders headers = parseHeaders(raw);
    int itemClass = text::startsWith(text::lower(headers.messageClass), "ipm.schedule.meeting") ? outlook::olMeetingRequest
                                                                                                 : outlook::olMail;
    auto item = createItem(itemClass);
    auto shared = std::make_shared<const std::string>(std::move(raw));
    item->setReceived(std::move(headers), [shared] { return *shared; });
    if (store_) store_->added(*item, *folder);
    folder->adoptItem(item);
    return item;
}

std::shared_ptr<SimItem> SimMailClient::deliverFile(const std::filesystem::path& file, std::shared_ptr<SimFolder> folder) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw Error(53, "Tarnwick mail store", "Cannot read " + file.string() + ".");
    std::stringstream ss;
    ss << in.rdbuf();
    return deliverMessage(ss.str(), std::move(folder));
}

std::shared_ptr<SimItem> SimMailClient::addContact(const std::string& fullName, const std::vector<std::string>& emails) {
    auto item = createItem(outlook::olContact);
    item->setContact(VCardContact{fullName, emails, "", "", false});
    item->setUnReadQuietly(false);
    auto contacts = defaultFolder(outlook::olFolderContacts);
    if (store_) store_->added(*item, *contacts);
    contacts->addItem(item);
    return item;
}

std::vector<SimAddressBook> SimMailClient::addressLists() const {
    std::vector<SimAddressBook> lists;
    if (auto contacts = defaultFolder(outlook::olFolderContacts)) {
        SimAddressBook list{contacts->Name(), {}};
        for (const auto& item : contacts->simItems()->unsorted())
            for (const auto& email : item->contact().emails) list.entries.push_back({item->contact().fullName, "SMTP", email, email});
        lists.push_back(std::move(list));
    }
    lists.insert(lists.end(), addressBooks_.begin(), addressBooks_.end());
    return lists;
}

std::vector<SimAddressBook> SimMailClient::safeAddressLists() const {
    auto lists = addressLists();
    if (safeListOrder_.empty()) return lists;
    std::vector<SimAddressBook> ordered;
    for (int place : safeListOrder_)
        if (place >= 1 && static_cast<size_t>(place) <= lists.size()) ordered.push_back(lists[static_cast<size_t>(place - 1)]);
    return ordered;
}

void SimMailClient::addExchangeUser(const std::string& smtpAddress, const std::string& directoryName) {
    rememberExchangeUser(smtpAddress, directoryName);
    if (store_) store_->exchangeUserAdded(smtpAddress, directoryName);
}

void SimMailClient::rememberExchangeUser(const std::string& smtpAddress, const std::string& directoryName) {
    exchangeDirectory_[text::lower(smtpAddress)] = directoryName;
}

ResolvedAddress SimMailClient::resolve(const MailAddress& who) const {
    std::string name = who.name.empty() ? who.address : who.name;
    auto it = exchangeDirectory_.find(text::lower(who.address));
    if (it != exchangeDirectory_.end()) return {name, "EX", it->second, who.address};
    return {name, "SMTP", who.address, who.address};
}

void SimMailClient::submit(SimItem& item) {
    auto outbox = defaultFolder(outlook::olFolderOutbox);
    item.setSubmitted(true);
    item.setUnReadQuietly(false);
    item.setReceivedTime(clock_.now());
    item.Move(*outbox);
}

void SimMailClient::deliverOutbox() {
    auto outbox = defaultFolder(outlook::olFolderOutbox);
    auto sentFolder = defaultFolder(outlook::olFolderSentMail);
    std::vector<std::shared_ptr<SimItem>> waiting;
    for (const auto& item : outbox->simItems()->unsorted())
        if (item->submitted()) waiting.push_back(item);
    for (const auto& item : waiting) {
        sent_.push_back(item->composeRaw());
        if (sentObserver_) sentObserver_(sent_.back());
        item->setSubmitted(false);
        item->Move(*sentFolder);
    }
}

void SimMailClient::registerItem(const std::shared_ptr<SimItem>& item) { itemsById_[text::upper(item->EntryID())] = item; }

std::shared_ptr<SimItem> SimMailClient::findItem(const std::string& entryId, const std::string& storeId) {
    auto it = itemsById_.find(text::upper(entryId));
    if (it == itemsById_.end()) return nullptr;
    auto item = it->second.lock();
    if (!item) return nullptr;
    auto folder = item->parentFolder();
    if (!folder || (!storeId.empty() && !text::iequals(folder->StoreID(), storeId))) return nullptr;
    return item;
}

std::shared_ptr<SimFolder> SimMailClient::findFolder(const std::string& entryId, const std::string& storeId) {
    std::shared_ptr<SimFolder> found;
    std::function<void(const std::shared_ptr<SimFolder>&)> visit = [&](const std::shared_ptr<SimFolder>& folder) {
        if (found) return;
        if (text::iequals(folder->EntryID(), entryId) && (storeId.empty() || text::iequals(folder->StoreID(), storeId))) {
            found = folder;
            return;
        }
        for (const auto& child : folder->simFolders()->all()) visit(child);
    };
    for (const auto& top : stores_->all()) visit(top);
    return found;
}

void SimMailClient::folderCreated(SimFolder& folder) {
    if (store_) store_->folderCreated(folder);
}

}  // namespace tw::sim
