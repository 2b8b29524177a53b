// An address entry: name, type and address as the message or list gave them; other fields from the address book.
#include "DispatchObject.h"
#include "MapiSession.h"
#include "Objects.h"
#include "PropValues.h"

namespace tarn {

EntryData entryFrom(const SPropValue* values, ULONG count) {
    EntryData entry;
    for (ULONG i = 0; values && i < count; ++i) {
        const SPropValue& v = values[i];
        switch (PROP_ID(v.ulPropTag)) {
            case PROP_ID(PR_DISPLAY_NAME_W): entry.name = textOf(v); break;
            case PROP_ID(PR_ADDRTYPE_W): entry.type = textOf(v); break;
            case PROP_ID(PR_EMAIL_ADDRESS_W): entry.address = textOf(v); break;
            case PROP_ID(PR_ENTRYID): entry.entryId = bytesOf(v); break;
            default: break;
        }
    }
    return entry;
}

std::wstring described(const std::wstring& what, HRESULT hr) {
    return what + L" (" + mapiErrorName(hr) + L").";
}

namespace {

class AddressEntry final : public DispatchObject {
public:
    AddressEntry(EntryData entry, Com<IDispatch> clientObject)
        : DispatchObject(L"AddressEntry"), e_(std::move(entry)), client_(std::move(clientObject)) {
        reader(L"Name", [this](const Args&, Variant& r) { setText(r, e_.name.empty() ? e_.address : e_.name); });
        reader(L"Type", [this](const Args&, Variant& r) { setText(r, e_.type); });
        reader(L"Address", [this](const Args&, Variant& r) { setText(r, e_.address); });
        reader(L"Fields", [this](const Args& a, Variant& r) { field(static_cast<ULONG>(a.toInt(0)), r); });
    }

private:
    void field(ULONG tag, Variant& out) {
        if (Com<IMAPIProp> entry = open()) {
            const HRESULT hr = readProp(entry.get(), tag, out);
            if (hr == MAPI_E_NOT_FOUND) VariantClear(out.get());
            else if (FAILED(hr)) raise(hr, described(L"The address entry's property could not be read", hr));
            return;
        }
        // An entry the address book cannot open still knows what the message said of it.
        const std::wstring* own = nullptr;
        switch (PROP_ID(tag)) {
            case PROP_ID(PR_DISPLAY_NAME_W): own = &e_.name; break;
            case PROP_ID(PR_ADDRTYPE_W): own = &e_.type; break;
            case PROP_ID(PR_EMAIL_ADDRESS_W): own = &e_.address; break;
            default: break;
        }
        if (own && !own->empty() && (PROP_TYPE(tag) == PT_UNICODE || PROP_TYPE(tag) == PT_STRING8)) setText(out, *own);
    }

    /// The entry opened through the session's address book; empty without an entry id or a book.
    Com<IMAPIProp> open() {
        if (e_.entryId.empty()) return {};
        if (opened_) return opened_;
        Com<IAddrBook> book = MapiSession::addressBook(client_.get(), nullptr);
        if (!book) return {};
        ULONG type = 0;
        Com<IUnknown> unknown;
        std::string id = e_.entryId;
        if (FAILED(book->OpenEntry(static_cast<ULONG>(id.size()), reinterpret_cast<LPENTRYID>(id.data()), nullptr, 0, &type,
                                   unknown.put())) || !unknown)
            return {};
        // A mail user, distribution list or container: each is an IMAPIProp.
        opened_ = Com<IMAPIProp>(reinterpret_cast<IMAPIProp*>(unknown.detach()));
        return opened_;
    }

    EntryData e_;
    Com<IDispatch> client_;
    Com<IMAPIProp> opened_;
};

}  // namespace

IDispatch* newAddressEntry(EntryData entry, Com<IDispatch> clientObject) {
    return new AddressEntry(std::move(entry), std::move(clientObject));
}

}  // namespace tarn
