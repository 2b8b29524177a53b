// The address-book import of the sender lists: which books can be imported, and the two readers.
#include "senders/Senders.h"

#include <algorithm>

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
template <class List, class AddressOf>
Senders::Entries readBook(List& list, AddressOf addressOf) {
    auto entries = list.AddressEntries();
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

/// The places (1-based) of the books of this name in either port's list, in its order.
template <class Lists>
std::vector<int> placesNamed(Lists& lists, const std::string& name) {
    std::vector<int> places;
    const int count = lists.Count();
    for (int i = 1; i <= count; ++i)
        if (lists.Item(i)->Name() == name) places.push_back(i);
    return places;
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

int32_t Senders::ImportAddressBook(const ImportBook& book, bool approved) {
    return context_.importThroughObjectModel ? OldImportAddressBook(book, approved)
                                             : safeImportAddressBook(book, approved);
}

int32_t Senders::approveImported(const Entries& addresses, bool approved) {
    if (!approved || addresses.empty()) return 0;
    bool removedFromOther = false;
    return AddApprovedSenders(addresses, removedFromOther, false, {});
}

int32_t Senders::refuseImport(const ImportBook& book, const std::string& why) {
    context_.log.LogErrorMessage("ImportAddressBook: " + book.name + " at " + std::to_string(book.position) +
                                 " not imported: " + why);
    return kImportMismatch;
}

int32_t Senders::OldImportAddressBook(const ImportBook& book, bool approved) {
    try {
        if (!context_.nameSpace) return kImportFailed;
        auto lists = context_.nameSpace->AddressLists();
        if (book.position < 1 || book.position > lists->Count()) return refuseImport(book, "no book at that place");
        auto list = lists->Item(book.position);
        if (list->Name() != book.name) return refuseImport(book, "the book there is " + list->Name());
        auto addressOf = [](outlook::AddressEntry& e) { return e.Address(); };
        return approveImported(readBook(*list, addressOf), approved);
    } catch (...) {
        context_.log.logError("OImportAddressBook");
        return kImportFailed;
    }
}

int32_t Senders::safeImportAddressBook(const ImportBook& book, bool approved) {
    try {
        if (!context_.safeMail || !context_.nameSpace) return kImportFailed;
        // The book was chosen in the object model's list; the library keeps its own order. A name
        // only one book carries in both lists finds it wherever the library puts it. Books sharing
        // a name can only be told apart by place, so both lists must hold them at the same places.
        const auto modelPlaces = placesNamed(*context_.nameSpace->AddressLists(), book.name);
        if (std::find(modelPlaces.begin(), modelPlaces.end(), book.position) == modelPlaces.end())
            return refuseImport(book, "the client no longer lists it there");
        auto lists = context_.safeMail->CreateAddressLists(addressListsProgId());
        const auto safePlaces = placesNamed(*lists, book.name);
        if (safePlaces.size() != modelPlaces.size())
            return refuseImport(book, "the client lists " + std::to_string(modelPlaces.size()) +
                                          " books of that name, the address library " +
                                          std::to_string(safePlaces.size()));
        if (safePlaces.size() > 1 && safePlaces != modelPlaces)
            return refuseImport(book, "the address library lists the books of that name at other places");
        auto list = lists->Item(safePlaces.size() == 1 ? safePlaces.front() : book.position);
        // A directory user's Address is its directory name; its Internet address is a property.
        auto addressOf = [](safemail::AddressEntry& e) {
            return e.Type() == "SMTP" ? e.Address() : e.Fields(safemail::PR_SMTP_ADDRESS).text();
        };
        return approveImported(readBook(*list, addressOf), approved);
    } catch (...) {
        context_.log.logError("SImportAddressBook");
        return kImportFailed;
    }
}

}  // namespace tw::senders
