// The profile's address lists from the session's address book: the root container's hierarchy, each list's contents.
#include <vector>

#include "DispatchObject.h"
#include "MapiSession.h"
#include "Objects.h"
#include "PropValues.h"

namespace tarn {

namespace {

/// Every row of the table with these columns.
template <typename Each>
void eachRow(IMAPITable* table, const std::vector<ULONG>& columns, const wchar_t* what, Each each) {
    TagArray tags(columns);
    HRESULT hr = table->SetColumns(tags.get(), 0);
    if (FAILED(hr)) raise(hr, described(std::wstring(what) + L" would not take its columns", hr));
    for (;;) {
        RowSet rows;
        hr = table->QueryRows(100, 0, rows.put());
        if (FAILED(hr)) raise(hr, described(std::wstring(what) + L" could not be read", hr));
        if (rows.size() == 0) return;
        for (ULONG i = 0; i < rows.size(); ++i) each(rows[i]);
    }
}

Com<IAddrBook> book() {
    HRESULT hr = S_OK;
    Com<IAddrBook> ab = MapiSession::addressBook(nullptr, &hr);
    if (!ab) raise(FAILED(hr) ? hr : MAPI_E_LOGON_FAILED, described(L"The address lists could not be read: there is no MAPI session or address book", hr));
    return ab;
}

Com<IMAPIContainer> openContainer(IAddrBook* ab, const std::string& entryId, const std::wstring& what) {
    ULONG type = 0;
    Com<IUnknown> opened;
    std::string id = entryId;
    const HRESULT hr = ab->OpenEntry(static_cast<ULONG>(id.size()), id.empty() ? nullptr : reinterpret_cast<LPENTRYID>(id.data()),
                                     nullptr, 0, &type, opened.put());
    if (FAILED(hr) || !opened) raise(FAILED(hr) ? hr : MAPI_E_CALL_FAILED, described(what + L" could not be opened", hr));
    // An address book container answers IABContainer, an IMAPIContainer.
    return Com<IMAPIContainer>(reinterpret_cast<IMAPIContainer*>(opened.detach()));
}

class AddressEntries final : public DispatchObject {
public:
    explicit AddressEntries(std::vector<EntryData> entries) : DispatchObject(L"AddressEntries"), entries_(std::move(entries)) {
        reader(L"Count", [this](const Args&, Variant& out) { setInt(out, static_cast<long>(entries_.size())); });
        reader(L"Item", [this](const Args& a, Variant& out) {
            const long index = a.toInt(0);
            if (index < 1 || static_cast<size_t>(index) > entries_.size()) raise(DISP_E_BADINDEX, L"Array index out of bounds.");
            setObject(out, newAddressEntry(entries_[static_cast<size_t>(index - 1)], {}));
        });
    }

private:
    std::vector<EntryData> entries_;
};

class AddressList final : public DispatchObject {
public:
    AddressList(std::wstring name, std::string entryId)
        : DispatchObject(L"AddressList"), name_(std::move(name)), entryId_(std::move(entryId)) {
        reader(L"Name", [this](const Args&, Variant& out) { setText(out, name_); });
        reader(L"AddressEntries", [this](const Args&, Variant& out) { setObject(out, new AddressEntries(entries())); });
    }

private:
    std::vector<EntryData> entries() {
        const std::wstring what = L"The address list \"" + name_ + L"\"";
        Com<IAddrBook> ab = book();
        Com<IMAPIContainer> container = openContainer(ab.get(), entryId_, what);
        Com<IMAPITable> contents;
        const HRESULT hr = container->GetContentsTable(0, contents.put());
        if (FAILED(hr) || !contents) raise(FAILED(hr) ? hr : MAPI_E_CALL_FAILED, described(what + L"'s entries could not be read", hr));
        std::vector<EntryData> all;
        eachRow(contents.get(), {PR_ENTRYID, PR_DISPLAY_NAME_W, PR_ADDRTYPE_W, PR_EMAIL_ADDRESS_W}, what.c_str(),
                [&all](const SRow& row) { all.push_back(entryFrom(row.lpProps, row.cValues)); });
        return all;
    }

    std::wstring name_;
    std::string entryId_;
};

class AddressLists final : public DispatchObject {
public:
    AddressLists() : DispatchObject(L"AddressLists") {
        reader(L"Count", [this](const Args&, Variant& out) { setInt(out, static_cast<long>(lists().size())); });
        reader(L"Item", [this](const Args& a, Variant& out) {
            const auto& all = lists();
            const long index = a.toInt(0);
            if (index < 1 || static_cast<size_t>(index) > all.size()) raise(DISP_E_BADINDEX, L"Array index out of bounds.");
            const EntryData& list = all[static_cast<size_t>(index - 1)];
            setObject(out, new AddressList(list.name, list.entryId));
        });
    }

private:
    /// The root container's lists in the hierarchy's order, read once.
    const std::vector<EntryData>& lists() {
        if (loaded_) return lists_;
        Com<IAddrBook> ab = book();
        Com<IMAPIContainer> root = openContainer(ab.get(), {}, L"The address book's root");
        Com<IMAPITable> hierarchy;
        const HRESULT hr = root->GetHierarchyTable(0, hierarchy.put());
        if (FAILED(hr) || !hierarchy)
            raise(FAILED(hr) ? hr : MAPI_E_CALL_FAILED, described(L"The address book's lists could not be read", hr));
        std::vector<EntryData> found;
        eachRow(hierarchy.get(), {PR_ENTRYID, PR_DISPLAY_NAME_W}, L"The address book's list of lists",
                [&found](const SRow& row) { found.push_back(entryFrom(row.lpProps, row.cValues)); });
        lists_ = std::move(found);
        loaded_ = true;
        return lists_;
    }

    std::vector<EntryData> lists_;
    bool loaded_ = false;
};

}  // namespace

IDispatch* newAddressLists() {
    return new AddressLists();
}

}  // namespace tarn
