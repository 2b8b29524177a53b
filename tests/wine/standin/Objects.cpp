// The stand-in client's object model as IDispatch objects: application, name space, folders, items, windows, add-ins.
#include <algorithm>
#include <cwchar>
#include <optional>

#include "CommandBarData.h"
#include "ConnectionPoints.h"
#include "Model.h"
#include "mapi/StandInMapi.h"
#include "sim/FilterExpression.h"
#include "win32/TextEncoding.h"
#include "win32/Win32Clock.h"
#include "win32/com/OutlookEvents.h"

namespace tw::standin {

namespace {

using ModelPtr = std::shared_ptr<Model>;
using namespace outlook;

constexpr HRESULT kNotFound = static_cast<HRESULT>(0x8004010F);  // MAPI_E_NOT_FOUND

/// A 1-based index into a collection of that size; raises when out of range.
size_t indexArg(const Call& c, size_t size) {
    long index = c.toInt(0);
    if (index < 1 || static_cast<size_t>(index) > size) raise(DISP_E_BADINDEX, L"Array index out of bounds.");
    return static_cast<size_t>(index - 1);
}

bool argIsText(const Call& c, size_t index) {
    const VARIANT* v = &c.arg(index);
    if (V_VT(v) == (VT_BYREF | VT_VARIANT)) v = V_VARIANTREF(v);
    return V_VT(v) == VT_BSTR || V_VT(v) == (VT_BSTR | VT_BYREF);
}

void fire(DispObject* source, const IID& events, DISPID id, std::vector<Variant> args = {}) {
    if (!source) return;
    if (auto* point = source->point(events)) point->fire(id, std::move(args));
}

/// An item event whose only argument is Cancel by reference; a sink's veto is not honoured.
void fireWithCancel(DispObject* item, DISPID id) {
    VARIANT_BOOL cancel = VARIANT_FALSE;
    Variant cancelArg;
    V_VT(cancelArg.get()) = VT_BYREF | VT_BOOL;
    V_BOOLREF(cancelArg.get()) = &cancel;
    fire(item, win32::DIID_ItemEvents, id, {cancelArg});
}

std::wstring trimmed(const std::wstring& text) {
    size_t begin = text.find_first_not_of(L" \t");
    if (begin == std::wstring::npos) return {};
    size_t end = text.find_last_not_of(L" \t");
    return text.substr(begin, end - begin + 1);
}

std::shared_ptr<FolderData> folderArg(const Call& c, size_t index);

class AddressEntryObject : public DispObject {
public:
    AddressEntryObject(std::wstring name, std::wstring address) : name_(std::move(name)), address_(std::move(address)) {
        method(L"Name", [this](Call& c) { c.ret(name_); });
        method(L"Address", [this](Call& c) { c.ret(address_); });
        method(L"Type", [](Call& c) { c.ret(L"SMTP"); });
        method(L"Fields", [this](Call& c) {
            unsigned long tag = static_cast<unsigned long>(c.toInt(0));
            if ((tag & 0xFFFF) == 0x001F) tag = (tag & 0xFFFF0000UL) | 0x001E;
            switch (tag) {
                case 0x39FE001E:  // PR_SMTP_ADDRESS
                case 0x3003001E: c.ret(address_); break;  // PR_EMAIL_ADDRESS
                case 0x3001001E: c.ret(name_); break;      // PR_DISPLAY_NAME
                case 0x3002001E: c.ret(L"SMTP"); break;    // PR_ADDRTYPE
                default: break;                            // absent: Empty
            }
        });
    }

private:
    std::wstring name_, address_;
};

class RecipientObject : public DispObject {
public:
    explicit RecipientObject(std::shared_ptr<RecipientData> r) : r_(std::move(r)) {
        method(L"Name", [this](Call& c) { c.ret(r_->name); });
        method(L"Address", [this](Call& c) { c.ret(r_->address); });
        property(L"Type", [this](Call& c) { c.ret(r_->type); },
                 [this](Call& c) {
                     long type = c.valueInt();
                     if (type < olOriginator || type > olBCC) raise(E_INVALIDARG, L"The recipient type is not valid.");
                     r_->type = static_cast<int>(type);
                 });
        method(L"AddressEntry", [this](Call& c) {
            c.ret(r_->address.empty() ? nullptr : static_cast<IDispatch*>(makeAddressEntry(r_->name, r_->address).get()));
        });
        method(L"Resolved", [this](Call& c) { c.ret(!r_->address.empty()); });
        method(L"Resolve", [this](Call& c) { c.ret(!r_->address.empty()); });
    }

private:
    std::shared_ptr<RecipientData> r_;
};

class RecipientsObject : public DispObject {
public:
    explicit RecipientsObject(std::shared_ptr<ItemData> item) : item_(std::move(item)) {
        method(L"Count", [this](Call& c) { c.ret(static_cast<long>(item_->recipients.size())); });
        method(L"Item", [this](Call& c) {
            c.ret(make<RecipientObject>(item_->recipients[indexArg(c, item_->recipients.size())]).get());
        });
        method(L"Add", [this](Call& c) {
            auto recipient = parseRecipient(c.toText(0));
            item_->recipients.push_back(recipient);
            c.ret(make<RecipientObject>(recipient).get());
        });
        method(L"Remove", [this](Call& c) {
            item_->recipients.erase(item_->recipients.begin() + static_cast<std::ptrdiff_t>(indexArg(c, item_->recipients.size())));
        });
        method(L"ResolveAll", [](Call& c) { c.ret(true); });
    }

private:
    std::shared_ptr<ItemData> item_;
};

class AttachmentObject : public DispObject {
public:
    explicit AttachmentObject(std::shared_ptr<AttachmentData> a) : a_(std::move(a)) {
        method(L"DisplayName", [this](Call& c) { c.ret(a_->displayName); });
        method(L"FileName", [this](Call& c) { c.ret(a_->fileName); });
        method(L"Type", [this](Call& c) { c.ret(a_->type); });
    }

private:
    std::shared_ptr<AttachmentData> a_;
};

class AttachmentsObject : public DispObject {
public:
    explicit AttachmentsObject(std::shared_ptr<ItemData> item) : item_(std::move(item)) {
        method(L"Count", [this](Call& c) { c.ret(static_cast<long>(item_->attachments.size())); });
        method(L"Item", [this](Call& c) {
            c.ret(make<AttachmentObject>(item_->attachments[indexArg(c, item_->attachments.size())]).get());
        });
        method(L"Add", [this](Call& c) {
            auto attachment = std::make_shared<AttachmentData>();
            if (argIsText(c, 0)) {
                std::wstring path = c.toText(0);
                size_t slash = path.find_last_of(L"\\/");
                attachment->fileName = slash == std::wstring::npos ? path : path.substr(slash + 1);
                attachment->displayName = attachment->fileName;
                attachment->type = static_cast<int>(c.intOr(1, olByValue));
            } else {
                auto source = itemOf(c.toObject(0));
                if (!source) raise(E_INVALIDARG, L"The attachment source is not an item.");
                attachment->displayName = source->subject;
                attachment->type = static_cast<int>(c.intOr(1, olEmbeddeditem));
            }
            if (c.has(3)) attachment->displayName = c.toText(3);
            item_->attachments.push_back(attachment);
            c.ret(make<AttachmentObject>(attachment).get());
        });
    }

private:
    std::shared_ptr<ItemData> item_;
};

/// Field names compare without regard to case, as the client's do.
bool sameFieldName(const std::wstring& a, const std::wstring& b) { return lstrcmpiW(a.c_str(), b.c_str()) == 0; }

class UserPropertyObject : public DispObject {
public:
    explicit UserPropertyObject(std::shared_ptr<UserPropertyData> p) : p_(std::move(p)) {
        method(L"Name", [this](Call& c) { c.ret(p_->name); });
        method(L"Type", [this](Call& c) { c.ret(p_->type); });
        property(L"Value", [this](Call& c) { c.ret(p_->value); },
                 [this](Call& c) {
                     VARTYPE type = VT_BSTR;
                     if (p_->type == olNumber) type = VT_R8;
                     else if (p_->type == olYesNo) type = VT_BOOL;
                     else if (p_->type == olDateTime) type = VT_DATE;
                     Variant converted;
                     if (FAILED(VariantChangeType(converted.get(), const_cast<VARIANT*>(&c.value()), 0, type)))
                         raise(DISP_E_TYPEMISMATCH, L"Type mismatch: the value does not suit the property " + p_->name + L".");
                     p_->value = converted;
                 });
    }

private:
    std::shared_ptr<UserPropertyData> p_;
};

class UserPropertiesObject : public DispObject {
public:
    explicit UserPropertiesObject(std::shared_ptr<ItemData> item) : item_(std::move(item)) {
        method(L"Count", [this](Call& c) { c.ret(static_cast<long>(item_->properties.size())); });
        method(L"Item", [this](Call& c) {
            std::shared_ptr<UserPropertyData> found;
            if (argIsText(c, 0)) found = item_->findProperty(c.toText(0));
            else found = item_->properties[indexArg(c, item_->properties.size())];
            if (!found) raise(DISP_E_BADINDEX, L"The property was not found.");
            c.ret(make<UserPropertyObject>(found).get());
        });
        method(L"Find", [this](Call& c) {
            auto found = item_->findProperty(c.toText(0));
            c.ret(found ? static_cast<IDispatch*>(make<UserPropertyObject>(found).get()) : nullptr);
        });
        method(L"Add", [this](Call& c) {
            std::wstring name = c.toText(0);
            int type = static_cast<int>(c.toInt(1));
            // AddToFolderFields is True unless the caller says otherwise.
            if (!c.has(2) || c.toBool(2)) addToFolderFields(name);
            if (auto existing = item_->findProperty(name)) {
                if (existing->type != type) raise(E_INVALIDARG, L"A property named " + name + L" exists with another type.");
                c.ret(make<UserPropertyObject>(existing).get());
                return;
            }
            auto property = std::make_shared<UserPropertyData>();
            property->name = name;
            property->type = type;
            switch (type) {
                case olText: property->value = Variant::text(L""); break;
                case olNumber: property->value = Variant::number(0); break;
                case olYesNo: property->value = Variant::boolean(false); break;
                case olDateTime: property->value = Variant::date(949998.0); break;  // the client's "None" date
                default: raise(E_INVALIDARG, L"The property type is not supported.");
            }
            item_->properties.push_back(property);
            c.ret(make<UserPropertyObject>(property).get());
        });
        method(L"Remove", [this](Call& c) {
            item_->properties.erase(item_->properties.begin() + static_cast<std::ptrdiff_t>(indexArg(c, item_->properties.size())));
        });
    }

private:
    void addToFolderFields(const std::wstring& name) {
        auto folder = item_->folder.lock();
        if (!folder) return;
        for (const auto& field : folder->userFields)
            if (sameFieldName(field, name)) return;
        folder->userFields.push_back(name);
    }

