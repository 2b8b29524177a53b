// Loading, refreshing, judging and changing the sender lists.
#include "senders/Senders.h"

#include <cmath>

#include "core/Error.h"
#include "core/Text.h"
#include "senders/DomainWalk.h"
#include "senders/ListFile.h"
#include "settings/SettingsLoader.h"

namespace tw::senders {

namespace {

constexpr long kEntryMissing = 32811;

std::string pathIn(const std::string& folder, const char* name) { return folder + "\\" + name; }

[[noreturn]] void entryMissing(const std::string& entry) {
    throw Error(kEntryMissing, "Senders", "Element not found: " + entry);
}

}  // namespace

Senders::Senders(SendersContext context) : context_(std::move(context)) {
    const std::string& folder = context_.dataFolder;
    blocked_.path = pathIn(folder, kBlockedFile);
    approved_.path = pathIn(folder, kApprovedFile);
    adult_.path = pathIn(folder, kAdultFile);
    myAddresses_.path = pathIn(folder, kMyAddressesFile);
    mailingLists_.path = pathIn(folder, kMailingListsFile);
    ignored_.path = pathIn(folder, kIgnoredFile);
    try {
        exclusive_ = settings::readExclusive(context_.settingsKey);
        updateCachedLists();
        updateCachedList(myAddresses_);
        updateCachedList(mailingLists_);
        updateCachedList(ignored_);
    } catch (...) {
        context_.log.logError("SenderInitialize");
    }
}

Senders::~Senders() {
    blocked_.entries.RemoveAll();
    approved_.entries.RemoveAll();
    adult_.entries.RemoveAll();
}

void Senders::getSendersFromFile(const std::string& path, KeyedSet& dictionary) { readListInto(path, dictionary); }

SkippedLines Senders::readListInto(const std::string& path, KeyedSet& dictionary) {
    SkippedLines skipped = parseListFile(context_.files.readAll(path), dictionary);
    if (!skipped.lines.empty())
        context_.log.LogSeriousErrorMessage("getSendersFromFile: " + path + ": skipped " + skipped.describe() +
                                            ", which are not addresses or domains");
    return skipped;
}

bool Senders::readBeforeWriting(SenderList& list) {
    try {
        if (!context_.files.fileExists(list.path)) return true;
        KeyedSet fresh;
        SkippedLines skipped = readListInto(list.path, fresh);
        if (fresh.Count() == 0 && !skipped.lines.empty()) return false;
        for (const std::string& key : list.entries.Keys()) fresh.insert(key);
        list.entries = std::move(fresh);
        return true;
    } catch (...) {
        return false;
    }
}

std::string Senders::fileTime(const std::string& path) { return std::to_string(context_.files.lastModified(path)); }

void Senders::updateCachedList(SenderList& list) {
    try {
        auto& files = context_.files;
        std::string time;
        // One file-system call in the usual case: the time of a file that is there.
        try {
            time = fileTime(list.path);
        } catch (...) {
            if (files.fileExists(list.path)) throw;
            files.append(list.path, "");
            list.lastModified = fileTime(list.path);
            list.fileRead = true;
            return;
        }
        if (time == list.lastModified) return;
        // Read into a new set so that a file that cannot be read never empties the list in memory:
        // the next save would otherwise write the empty list over the user's file.
        KeyedSet fresh;
        SkippedLines skipped = readListInto(list.path, fresh);
        // A file of nothing but unusable lines is not taken for an empty list, which a save would write over it.
        bool usable = fresh.Count() != 0 || skipped.lines.empty();
        if (!list.fileRead) {
            // What was added while the file could not be read joins what the file holds.
            for (const std::string& key : list.entries.Keys()) fresh.insert(key);
            list.entries = std::move(fresh);
        } else if (usable) {
            list.entries = std::move(fresh);
        }
        list.fileRead = list.fileRead || usable;
        list.lastModified = time;
    } catch (...) {
        context_.log.logError("updateCachedList");
    }
}

void Senders::updateCachedLists() {
    lastLook_ = context_.clock.now();
    looked_ = true;
    updateCachedList(blocked_);
    updateCachedList(approved_);
    updateCachedList(adult_);
}

void Senders::refreshForDecision() {
    // A file time query costs a system call per list, more than the whole decision; a burst of
    // decisions (a scan, a full Inbox) shares one look at the files. Time moving backwards counts too.
    OleDate now = context_.clock.now();
    auto sinceMs = std::llround((now.serial() - lastLook_.serial()) * 86400000.0);
    if (!looked_ || sinceMs < 0 || static_cast<double>(sinceMs) >= context_.decisionRefreshSeconds * 1000.0)
        updateCachedLists();
}

SenderDecision Senders::decide(const std::string& address, const std::string& domain) {
    refreshForDecision();
    const KeyedSet& blocked = blocked_.entries;
    const KeyedSet& adult = adult_.entries;
    const KeyedSet& approvedSet = approved_.entries;
    const auto& s = context_.settings;

    using Why = SenderDecision::Why;
    SenderDecision decision;
    DomainVerdict verdict;
    if (blocked.Exists(address) || adult.Exists(address)) {
        decision = {Why::blockedAddress, address};
    } else if (s.blocked_countries_tld && address.size() >= 4 && address[address.size() - 3] == '.' &&
               s.blockedCountries.Exists(address.substr(address.size() - 2))) {
        decision = {Why::blockedCountry, address.substr(address.size() - 2)};
    } else {
        walkDomain(domain, blocked, adult, approvedSet, verdict);
        if (verdict.blocked) decision = {Why::blockedDomain, verdict.entry};
        if (verdict.approved) decision = {Why::approvedDomain, verdict.entry};
    }

    // An approving domain already decides what a contact would, so Contacts are not asked then.
    if (approvedSet.Exists(address)) return {Why::approvedAddress, address};
    if (decision.why != Why::approvedDomain && isEmailAddressInContacts(address)) return {Why::contact, address};
    if (decision.why == Why::none && exclusive_) return {Why::exclusive, ""};
    return decision;
}

bool Senders::isBlocked(const std::string& address, const std::string& domain, bool& approved) {
    try {
        const SenderDecision decision = decide(address, domain);
        approved = decision.approves();
        return decision.blocks();
    } catch (...) {
        context_.log.logError("isBlocked");
        return false;
    }
}

bool Senders::isEmailAddressInContacts(const std::string& strAddress) {
    if (strAddress.empty() || !context_.nameSpace) return false;
    try {
        auto items = context_.nameSpace->GetDefaultFolder(outlook::olFolderContacts)->Items();
        // The address is chosen by whoever sent the mail: as a quoted literal it is looked up as
        // itself and can never change what the filter means.
        const std::string literal = outlook::quoteFilterText(strAddress);
        return items->Find("[Email1Address] = " + literal + " Or [Email2Address] = " + literal +
                           " Or [Email3Address] = " + literal) != nullptr;
    } catch (...) {
        context_.log.logError("isEmailAddressInContacts");
        return false;
    }
}

bool Senders::isSingleRecipientToMe(const std::string& address, bool mailingListMode) const {
    if (address.empty()) return false;
    return mailingListMode ? mailingLists_.entries.Exists(address) : myAddresses_.entries.Exists(address);
}

bool Senders::isRecipientToMe(const KeyedSet& addresses, bool mailingListMode) const {
    for (const auto& address : addresses)
        if (isSingleRecipientToMe(address, mailingListMode)) return true;
    return false;
}

Senders::Entries Senders::sortedAfterRefresh(const SenderList& list, const char* procedure) {
    try {
        updateCachedLists();
        return getSortedKeys(list.entries);
    } catch (...) {
        context_.log.logError(procedure);
        return {};
    }
}

Senders::Entries Senders::getBlockedSenders() { return sortedAfterRefresh(blocked_, "getBlockedSenders"); }
Senders::Entries Senders::getApprovedSenders() { return sortedAfterRefresh(approved_, "getApprovedSenders"); }
Senders::Entries Senders::getIgnoredSenders() { return sortedAfterRefresh(ignored_, "getIgnoredSenders"); }
Senders::Entries Senders::getToMe() { return getSortedKeys(myAddresses_.entries); }
Senders::Entries Senders::getMailingList() { return getSortedKeys(mailingLists_.entries); }

bool Senders::SaveDictionary(SenderList& list) {
    try {
        if (!list.fileRead && !readBeforeWriting(list)) {
            context_.log.LogSeriousErrorMessage("SaveDictionary: " + list.path +
                                                " was not written: the list in it could not be read, and writing "
                                                "would lose its entries");
            return false;
        }
        writeListFile(context_.files, list.path, list.entries);
        list.lastModified = fileTime(list.path);
        list.fileRead = true;
        return true;
    } catch (...) {
        context_.log.logError("SaveDictionary");
        return false;
    }
}

int32_t Senders::AddBlockedSenders(const Entries& entries, bool& removedFromOther, bool withMessages,
                                   const Items& items) {
    return addSenders(blocked_, approved_, true, entries, removedFromOther, withMessages, items, "AddBlockedSenders");
}

int32_t Senders::AddApprovedSenders(const Entries& entries, bool& removedFromOther, bool withMessages,
                                    const Items& items) {
    return addSenders(approved_, blocked_, false, entries, removedFromOther, withMessages, items,
                      "AddApprovedSenders");
}

int32_t Senders::addSenders(SenderList& list, SenderList& other, bool blocking, const Entries& entries,
                            bool& removedFromOther, bool withMessages, const Items& items, const char* procedure) {
    removedFromOther = false;
    try {
        int32_t count = 0;
        updateCachedLists();
        const int32_t action = blocking ? engineapi::Bounce::kReportBlocked : engineapi::Bounce::kReportApproved;
        // A missing or failing engine must not keep the user's choice out of the list files: its
        // failure is logged, the engine is left alone for the rest of the batch and the lists are saved.
        bool engineWorks = !engineDisabled();
        Items toBounce;
        for (size_t i = 0; i < entries.size(); ++i) {
            const std::string& entry = entries[i];
            if (!entry.empty() && !list.entries.Exists(entry)) {
                list.entries.Add(entry);
                ++count;
                if (withMessages) {
                    std::shared_ptr<outlook::Item> item = i < items.size() ? items[i] : nullptr;
                    if (engineWorks && context_.content && item) {
                        std::string headers = context_.content->getMessageHeaders(*item);
                        std::string body = context_.content->getMessageBody(item, context_.content->boundaryOf(headers));
                        try {
                            context_.engine.addReportSender(action, entry, headers, body);
                        } catch (...) {
                            context_.log.logError(procedure);
                            engineWorks = false;
                        }
                    }
                    if (blocking) toBounce.push_back(item);
                }
            }
            if (other.entries.erase(entry)) removedFromOther = true;
        }
        // The other list is written only after this one, so a failed save never leaves an entry in neither file.
        bool saved = count == 0 || SaveDictionary(list);
        if (removedFromOther && saved) SaveDictionary(other);

        if (engineWorks && count > 0) {
            if (withMessages) context_.engine.reportSenders();
            if (blocking && context_.settings.bounceSpam)
                for (const auto& item : toBounce) bounceMessage(item);
        }
        return count;
    } catch (...) {
        context_.log.logError(procedure);
        return 0;
    }
}

int32_t Senders::addEntries(SenderList& list, const Entries& entries, const char* procedure) {
    try {
        int32_t count = 0;
        for (const auto& entry : entries)
            if (!entry.empty() && list.entries.insert(entry)) ++count;
        if (count > 0) SaveDictionary(list);
        return count;
    } catch (...) {
        context_.log.logError(procedure);
        return 0;
    }
}

int32_t Senders::AddIgnoredSenders(const Entries& entries) {
    updateCachedLists();
    return addEntries(ignored_, entries, "AddIgnoredSenders");
}
int32_t Senders::AddMeTo(const Entries& entries) { return addEntries(myAddresses_, entries, "AddMeTo"); }
int32_t Senders::AddMailingList(const Entries& entries) { return addEntries(mailingLists_, entries, "AddMailingList"); }

void Senders::deleteEntries(SenderList& list, const Entries& entries, const char* procedure) {
    try {
        bool removed = false;
        for (const auto& entry : entries)
            if (!entry.empty() && list.entries.erase(entry)) removed = true;
        if (removed) SaveDictionary(list);
    } catch (...) {
        context_.log.logError(procedure);
    }
}

void Senders::DeleteBlockedSenders(const Entries& entries) { deleteEntries(blocked_, entries, "DeleteBlockedSenders"); }
void Senders::DeleteApprovedSenders(const Entries& entries) {
    deleteEntries(approved_, entries, "DeleteApprovedSenders");
}
void Senders::DeleteIgnoredSenders(const Entries& entries) { deleteEntries(ignored_, entries, "DeleteIgnoredSenders"); }
void Senders::DeleteToMe(const Entries& entries) { deleteEntries(myAddresses_, entries, "DeleteToMe"); }
void Senders::DeleteMailingList(const Entries& entries) { deleteEntries(mailingLists_, entries, "DeleteMailingList"); }

void Senders::editSenders(SenderList& list, SenderList& other, const std::string& oldEntry,
                          const std::string& newEntry, bool& removedFromOther, const char* procedure) {
    removedFromOther = false;
    try {
        if (!list.entries.erase(oldEntry)) entryMissing(oldEntry);
        list.entries.insert(newEntry);
        bool saved = SaveDictionary(list);
        if (other.entries.erase(newEntry)) {
            removedFromOther = true;
            if (saved) SaveDictionary(other);
        }
    } catch (...) {
        context_.log.logError(procedure);
    }
}

void Senders::EditBlocked(const std::string& oldEntry, const std::string& newEntry, bool& removedFromOther) {
    editSenders(blocked_, approved_, oldEntry, newEntry, removedFromOther, "EditBlocked");
}
void Senders::EditApprovedSender(const std::string& oldEntry, const std::string& newEntry, bool& removedFromOther) {
    editSenders(approved_, blocked_, oldEntry, newEntry, removedFromOther, "EditApprovedSender");
}

void Senders::editEntry(SenderList& list, const std::string& oldEntry, const std::string& newEntry,
                        const char* procedure) {
    try {
        if (!list.entries.erase(oldEntry)) entryMissing(oldEntry);
        list.entries.insert(newEntry);
        SaveDictionary(list);
    } catch (...) {
        context_.log.logError(procedure);
    }
}

void Senders::EditIgnoredSender(const std::string& oldEntry, const std::string& newEntry) {
    editEntry(ignored_, oldEntry, newEntry, "EditIgnoredSender");
}
void Senders::EditToMe(const std::string& oldEntry, const std::string& newEntry) {
    editEntry(myAddresses_, oldEntry, newEntry, "EditToMe");
}
void Senders::EditMailingList(const std::string& oldEntry, const std::string& newEntry) {
    editEntry(mailingLists_, oldEntry, newEntry, "EditMailingList");
}

void Senders::AddPreviousTo(const KeyedSet& addresses) {
    try {
        for (const auto& address : addresses)
            if (!address.empty()) context_.engine.addSpamAddrTo(address, 1, true);
    } catch (...) {
        context_.log.logError("AddPreviousTo");
    }
}

int32_t Senders::AddPreviousFrom(const KeyedSet& addresses) {
    try {
        int32_t count = 0;
        for (const auto& address : addresses) {
            if (address.empty()) continue;
            int32_t from = 0;
            context_.engine.getSpamAddrFrom(address, from);
            if (from == 0) {
                context_.engine.addSpamAddrFrom(address, 1, true);
                ++count;
            }
        }
        return count;
    } catch (...) {
        context_.log.logError("AddPreviousFrom");
        return 0;
    }
}

bool Senders::ispf(const std::string& address) {
    try {
        int32_t from = 0;
        context_.engine.getSpamAddrFrom(address, from);
        return from >= 1;
    } catch (...) {
        context_.log.logError("ispf");
        return false;
    }
}

void Senders::bounceMessage(const std::shared_ptr<outlook::Item>& item) {
    if (!context_.settings.bounceSpam) return;
    try {
        if (!context_.content || !item) return;
        std::string headers = context_.content->getMessageHeaders(*item);
        std::string address, name;
        context_.content->senderaddress(item, address, name);
        if (address.empty()) return;
        // My addresses are kept in lower case while the sender comes as the message spells it;
        // compared as written, the user's own mail in another case would be bounced back to them.
        KeyedSet sender;
        sender.Add(text::lower(address));
        if (!isRecipientToMe(sender, false)) context_.engine.bounceMessage(address, headers);
    } catch (...) {
        context_.log.logError("bounceMessage");
    }
}

}  // namespace tw::senders
