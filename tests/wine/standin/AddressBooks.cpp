// The stand-in client's address lists in the object model: the Contacts list, then the books a test added.
#include "ConnectionPoints.h"
#include "Model.h"

namespace tw::standin {

namespace {

using ModelPtr = std::shared_ptr<Model>;

size_t indexOf(const Call& c, size_t size) {
    long index = c.toInt(0);
    if (index < 1 || static_cast<size_t>(index) > size) raise(DISP_E_BADINDEX, L"Array index out of bounds.");
    return static_cast<size_t>(index - 1);
}

/// An entry of an address book.
class BookEntryObject : public DispObject {
public:
    explicit BookEntryObject(AddressEntryData e) : e_(std::move(e)) {
        method(L"Name", [this](Call& c) { c.ret(e_.name); });
        method(L"Address", [this](Call& c) { c.ret(e_.address); });
        method(L"Type", [this](Call& c) { c.ret(e_.type); });
    }

private:
    AddressEntryData e_;
};

class BookEntriesObject : public DispObject {
public:
    explicit BookEntriesObject(std::vector<AddressEntryData> entries) : entries_(std::move(entries)) {
        method(L"Count", [this](Call& c) { c.ret(static_cast<long>(entries_.size())); });
        method(L"Item", [this](Call& c) { c.ret(make<BookEntryObject>(entries_[indexOf(c, entries_.size())]).get()); });
    }

private:
    std::vector<AddressEntryData> entries_;
};

class AddressListObject : public DispObject {
public:
    explicit AddressListObject(AddressBookData book) : book_(std::move(book)) {
        method(L"Name", [this](Call& c) { c.ret(book_.name); });
        method(L"AddressEntries", [this](Call& c) { c.ret(make<BookEntriesObject>(book_.entries).get()); });
    }

private:
    AddressBookData book_;
};

class AddressListsObject : public DispObject {
public:
    explicit AddressListsObject(ModelPtr model) : m_(std::move(model)) {
        method(L"Count", [this](Call& c) { c.ret(static_cast<long>(m_->addressLists().size())); });
        method(L"Item", [this](Call& c) {
            auto lists = m_->addressLists();
            c.ret(make<AddressListObject>(lists[indexOf(c, lists.size())]).get());
        });
    }

private:
    ModelPtr m_;
};

}  // namespace

std::vector<AddressBookData> Model::addressLists() const {
    std::vector<AddressBookData> lists;
    if (auto contacts = defaultFolder(outlook::olFolderContacts)) {
        AddressBookData list{contacts->name, {}};
        for (const auto& item : contacts->items)
            for (const auto& email : item->email)
                if (!email.empty()) list.entries.push_back({item->fullName, L"SMTP", email, email});
        lists.push_back(std::move(list));
    }
    lists.insert(lists.end(), addressBooks.begin(), addressBooks.end());
    return lists;
}

Ref<DispObject> makeAddressLists(const std::shared_ptr<Model>& model) {
    return make<AddressListsObject>(model);
}

}  // namespace tw::standin