    std::shared_ptr<ItemData> item_;
};

class ItemObject : public DispObject {
public:
    ItemObject(ModelPtr model, std::shared_ptr<ItemData> item) : m_(std::move(model)), item_(std::move(item)) {
        addPoint(win32::DIID_ItemEvents);
        method(L"Class", [this](Call& c) { c.ret(item_->itemClass); });
        method(L"MessageClass", [this](Call& c) { c.ret(item_->messageClass); });
        method(L"EntryID", [this](Call& c) { c.ret(item_->entryId); });
        text(L"Subject", &ItemData::subject);
        property(L"UnRead", [this](Call& c) { c.ret(item_->unread); }, [this](Call& c) { item_->unread = c.valueBool(); });
        method(L"CreationTime", [this](Call& c) { c.retDate(item_->created); });
        method(L"ReceivedTime", [this](Call& c) { c.retDate(item_->received); });
        method(L"Save", [this](Call&) { save(); });
        method(L"Move", [this](Call& c) {
            auto target = folderArg(c, 0);
            if (item_->folder.lock() != target) m_->place(item_, target, true);
            c.ret(makeItem(m_, item_).get());
        });
        method(L"Copy", [this](Call& c) {
            auto folder = item_->folder.lock();
            if (!folder) raise(kNotFound, L"Only an item in a folder can be copied.");
            auto copy = std::make_shared<ItemData>(*item_);
            copy->entryId = m_->newEntryId();
            copy->created = m_->now();
            for (auto& r : copy->recipients) r = std::make_shared<RecipientData>(*r);
            for (auto& a : copy->attachments) a = std::make_shared<AttachmentData>(*a);
            for (auto& p : copy->properties) p = std::make_shared<UserPropertyData>(*p);
            copy->folder.reset();
            m_->place(copy, folder, true);
            c.ret(makeItem(m_, copy).get());
        });
        method(L"Delete", [this](Call&) {
            auto folder = item_->folder.lock();
            if (!folder) raise(kNotFound, L"The item is not in a folder.");
            auto deleted = m_->defaultFolder(olFolderDeletedItems);
            if (folder == deleted) m_->remove(item_);
            else m_->place(item_, deleted, true);
        });
        method(L"Parent", [this](Call& c) {
            auto folder = item_->folder.lock();
            if (!folder) raise(kNotFound, L"The item is not in a folder.");
            c.ret(makeFolder(m_, folder).get());
        });
        method(L"Session", [this](Call& c) { c.ret(m_->nameSpace.get()); });
        method(L"MAPIOBJECT", [this](Call& c) { c.ret(Variant::unknown(makeMapiMessage(m_, item_).get())); });
        text(L"Body", &ItemData::body);
        mailText(L"HTMLBody", &ItemData::htmlBody, true);
        mailText(L"SenderName", &ItemData::senderName, false);
        // The sender's address is a member of mail items from version 11 on.
        methodIf(L"SenderEmailAddress", [this] { return m_->majorVersion() >= 11; }, [this](Call& c) {
            requireClass(olMail);
            c.ret(item_->senderAddress);
        });
        method(L"To", [this](Call& c) {
            requireClass(olMail);
            std::wstring to;
            for (const auto& r : item_->recipients)
                if (r->type == olTo) to += (to.empty() ? L"" : L"; ") + r->name;
            c.ret(to);
        });
        method(L"Recipients", [this](Call& c) {
            requireClass(olMail);
            c.ret(makeRecipients(m_, item_).get());
        });
        method(L"Attachments", [this](Call& c) { c.ret(make<AttachmentsObject>(item_).get()); });
        method(L"Send", [this](Call&) {
            requireClass(olMail);
            if (item_->recipients.empty())
                raise(E_FAIL, L"There must be at least one name or distribution list in the To, Cc, or Bcc box.");
            fireWithCancel(this, win32::DISPID_ItemSend);
            item_->unread = false;
            m_->place(item_, m_->defaultFolder(olFolderOutbox), true);
        });
        method(L"UserProperties", [this](Call& c) { c.ret(make<UserPropertiesObject>(item_).get()); });
        method(L"Close", [](Call&) {});
        contactText(L"FullName", &item_->fullName);
        for (int i = 0; i < 3; ++i) contactText(L"Email" + std::to_wstring(i + 1) + L"Address", &item_->email[i]);
    }

