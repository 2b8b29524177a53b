// The address-book import of the sender lists: which books can be imported, and the two readers.
#include "senders/Senders.h"

#include "core/StringTable.h"
#include "core/Text.h"

namespace tw::senders {

namespace {

constexpr int kProductNameId = 800;

std::string addressListsProgId() {
    const std::string product = text::trim(loadString(kProductNameId));
    return product + "Redemption." + product + "AddressLists";
}

/// The addresses of one book through either port's objects, lower-cased, empty ones left out.
/// Everything is read before anything is approved, so a book that fails half-way adds nothing.
template <class Lists, class AddressOf>
Senders::Entries readBook(Lists& lists, int32_t position, AddressOf addressOf) {
    auto entries = lists.Item(position)->AddressEntries();
    Senders::Entries addresses;
    if (!entries) return addresses;
    const int count = entries->Count();
    for (int i = 1; i <= count; ++i) {
        auto entry = entries->Item(i);
        if (!entry) continue;
        std::string address = addressOf(*entry);
        if (!address.empty()) addresses.push_back(text::lower(address));
    }
    return addresses;
}

}  // namespace

std::vector<ImportBook> Senders::getImportList() {
    std::vector<ImportBook> books;
    try {
        if (!context_.nameSpace) return books;
        auto lists = context_.nameSpace->AddressLists();
        const std::string contacts = context_.nameSpace->GetDefaultFolder(outlook::olFolderContacts)->Name();
        const int count = lists->Count();
        for (int i = 1; i <= count; ++i) {
            const std::string name = lists->Item(i)->Name();
            context_.log.LogErrorMessage("getImportList: checking addressbook " + name);
            if (name != contacts) books.push_back({i, name});
        }
        return books;
    } catch (...) {
        context_.log.logError("getImportList Error");
        return {};
    }
}

int32_t Senders::ImportAddressBook(int32_t position, bool approved) {
    return context_.importThroughObjectModel ? OldImportAddressBook(position, approved)
                                             : safeImportAddressBook(position, approved);
}

int32_t Senders::approveImported(const Entries& addresses, bool approved) {
    if (!approved || addresses.empty()) return 0;
    bool removedFromOther = false;
    return AddApprovedSenders(addresses, removedFromOther, false, {});
}

int32_t Senders::OldImportAddressBook(int32_t position, bool approved) {
    try {
        if (!context_.nameSpace) return kImportFailed;
        auto lists = context_.nameSpace->AddressLists();
        auto addressOf = [](outlook::AddressEntry& e) { return e.Address(); };
        return approveImported(readBook(*lists, position, addressOf), approved);
    } catch (...) {
        context_.log.logError("OImportAddressBook");
        return kImportFailed;
    }
}

int32_t Senders::safeImportAddressBook(int32_t position, bool approved) {
    try {
        if (!context_.safeMail) return kImportFailed;
        auto lists = context_.safeMail->CreateAddressLists(addressListsProgId());
        // A directory user's Address is its directory name; its Internet address is a property.
        auto addressOf = [](safemail::AddressEntry& e) {
            return e.Type() == "SMTP" ? e.Address() : e.Fields(safemail::PR_SMTP_ADDRESS).text();
        };
        return approveImported(readBook(*lists, position, addressOf), approved);
    } catch (...) {
        context_.log.logError("SImportAddressBook");
        return kImportFailed;
    }
}

}  // namespace tw::senders
