// The stand-in's address book: IAddrBook, its containers (the root and one per address list) and their entries.
#include <cstdlib>
#include <string>

#include "mapi/MapiParts.h"
#include "mapi/MapiTable.h"

namespace tw::standin::mapi {

namespace {

HRESULT notServed() {
    return MAPI_E_NO_SUPPORT;
}

bool sameText(const std::wstring& a, const std::wstring& b) {
    return _wcsicmp(a.c_str(), b.c_str()) == 0;
}

std::wstring fromUtf8(const std::string& text) {
    if (text.empty()) return {};
    int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(size > 0 ? static_cast<size_t>(size) : 0, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

bool isList(const AddressEntryData& e) {
    return sameText(e.type, L"MAPIPDL");
}

PropValue entryProperty(const AddressEntryData& e, ULONG tag) {
    switch (PROP_ID(tag)) {
        case PROP_ID(PR_ENTRYID): return PropValue::ofBytes(addressEntryId(e.type, e.address, e.name));
        case PROP_ID(PR_DISPLAY_NAME): return PropValue::ofText(e.name);
        case PROP_ID(PR_ADDRTYPE): return PropValue::ofText(e.type);
        case PROP_ID(PR_EMAIL_ADDRESS): return PropValue::ofTextIf(e.address);
        case PROP_ID(PR_OBJECT_TYPE): return PropValue::ofLong(isList(e) ? MAPI_DISTLIST : MAPI_MAILUSER);
        case PROP_ID(PR_DISPLAY_TYPE): return PropValue::ofLong(isList(e) ? DT_DISTLIST : DT_MAILUSER);
        // Only a directory user has an Internet address apart from its own.
        case kSmtpAddressId: return sameText(e.type, L"EX") ? PropValue::ofTextIf(e.smtp) : PropValue{};
        default: return {};
    }
}

class MailUser : public PropObject<IMailUser> {
public:
    explicit MailUser(AddressEntryData entry) : e_(std::move(entry)) {}

protected:
    bool answers(REFIID riid) const override { return IsEqualIID(riid, IID_IMAPIProp) || IsEqualIID(riid, IID_IMailUser); }
    PropValue property(ULONG tag) const override { return entryProperty(e_, tag); }

private:
    AddressEntryData e_;
};

class DistList : public AddressContainerObject<IDistList> {
public:
    explicit DistList(AddressEntryData entry) : e_(std::move(entry)) {}

protected:
    bool answers(REFIID riid) const override {
        return IsEqualIID(riid, IID_IMAPIProp) || IsEqualIID(riid, IID_IMAPIContainer) || IsEqualIID(riid, IID_IDistList);
    }
    PropValue property(ULONG tag) const override { return entryProperty(e_, tag); }

private:
    AddressEntryData e_;
};

std::string containerId(long index) {
    return index < 0 ? ownEntryId('R', {}) : ownEntryId('C', std::to_string(index));
}

/// The root container (index -1: its hierarchy is the address lists) or one address list (its contents).
class Container : public AddressContainerObject<IABContainer> {
public:
    Container(ModelPtr model, long index, std::wstring name) : m_(std::move(model)), index_(index), name_(std::move(name)) {}

    HRESULT STDMETHODCALLTYPE GetHierarchyTable(ULONG flags, LPMAPITABLE* out) override {
        if (index_ >= 0) return notServed();
        std::vector<TableRow> rows;
        auto lists = m_->addressLists();
        for (size_t i = 0; i < lists.size(); ++i) {
            rows.push_back([i, name = lists[i].name](ULONG tag) -> PropValue {
                switch (PROP_ID(tag)) {
                    case PROP_ID(PR_ENTRYID): return PropValue::ofBytes(containerId(static_cast<long>(i)));
                    case PROP_ID(PR_DISPLAY_NAME): return PropValue::ofText(name);
                    case PROP_ID(PR_DEPTH): return PropValue::ofLong(1);
                    case PROP_ID(PR_OBJECT_TYPE): return PropValue::ofLong(MAPI_ABCONT);
                    default: return {};
                }
            });
        }
        return openTable({PR_ENTRYID, textTag(PR_DISPLAY_NAME, flags), PR_DEPTH, PR_OBJECT_TYPE}, std::move(rows), out);
    }
    HRESULT STDMETHODCALLTYPE GetContentsTable(ULONG flags, LPMAPITABLE* out) override {
        auto lists = m_->addressLists();
        if (index_ < 0 || static_cast<size_t>(index_) >= lists.size()) return notServed();
        std::vector<TableRow> rows;
        for (const auto& e : lists[static_cast<size_t>(index_)].entries) rows.push_back([e](ULONG tag) { return entryProperty(e, tag); });
        std::vector<ULONG> columns{PR_ENTRYID, textTag(PR_DISPLAY_NAME, flags), textTag(PR_ADDRTYPE, flags),
                                   textTag(PR_EMAIL_ADDRESS, flags), PR_OBJECT_TYPE, PR_DISPLAY_TYPE};
        return openTable(std::move(columns), std::move(rows), out);
    }
    HRESULT STDMETHODCALLTYPE OpenEntry(ULONG size, LPENTRYID id, LPCIID iid, ULONG, ULONG* type, LPUNKNOWN* out) override {
        return openAddressEntry(m_, size, id, iid, type, out);
    }

protected:
    bool answers(REFIID riid) const override {
        return IsEqualIID(riid, IID_IMAPIProp) || IsEqualIID(riid, IID_IMAPIContainer) || IsEqualIID(riid, IID_IABContainer);
    }
    PropValue property(ULONG tag) const override {
        switch (PROP_ID(tag)) {
            case PROP_ID(PR_ENTRYID): return PropValue::ofBytes(containerId(index_));
            case PROP_ID(PR_DISPLAY_NAME): return PropValue::ofText(name_);
            case PROP_ID(PR_OBJECT_TYPE): return PropValue::ofLong(MAPI_ABCONT);
            default: return {};
        }
    }

private:
    ModelPtr m_;
    long index_;
    std::wstring name_;
};

class AddressBook : public PropObject<IAddrBook> {
public:
    explicit AddressBook(ModelPtr model) : m_(std::move(model)) {}

    HRESULT STDMETHODCALLTYPE OpenEntry(ULONG size, LPENTRYID id, LPCIID iid, ULONG, ULONG* type, LPUNKNOWN* out) override {
        return openAddressEntry(m_, size, id, iid, type, out);
    }
    HRESULT STDMETHODCALLTYPE CompareEntryIDs(ULONG, LPENTRYID, ULONG, LPENTRYID, ULONG, ULONG*) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE Advise(ULONG, LPENTRYID, ULONG, LPMAPIADVISESINK, ULONG*) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE Unadvise(ULONG) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE CreateOneOff(LPTSTR, LPTSTR, LPTSTR, ULONG, ULONG*, LPENTRYID*) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE NewEntry(ULONG_PTR, ULONG, ULONG, LPENTRYID, ULONG, LPENTRYID, ULONG*, LPENTRYID*) override {
        return notServed();
    }
    HRESULT STDMETHODCALLTYPE ResolveName(ULONG_PTR, ULONG, LPTSTR, LPADRLIST) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE Address(ULONG_PTR*, LPADRPARM, LPADRLIST*) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE Details(ULONG*, LPFNDISMISS, LPVOID, ULONG, LPENTRYID, LPFNBUTTON, LPVOID, LPTSTR, ULONG) override {
        return notServed();
    }
    HRESULT STDMETHODCALLTYPE RecipOptions(ULONG_PTR, ULONG, LPADRENTRY) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE QueryDefaultRecipOpt(LPTSTR, ULONG, ULONG*, LPSPropValue*) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE GetPAB(ULONG*, LPENTRYID*) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE SetPAB(ULONG, LPENTRYID) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE GetDefaultDir(ULONG*, LPENTRYID*) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE SetDefaultDir(ULONG, LPENTRYID) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE GetSearchPath(ULONG, LPSRowSet*) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE SetSearchPath(ULONG, LPSRowSet) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE PrepareRecips(ULONG, LPSPropTagArray, LPADRLIST) override { return notServed(); }

protected:
    bool answers(REFIID riid) const override { return IsEqualIID(riid, IID_IMAPIProp) || IsEqualIID(riid, IID_IAddrBook); }
    PropValue property(ULONG) const override { return {}; }

private:
    ModelPtr m_;
};

/// The entry an address entry id names: an EX one its directory entry, a list by its name, any other a one-off.
HRESULT openAddress(const ModelPtr& model, const std::string& payload, LPCIID iid, ULONG* type, LPUNKNOWN* out) {
    size_t first = payload.find('\0'), second = first == std::string::npos ? first : payload.find('\0', first + 1);
    if (second == std::string::npos) return MAPI_E_NOT_FOUND;
    AddressEntryData wanted{fromUtf8(payload.substr(second + 1)), fromUtf8(payload.substr(0, first)),
                            fromUtf8(payload.substr(first + 1, second - first - 1)), {}};
    bool directory = sameText(wanted.type, L"EX");
    if (!directory && !isList(wanted)) {
        *type = MAPI_MAILUSER;
        return handOut(new MailUser(wanted), iid, out);
    }
    for (const auto& list : model->addressLists()) {
        for (const auto& e : list.entries) {
            if (directory && sameText(e.type, L"EX") && sameText(e.address, wanted.address)) {
                *type = MAPI_MAILUSER;
                return handOut(new MailUser(e), iid, out);
            }
            if (!directory && isList(e) && e.name == wanted.name) {
                *type = MAPI_DISTLIST;
                return handOut(new DistList(e), iid, out);
            }
        }
    }
    return MAPI_E_NOT_FOUND;
}

}  // namespace

IAddrBook* newAddressBook(ModelPtr model) {
    return new AddressBook(std::move(model));
}

std::string addressEntryId(const std::wstring& type, const std::wstring& address, const std::wstring& name) {
    std::string payload = utf8(type);
    payload.push_back('\0');
    payload += utf8(address);
    payload.push_back('\0');
    return ownEntryId('E', payload + utf8(name));
}

HRESULT openAddressEntry(const ModelPtr& model, ULONG size, LPENTRYID id, LPCIID iid, ULONG* type, LPUNKNOWN* out) {
    if (!type || !out) return MAPI_E_INVALID_PARAMETER;
    *out = nullptr;
    char kind = 0;
    std::string payload;
    if (size == 0 || !id) kind = 'R';
    else if (!readOwnEntryId(size, id, kind, payload)) return MAPI_E_NOT_FOUND;
    if (kind == 'E') return openAddress(model, payload, iid, type, out);
    if (kind == 'R') {
        *type = MAPI_ABCONT;
        return handOut(new Container(model, -1, {}), iid, out);
    }
    auto lists = model->addressLists();
    char* end = nullptr;
    unsigned long number = std::strtoul(payload.c_str(), &end, 10);
    size_t index = kind == 'C' && !payload.empty() && end && *end == '\0' ? number : lists.size();
    if (index >= lists.size()) return MAPI_E_NOT_FOUND;
    *type = MAPI_ABCONT;
    return handOut(new Container(model, static_cast<long>(index), lists[index].name), iid, out);
}

}  // namespace tw::standin::mapi