    const std::shared_ptr<ItemData>& item() const { return item_; }

private:
    void requireClass(int itemClass) const {
        if (item_->itemClass != itemClass) throw InvokeFault{DISP_E_MEMBERNOTFOUND, 0};
    }
    void text(const std::wstring& name, std::wstring ItemData::*field) {
        property(name, [this, field](Call& c) { c.ret((*item_).*field); },
                 [this, field](Call& c) { (*item_).*field = c.valueText(); });
    }
    void mailText(const std::wstring& name, std::wstring ItemData::*field, bool writable) {
        Handler get = [this, field](Call& c) {
            requireClass(olMail);
            c.ret((*item_).*field);
        };
        if (!writable) return method(name, get);
        property(name, get, [this, field](Call& c) {
            requireClass(olMail);
            (*item_).*field = c.valueText();
        });
    }
    void contactText(const std::wstring& name, std::wstring* field) {
        property(name,
                 [this, field](Call& c) {
                     requireClass(olContact);
                     c.ret(*field);
                 },
                 [this, field](Call& c) {
                     requireClass(olContact);
                     *field = c.valueText();
                 });
    }
    void save() {
        if (item_->folder.lock()) return;
        // A new item is saved where the client keeps unsent mail (contacts among the contacts).
        m_->place(item_, m_->defaultFolder(item_->itemClass == olContact ? olFolderContacts : olFolderDrafts), true);
    }

