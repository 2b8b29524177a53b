// The simulated address lists of both ports over the client's address books.
#include "sim/SimAddressLists.h"

#include "core/Error.h"
#include "sim/SimItemParts.h"
#include "sim/SimMailClient.h"
#include "sim/SimSafeMail.h"

namespace tw::sim {

namespace {

constexpr long kBadIndex = -2147352565;  // DISP_E_BADINDEX

size_t checkedIndex(int index, size_t count) {
    if (index < 1 || static_cast<size_t>(index) > count) throw Error(kBadIndex, "AddressLists", "Array index out of bounds.");
    return static_cast<size_t>(index - 1);
}

/// The entries of one book, read when the book is opened; EntryT wraps one entry for its port.
template <class Port, class EntryPort, class EntryT>
class SimEntries : public Port {
public:
    explicit SimEntries(std::vector<ResolvedAddress> entries) : entries_(std::move(entries)) {}
    int Count() override { return static_cast<int>(entries_.size()); }
    std::shared_ptr<EntryPort> Item(int index) override {
        return std::make_shared<EntryT>(entries_[checkedIndex(index, entries_.size())]);
    }

private:
    std::vector<ResolvedAddress> entries_;
};

template <class Port, class EntriesPort, class EntriesT>
class SimList : public Port {
public:
    SimList(SimMailClient& client, SimAddressBook book) : client_(client), book_(std::move(book)) {}
    std::string Name() override { return book_.name; }
    std::shared_ptr<EntriesPort> AddressEntries() override {
        if (client_.faults().trips("AddressEntries", {book_.name}))
            throw Error(-2147221219, "AddressList", "The address list " + book_.name + " could not be opened.");
        return std::make_shared<EntriesT>(book_.entries);
    }

private:
    SimMailClient& client_;
    SimAddressBook book_;
};

using ModelEntries = SimEntries<outlook::AddressEntries, outlook::AddressEntry, SimAddressEntry>;
using SafeEntries = SimEntries<safemail::AddressEntries, safemail::AddressEntry, SimSafeAddressEntry>;
using ModelList = SimList<outlook::AddressList, outlook::AddressEntries, ModelEntries>;
using SafeList = SimList<safemail::AddressList, safemail::AddressEntries, SafeEntries>;

}  // namespace

int SimAddressLists::Count() { return static_cast<int>(client_.addressLists().size()); }

std::shared_ptr<outlook::AddressList> SimAddressLists::Item(int index) {
    auto lists = client_.addressLists();
    return std::make_shared<ModelList>(client_, lists[checkedIndex(index, lists.size())]);
}

int SimSafeAddressLists::Count() { return static_cast<int>(client_.safeAddressLists().size()); }

std::shared_ptr<safemail::AddressList> SimSafeAddressLists::Item(int index) {
    auto lists = client_.safeAddressLists();
    return std::make_shared<SafeList>(client_, lists[checkedIndex(index, lists.size())]);
}

}  // namespace tw::sim
