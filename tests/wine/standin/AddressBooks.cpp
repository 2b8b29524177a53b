// The stand-in client's address lists: the Contacts list, then the books a test added; served to
// the object model's name space and to the safe-mail address-lists test class alike.
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

/// An entry of an address book; Fields answers what the safe-mail library reads by tag.
class BookEntryObject : public DispObject {
public:
    explicit BookEntryObject(AddressEntryData e) : e_(std::move(e)) {
        method(L"Name", [this](Call& c) { c.ret(e_.name); });
        method(L"Address", [this](Call& c) { c.ret(e_.address); });
        method(L"Type", [this](Call& c) { c.ret(e_.type); });
        method(L"Fields", [this](Call& c) {
            unsigned long tag = static_cast<unsigned long>(c.toInt(0));
            if ((tag & 0xFFFF) == 0x001F) tag = (tag & 0xFFFF0000UL) | 0x001E;
            switch (tag) {
                case 0x39FE001E:  // PR_SMTP_ADDRESS: a directory user's Internet address
                    if (e_.type == L"EX" && !e_.smtp.empty()) c.ret(e_.smtp);
                    break;
                case 0x3001001E: c.ret(e_.name); break;     // PR_DISPLAY_NAME
                case 0x3002001E: c.ret(e_.type); break;     // PR_ADDRTYPE
                case 0x3003001E: c.ret(e_.address); break;  // PR_EMAIL_ADDRESS
                default: break;                             // absent: Empty
            }
        });
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