    ModelPtr m_;
    std::shared_ptr<ItemData> item_;
};

class FolderObject;

class ItemsObject : public DispObject {
public:
    /// The live items of a folder (with ItemAdd), or a fixed view of some of them.
    ItemsObject(ModelPtr model, std::weak_ptr<FolderData> folder, bool live, std::vector<std::shared_ptr<ItemData>> view = {})
        : m_(std::move(model)), folder_(std::move(folder)), live_(live), view_(std::move(view)) {
        if (live_) addPoint(win32::DIID_ItemsEvents);
        method(L"Count", [this](Call& c) { c.ret(static_cast<long>(list().size())); });
        method(L"Parent", [this](Call& c) {
            auto parent = folder_.lock();
            if (!parent) raise(kNotFound, L"The folder no longer exists.");
            c.ret(makeFolder(m_, parent).get());
        });
        method(L"Item", [this](Call& c) {
            auto items = list();
            c.ret(makeItem(m_, items[indexArg(c, items.size())]).get());
        });
        method(L"Find", [this](Call& c) {
            found_ = matching(c.toText(0));
            findAt_ = 0;
            hasFind_ = true;
            retNext(c, found_, findAt_);
        });
        method(L"FindNext", [this](Call& c) {
            if (!hasFind_) raise(E_FAIL, L"FindNext was called without Find.");
            retNext(c, found_, findAt_);
        });
        method(L"Restrict", [this](Call& c) {
            auto restricted = make<ItemsObject>(m_, folder_, false, matching(c.toText(0)));
            restricted->sortKey_ = sortKey_;
            restricted->descending_ = descending_;
            c.ret(restricted.get());
        });
        method(L"Sort", [this](Call& c) {
            std::wstring key = trimmed(c.toText(0));
            if (key.size() >= 2 && key.front() == L'[' && key.back() == L']') key = key.substr(1, key.size() - 2);
            sortKey_ = win32::toUtf8(key);
            descending_ = c.has(1) && c.toBool(1);
        });
        method(L"GetFirst", [this](Call& c) {
            walk_ = list();
            walkAt_ = 0;
            retNext(c, walk_, walkAt_);
        });
        method(L"GetNext", [this](Call& c) { retNext(c, walk_, walkAt_); });
        method(L"GetLast", [this](Call& c) {
            walk_ = list();
            walkAt_ = walk_.size();
            if (walk_.empty()) return c.ret(static_cast<IDispatch*>(nullptr));
            c.ret(makeItem(m_, walk_[walkAt_ - 1]).get());
        });
    }

    /// The items in the collection's order.
    std::vector<std::shared_ptr<ItemData>> list() const {
        std::vector<std::shared_ptr<ItemData>> items;
        if (live_) {
            auto folder = folder_.lock();
            if (!folder) raise(kNotFound, L"The folder no longer exists.");
            items = folder->items;
        } else {
            items = view_;
        }
        if (!sortKey_.empty()) {
            std::stable_sort(items.begin(), items.end(), [this](const auto& a, const auto& b) {
                auto va = a->filterValue(sortKey_), vb = b->filterValue(sortKey_);
                return descending_ ? vb < va : va < vb;
            });
        }
        return items;
    }

private:
    /// The filter's dates are read in the Windows user locale (GetLocaleInfo of LOCALE_USER_DEFAULT,
    /// which a test changes with SetLocaleInfo), as the client reads them; a user property the folder
    /// has no field for makes the filter fail. The client leaves a condition on a property an item
    /// lacks undefined; the stand-in's choice is that it matches nothing, '=' and '<>' alike.
    std::vector<std::shared_ptr<ItemData>> matching(const std::wstring& filter) const {
        sim::FilterExpression::Options options;
        options.locale = win32::Win32Clock().userDateFormats();
        auto folder = folder_.lock();
        options.knowsUserField = [&folder](const std::string& name) {
            if (!folder) return false;
            for (const auto& field : folder->userFields)
                if (sameFieldName(field, win32::toWide(name))) return true;
            return false;
        };
        sim::FilterExpression expression(win32::toUtf8(filter), std::move(options));
        std::vector<std::shared_ptr<ItemData>> matches;
        for (const auto& item : list())
            if (expression.matches([&](const std::string& name) { return item->filterValue(name); })) matches.push_back(item);
        return matches;
    }
    void retNext(Call& c, const std::vector<std::shared_ptr<ItemData>>& items, size_t& at) {
        if (at >= items.size()) return c.ret(static_cast<IDispatch*>(nullptr));
        c.ret(makeItem(m_, items[at++]).get());
    }

    ModelPtr m_;
    std::weak_ptr<FolderData> folder_;
    bool live_;
    std::vector<std::shared_ptr<ItemData>> view_, found_, walk_;
    size_t findAt_ = 0, walkAt_ = 0;
    bool hasFind_ = false;
    std::string sortKey_;
    bool descending_ = false;
};

class FoldersObject : public DispObject {
public:
    /// The subfolders of a folder, or the stores' top folders when there is no parent.
    FoldersObject(ModelPtr model, std::shared_ptr<FolderData> parent) : m_(std::move(model)), parent_(std::move(parent)) {
        method(L"Count", [this](Call& c) { c.ret(static_cast<long>(list().size())); });
        method(L"Item", [this](Call& c) {
            auto folders = list();
            if (argIsText(c, 0)) {
                std::wstring name = c.toText(0);
                for (const auto& f : folders)
                    if (_wcsicmp(f->name.c_str(), name.c_str()) == 0) return c.ret(makeFolder(m_, f).get());
                raise(kNotFound, L"The folder " + name + L" was not found.");
            }
            c.ret(makeFolder(m_, folders[indexArg(c, folders.size())]).get());
        });
        method(L"Add", [this](Call& c) {
            if (!parent_) raise(E_FAIL, L"A store cannot be added here.");
            std::wstring name = c.toText(0);
            for (const auto& f : parent_->children)
                if (_wcsicmp(f->name.c_str(), name.c_str()) == 0) raise(E_FAIL, L"Cannot create the folder: the name is in use.");
            int type = static_cast<int>(c.intOr(1, parent_->defaultItemType));
            c.ret(makeFolder(m_, m_->addFolder(parent_, name, type == olFolderContacts ? olContactItem : olMailItem)).get());
        });
    }

private:
    std::vector<std::shared_ptr<FolderData>> list() const { return parent_ ? parent_->children : std::vector{m_->root}; }

    ModelPtr m_;
    std::shared_ptr<FolderData> parent_;
};

class FolderObject : public DispObject {
public:
    FolderObject(ModelPtr model, std::shared_ptr<FolderData> folder) : m_(std::move(model)), folder_(std::move(folder)) {
        method(L"Name", [this](Call& c) { c.ret(folder_->name); });
        method(L"EntryID", [this](Call& c) { c.ret(folder_->entryId); });
        method(L"StoreID", [this](Call& c) { c.ret(m_->storeId); });
        method(L"Items", [this](Call& c) { c.ret(folderItems(m_, folder_).get()); });
        method(L"Folders", [this](Call& c) { c.ret(make<FoldersObject>(m_, folder_).get()); });
        method(L"Parent", [this](Call& c) {
            auto parent = folder_->parent.lock();
            // The top folder's parent is the name space, which the client's port does not model.
            if (!parent) raise(E_FAIL, L"The top folder of a store has no parent folder.");
            c.ret(makeFolder(m_, parent).get());
        });
        method(L"Class", [](Call& c) { c.ret(static_cast<long>(olFolder)); });
        method(L"Session", [this](Call& c) { c.ret(m_->nameSpace.get()); });
        // Folders hand out their MAPI folder from version 10 on.
        methodIf(L"MAPIOBJECT", [this] { return m_->majorVersion() >= 10; },
                 [this](Call& c) { c.ret(Variant::unknown(makeMapiFolder(m_, folder_).get())); });
        method(L"DefaultItemType", [this](Call& c) { c.ret(folder_->defaultItemType); });
        method(L"UnReadItemCount", [this](Call& c) {
            c.ret(static_cast<long>(std::count_if(folder_->items.begin(), folder_->items.end(), [](const auto& i) { return i->unread; })));
        });
    }

    const std::shared_ptr<FolderData>& folder() const { return folder_; }

private:
    ModelPtr m_;
    std::shared_ptr<FolderData> folder_;
};

std::shared_ptr<FolderData> folderArg(const Call& c, size_t index) {
    auto* folder = standInAs<FolderObject>(c.toObject(index));
    if (!folder) raise(E_INVALIDARG, L"The destination is not a folder of this client.");
    return folder->folder();
}

class SelectionObject : public DispObject {
public:
    SelectionObject(ModelPtr model, std::vector<std::shared_ptr<ItemData>> items) : m_(std::move(model)), items_(std::move(items)) {
        method(L"Count", [this](Call& c) { c.ret(static_cast<long>(items_.size())); });
        method(L"Item", [this](Call& c) { c.ret(makeItem(m_, items_[indexArg(c, items_.size())]).get()); });
    }

private:
    ModelPtr m_;
    std::vector<std::shared_ptr<ItemData>> items_;
};

int windowId(const std::vector<Window>& windows, const DispObject* object) {
    for (const auto& w : windows)
        if (w.object.get() == object) return w.id;
    return 0;
}

class ExplorerObject : public DispObject {
public:
    ExplorerObject(ModelPtr model, std::shared_ptr<FolderData> folder, std::shared_ptr<BarSet> bars)
        : folder_(std::move(folder)), m_(std::move(model)), bars_(std::move(bars)) {
        addPoint(win32::DIID_ExplorerEvents);
        method(L"CommandBars", [this](Call& c) { c.ret(makeCommandBars(m_, bars_).get()); });
        property(L"CurrentFolder", [this](Call& c) { c.ret(makeFolder(m_, folder_).get()); },
                 [this](Call& c) { switchTo(folderArg(c, 0)); });
        method(L"Caption", [this](Call& c) { c.ret(folder_->name); });
        method(L"Selection", [this](Call& c) {
            std::vector<std::shared_ptr<ItemData>> present;
            for (const auto& item : selection_)
                if (item->folder.lock() == folder_) present.push_back(item);
            c.ret(make<SelectionObject>(m_, present).get());
        });
        method(L"Activate", [this](Call&) {
            if (int id = windowId(m_->explorers, this)) activateExplorer(*m_, id);
        });
        method(L"Close", [this](Call&) {
            if (int id = windowId(m_->explorers, this)) closeExplorer(*m_, id);
        });
    }

    /// BeforeFolderSwitch (its handlers may cancel), then the switch and FolderSwitch.
    bool switchTo(const std::shared_ptr<FolderData>& folder) {
        Ref<DispObject> keep(this);
        VARIANT_BOOL cancel = VARIANT_FALSE;
        Variant cancelArg;
        V_VT(cancelArg.get()) = VT_BYREF | VT_BOOL;
        V_BOOLREF(cancelArg.get()) = &cancel;
        auto target = makeFolder(m_, folder);
        fire(this, win32::DIID_ExplorerEvents, win32::DISPID_BeforeFolderSwitch, {Variant::object(target.get()), cancelArg});
        if (cancel != VARIANT_FALSE) return false;
        folder_ = folder;
        selection_.clear();
        fire(this, win32::DIID_ExplorerEvents, win32::DISPID_FolderSwitch);
        return true;
    }

    std::shared_ptr<FolderData> folder_;
    std::vector<std::shared_ptr<ItemData>> selection_;
    const std::shared_ptr<BarSet>& bars() const { return bars_; }

private:
    ModelPtr m_;
    std::shared_ptr<BarSet> bars_;
};

class InspectorObject : public DispObject {
public:
    InspectorObject(ModelPtr model, std::shared_ptr<ItemData> item, std::shared_ptr<BarSet> bars, bool wordEditor)
        : m_(std::move(model)), item_(std::move(item)), bars_(std::move(bars)), itemObject_(makeItem(m_, item_)),
          wordEditor_(wordEditor) {
        addPoint(win32::DIID_InspectorEvents);
        method(L"CommandBars", [this](Call& c) {
            // Version 9 gives a window that edits with Word the editor's bars, out of the client's reach.
            if (wordEditor_ && m_->majorVersion() < 10) raise(E_FAIL, L"The operation failed.");
            c.ret(makeCommandBars(m_, bars_).get());
        });
        // The window keeps one object for its item, so whoever listens to it hears Read, Open and Close.
        method(L"CurrentItem", [this](Call& c) { c.ret(itemObject_.get()); });
        method(L"Caption", [this](Call& c) { c.ret(item_->subject); });
        method(L"EditorType", [this](Call& c) {
            if (wordEditor_) return c.ret(static_cast<long>(outlook::olEditorWord));
            c.ret(static_cast<long>(item_->htmlBody.empty() ? outlook::olEditorText : outlook::olEditorHTML));
        });
        method(L"Close", [this](Call&) {
            if (int id = windowId(m_->inspectors, this)) closeInspector(*m_, id);
        });
    }

    const Ref<DispObject>& itemObject() const { return itemObject_; }
    const std::shared_ptr<BarSet>& bars() const { return bars_; }

private:
    ModelPtr m_;
    std::shared_ptr<ItemData> item_;
    std::shared_ptr<BarSet> bars_;
    Ref<DispObject> itemObject_;
    bool wordEditor_;
};

/// The window's item object, or null for another object.
DispObject* inspectorItem(DispObject* inspector) {
    auto* window = dynamic_cast<InspectorObject*>(inspector);
    return window ? window->itemObject().get() : nullptr;
}

/// Explorers or Inspectors.
class WindowsObject : public DispObject {
public:
    WindowsObject(ModelPtr model, std::vector<Window> Model::*windows, const IID& events)
        : m_(std::move(model)), windows_(windows) {
        addPoint(events);
        method(L"Count", [this](Call& c) { c.ret(static_cast<long>(((*m_).*windows_).size())); });
        method(L"Item", [this](Call& c) {
            auto& open = (*m_).*windows_;
            c.ret(open[indexArg(c, open.size())].object.get());
        });
    }

private:
    ModelPtr m_;
    std::vector<Window> Model::*windows_;
};

class ComAddInObject : public DispObject {
public:
    ComAddInObject(ModelPtr model, std::wstring progId, std::wstring description)
        : m_(std::move(model)), progId_(std::move(progId)), description_(std::move(description)) {
        property(L"Description", [this](Call& c) { c.ret(description_); }, [this](Call& c) { description_ = c.valueText(); });
        method(L"ProgId", [this](Call& c) { c.ret(progId_); });
        property(L"Connect", [this](Call& c) { c.ret(connected()); },
                 [this](Call& c) {
                     const bool connect = c.valueBool();
                     if (!connect && connected() && m_->userDisconnect) m_->userDisconnect(progId_);
                     if (connect && !connected() && m_->userConnect && !m_->userConnect(progId_))
                         raise(E_FAIL, L"The add-in " + progId_ + L" could not be connected.");
                 });
        property(L"Object", [this](Call& c) { c.ret(object_.get()); },
                 [this](Call& c) {
                     Variant copy(c.value());
                     object_ = V_VT(copy.get()) == VT_DISPATCH ? Ref<IDispatch>(V_DISPATCH(copy.get())) : Ref<IDispatch>();
                 });
    }

    void dropObject() { object_.reset(); }

private:
    bool connected() const {
        for (const auto& a : m_->addIns)
            if (a.progId == progId_) return a.connected;
        return false;
    }

    ModelPtr m_;
    std::wstring progId_, description_;
    Ref<IDispatch> object_;
};

class ComAddInsObject : public DispObject {
public:
    explicit ComAddInsObject(ModelPtr model) : m_(std::move(model)) {
        method(L"Count", [this](Call& c) { c.ret(static_cast<long>(m_->addIns.size())); });
        method(L"Item", [this](Call& c) {
            if (argIsText(c, 0)) {
                std::wstring progId = c.toText(0);
                for (const auto& a : m_->addIns)
                    if (_wcsicmp(a.progId.c_str(), progId.c_str()) == 0) return c.ret(a.comAddIn.get());
                raise(DISP_E_BADINDEX, L"The add-in " + progId + L" is not loaded.");
            }
            c.ret(m_->addIns[indexArg(c, m_->addIns.size())].comAddIn.get());
        });
        method(L"Update", [](Call&) {});
    }

private:
    ModelPtr m_;
};

class NameSpaceObject : public DispObject {
public:
    explicit NameSpaceObject(ModelPtr model) : m_(std::move(model)) {
        method(L"GetDefaultFolder", [this](Call& c) {
            auto folder = m_->defaultFolder(static_cast<int>(c.toInt(0)));
            if (!folder) raise(E_INVALIDARG, L"The default folder is not available.");
            c.ret(makeFolder(m_, folder).get());
        });
        method(L"Folders", [this](Call& c) { c.ret(make<FoldersObject>(m_, nullptr).get()); });
        method(L"PickFolder", [this](Call& c) {
            std::shared_ptr<FolderData> picked;
            if (!m_->pickQueue.empty()) {
                picked = m_->pickQueue.front();
                m_->pickQueue.pop_front();
            }
            c.ret(picked ? static_cast<IDispatch*>(makeFolder(m_, picked).get()) : nullptr);
        });
        method(L"GetItemFromID", [this](Call& c) {
            checkStore(c);
            auto item = m_->itemById(c.toText(0));
            if (!item) raise(kNotFound, L"The message could not be found.");
            c.ret(makeItem(m_, item).get());
        });
        method(L"GetFolderFromID", [this](Call& c) {
            checkStore(c);
            auto folder = m_->folderById(c.toText(0));
            if (!folder) raise(kNotFound, L"The folder could not be found.");
            c.ret(makeFolder(m_, folder).get());
        });
        method(L"Type", [](Call& c) { c.ret(L"MAPI"); });
        method(L"AddressLists", [this](Call& c) { c.ret(makeAddressLists(m_).get()); });
        // The name space hands out its MAPI session from version 10 on.
        methodIf(L"MAPIOBJECT", [this] { return m_->majorVersion() >= 10; }, [this](Call& c) {
            if (!m_->mapiSession) raise(E_FAIL, L"The MAPI session is not available.");
            c.ret(Variant::unknown(m_->mapiSession.get()));
        });
    }

private:
    void checkStore(const Call& c) const {
        if (c.has(1) && _wcsicmp(c.toText(1).c_str(), m_->storeId.c_str()) != 0) raise(kNotFound, L"The store could not be found.");
    }

    ModelPtr m_;
};

class ApplicationObject : public DispObject {
public:
    explicit ApplicationObject(ModelPtr model) : m_(std::move(model)) {
        method(L"Version", [this](Call& c) { c.ret(m_->version); });
        method(L"GetNamespace", [this](Call& c) {
            if (_wcsicmp(c.toText(0).c_str(), L"MAPI") != 0) raise(E_INVALIDARG, L"Only the MAPI name space is available.");
            c.ret(m_->nameSpace.get());
        });
        method(L"Session", [this](Call& c) { c.ret(m_->nameSpace.get()); });
        method(L"Explorers", [this](Call& c) { c.ret(m_->explorersObject.get()); });
        method(L"Inspectors", [this](Call& c) { c.ret(m_->inspectorsObject.get()); });
        method(L"ActiveExplorer", [this](Call& c) {
            Window* w = m_->explorer(m_->activeExplorer);
            c.ret(w ? static_cast<IDispatch*>(w->object.get()) : nullptr);
        });
        method(L"ActiveInspector", [this](Call& c) {
            c.ret(m_->inspectors.empty() ? nullptr : static_cast<IDispatch*>(m_->inspectors.back().object.get()));
        });
        method(L"COMAddIns", [this](Call& c) { c.ret(m_->comAddInsObject.get()); });
        method(L"CreateItem", [this](Call& c) {
            long type = c.toInt(0);
            if (type != olMailItem && type != olContactItem) raise(E_INVALIDARG, L"The stand-in creates mail and contact items only.");
            auto item = std::make_shared<ItemData>();
            item->entryId = m_->newEntryId();
            item->created = item->received = m_->now();
            if (type == olContactItem) {
                item->itemClass = olContact;
                item->messageClass = L"IPM.Contact";
            }
            c.ret(makeItem(m_, item).get());
        });
    }

private:
    ModelPtr m_;
};

}  // namespace

Ref<DispObject> makeApplication(const std::shared_ptr<Model>& model) {
    model->nameSpace = make<NameSpaceObject>(model);
    model->explorersObject = make<WindowsObject>(model, &Model::explorers, win32::DIID_ExplorersEvents);
    model->inspectorsObject = make<WindowsObject>(model, &Model::inspectors, win32::DIID_InspectorsEvents);
    model->comAddInsObject = make<ComAddInsObject>(model);
    model->eventSources.push_back(model->explorersObject);
    model->eventSources.push_back(model->inspectorsObject);
    model->application = make<ApplicationObject>(model);
    return model->application;
}

Ref<DispObject> makeFolder(const std::shared_ptr<Model>& model, const std::shared_ptr<FolderData>& folder) {
    return make<FolderObject>(model, folder);
}

Ref<DispObject> makeItem(const std::shared_ptr<Model>& model, const std::shared_ptr<ItemData>& item) {
    return make<ItemObject>(model, item);
}

Ref<DispObject> folderItems(const std::shared_ptr<Model>& model, const std::shared_ptr<FolderData>& folder) {
    if (!folder->itemsObject) {
        folder->itemsObject = make<ItemsObject>(model, folder, true);
        model->eventSources.push_back(folder->itemsObject);
    }
    return folder->itemsObject;
}

Ref<DispObject> makeExplorer(const std::shared_ptr<Model>& model, const std::shared_ptr<FolderData>& folder,
                             const std::shared_ptr<BarSet>& bars) {
    return make<ExplorerObject>(model, folder, bars);
}

Ref<DispObject> makeInspector(const std::shared_ptr<Model>& model, const std::shared_ptr<ItemData>& item,
                              const std::shared_ptr<BarSet>& bars, bool wordEditor) {
    return make<InspectorObject>(model, item, bars, wordEditor);
}

Ref<DispObject> makeComAddIn(const std::shared_ptr<Model>& model, const std::wstring& progId, const std::wstring& description) {
    return make<ComAddInObject>(model, progId, description);
}

Ref<DispObject> makeAddressEntry(const std::wstring& name, const std::wstring& address) {
    return make<AddressEntryObject>(name, address);
}

Ref<DispObject> makeRecipients(const std::shared_ptr<Model>&, const std::shared_ptr<ItemData>& item) {
    return make<RecipientsObject>(item);
}

std::shared_ptr<RecipientData> parseRecipient(const std::wstring& text) {
    auto recipient = std::make_shared<RecipientData>();
    size_t open = text.find(L'<'), close = text.rfind(L'>');
    if (open != std::wstring::npos && close != std::wstring::npos && close > open) {
        recipient->address = trimmed(text.substr(open + 1, close - open - 1));
        recipient->name = trimmed(text.substr(0, open));
        if (recipient->name.size() >= 2 && recipient->name.front() == L'"' && recipient->name.back() == L'"')
            recipient->name = recipient->name.substr(1, recipient->name.size() - 2);
    } else {
        recipient->address = trimmed(text);
    }
    if (recipient->name.empty()) recipient->name = recipient->address;
    return recipient;
}

std::optional<std::vector<std::shared_ptr<ItemData>>> itemsOf(IDispatch* object) {
    auto* items = standInAs<ItemsObject>(object);
    if (!items) return std::nullopt;
    return items->list();
}

std::shared_ptr<ItemData> itemOf(IDispatch* object) {
    auto* item = standInAs<ItemObject>(object);
    return item ? item->item() : nullptr;
}

std::shared_ptr<BarSet> windowBars(DispObject* object) {
    if (auto* explorer = dynamic_cast<ExplorerObject*>(object)) return explorer->bars();
    if (auto* inspector = dynamic_cast<InspectorObject*>(object)) return inspector->bars();
    return nullptr;
}

void selectItems(DispObject& explorer, std::vector<std::shared_ptr<ItemData>> items) {
    auto* e = dynamic_cast<ExplorerObject*>(&explorer);
    if (!e) return;
    e->selection_ = std::move(items);
    fire(e, win32::DIID_ExplorerEvents, win32::DISPID_SelectionChange);
}

bool switchFolder(DispObject& explorer, const std::shared_ptr<FolderData>& folder) {
    auto* e = dynamic_cast<ExplorerObject*>(&explorer);
    return e && folder && e->switchTo(folder);
}

void deliverOutbox(Model& model) {
    auto outbox = model.defaultFolder(olFolderOutbox);
    auto sent = model.defaultFolder(olFolderSentMail);
    auto waiting = outbox->items;
    for (const auto& item : waiting) model.place(item, sent, true);
}

int openExplorer(Model& model, const std::shared_ptr<FolderData>& folder) {
    auto self = model.shared_from_this();
    int id = model.nextWindow++;
    auto bars = model.newExplorerBars();
    auto explorer = makeExplorer(self, folder, bars);
    model.explorers.push_back({id, explorer, bars});
    model.eventSources.push_back(explorer);
    fire(model.explorersObject.get(), win32::DIID_ExplorersEvents, win32::DISPID_NewExplorer, {Variant::object(explorer.get())});
    activateExplorer(model, id);
    return id;
}

void activateExplorer(Model& model, int id) {
    if (model.activeExplorer == id || !model.explorer(id)) return;
    if (Window* previous = model.explorer(model.activeExplorer)) {
        Ref<DispObject> keep = previous->object;
        fire(keep.get(), win32::DIID_ExplorerEvents, win32::DISPID_Deactivate);
    }
    model.activeExplorer = id;
    if (Window* w = model.explorer(id)) {
        Ref<DispObject> keep = w->object;
        fire(keep.get(), win32::DIID_ExplorerEvents, win32::DISPID_Activate);
    }
}

void closeExplorer(Model& model, int id) {
    Window* w = model.explorer(id);
    if (!w) return;
    Ref<DispObject> keep = w->object;
    // The window is still listed while its Close event runs; it goes once the handlers return.
    fire(keep.get(), win32::DIID_ExplorerEvents, win32::DISPID_Close);
    // The bars the last explorer closed with are the ones the profile keeps.
    if (Window* closing = model.explorer(id)) model.keepBars(*closing->bars);
    std::erase_if(model.explorers, [id](const Window& x) { return x.id == id; });
    if (model.activeExplorer == id) model.activeExplorer = model.explorers.empty() ? 0 : model.explorers.back().id;
}

int openInspector(Model& model, const std::shared_ptr<ItemData>& item, bool wordEditor) {
    auto self = model.shared_from_this();
    int id = model.nextWindow++;
    // A mail window has bars of its own, apart from the explorers'.
    auto bars = builtInBars();
    auto inspector = makeInspector(self, item, bars, wordEditor);
    model.inspectors.push_back({id, inspector, bars});
    model.eventSources.push_back(inspector);
    Ref<DispObject> shown = inspectorItem(inspector.get());
    model.eventSources.push_back(shown);
    if (!wordEditor || model.majorVersion() >= 10)
        fire(model.inspectorsObject.get(), win32::DIID_InspectorsEvents, win32::DISPID_NewInspector,
             {Variant::object(inspector.get())});
    // The item is shown and opened in the window, then the window comes up in front.
    fire(shown.get(), win32::DIID_ItemEvents, win32::DISPID_ItemRead);
    fireWithCancel(shown.get(), win32::DISPID_ItemOpen);
    fire(inspector.get(), win32::DIID_InspectorEvents, win32::DISPID_Activate);
    return id;
}

void closeInspector(Model& model, int id) {
    Window* w = model.inspector(id);
    if (!w) return;
    Ref<DispObject> keep = w->object;
    // The item closes first, while its window is still listed.
    fireWithCancel(inspectorItem(keep.get()), win32::DISPID_ItemClose);
    fire(keep.get(), win32::DIID_InspectorEvents, win32::DISPID_Close);
    std::erase_if(model.inspectors, [id](const Window& x) { return x.id == id; });
}

}  // namespace tw::standin
