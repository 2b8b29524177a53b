// A folder's contents table walked row by row, read from MAPI in batches, with an optional bit-mask filter.
#include <algorithm>
#include <memory>
#include <vector>

#include "DispatchObject.h"
#include "MapiSession.h"
#include "Objects.h"
#include "OutlookCalls.h"
#include "PropValues.h"
#include "TableFilter.h"

namespace tarn {

namespace {

constexpr LONG kBatch = 50;

/// A SAFEARRAY of VARIANTs taking over the values.
void setArray(Variant& out, std::vector<Variant>& values) {
    VariantClear(out.get());
    SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(values.size()));
    if (!array) throw std::bad_alloc();
    VARIANT* slots = nullptr;
    SafeArrayAccessData(array, reinterpret_cast<void**>(&slots));
    for (size_t i = 0; i < values.size(); ++i) values[i].moveTo(&slots[i]);
    SafeArrayUnaccessData(array);
    V_VT(out.get()) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(out.get()) = array;
}

/// Property tags from an array of numbers (of VARIANTs or of 4-byte integers).
std::vector<ULONG> tagsOf(const VARIANT& value) {
    const VARIANT* v = &value;
    if (!(V_VT(v) & VT_ARRAY)) raise(DISP_E_TYPEMISMATCH, L"Columns must be an array of property tags.");
    SAFEARRAY* array = (V_VT(v) & VT_BYREF) ? (V_ARRAYREF(v) ? *V_ARRAYREF(v) : nullptr) : V_ARRAY(v);
    std::vector<ULONG> tags;
    if (!array) return tags;
    const VARTYPE type = static_cast<VARTYPE>(V_VT(v) & VT_TYPEMASK);
    LONG low = 0, high = -1;
    SafeArrayGetLBound(array, 1, &low);
    SafeArrayGetUBound(array, 1, &high);
    for (LONG i = low; i <= high; ++i) {
        Variant element, tag;
        if (type == VT_VARIANT) {
            SafeArrayGetElement(array, &i, element.get());
        } else if (type == VT_I4 || type == VT_UI4 || type == VT_INT || type == VT_UINT) {
            V_VT(element.get()) = VT_I4;
            SafeArrayGetElement(array, &i, &V_I4(element.get()));
        } else {
            raise(DISP_E_TYPEMISMATCH, L"Columns must be an array of property tags.");
        }
        if (FAILED(VariantChangeType(tag.get(), element.get(), 0, VT_I4)))
            raise(DISP_E_TYPEMISMATCH, L"Column " + std::to_wstring(i - low + 1) + L" is not a property tag.");
        tags.push_back(static_cast<ULONG>(V_I4(tag.get())));
    }
    return tags;
}

class MapiTable final : public DispatchObject {
public:
    MapiTable() : DispatchObject(L"MAPITable") {
        property(
            L"Item", [this](const Args&, Variant& out) { setObject(out, Com<IDispatch>(items_).detach()); },
            [this](const Args& a) { bind(a.valueObject()); });
        reader(L"Filter", [this](const Args&, Variant& out) {
            if (!filterObject_) filterObject_ = Com<IDispatch>(newTableFilter(filter_));
            setObject(out, Com<IDispatch>(filterObject_).detach());
        });
        property(
            L"Columns",
            [this](const Args&, Variant& out) {
                std::vector<Variant> tags(columns_.size());
                for (size_t i = 0; i < columns_.size(); ++i) setInt(tags[i], static_cast<long>(columns_[i]));
                setArray(out, tags);
            },
            [this](const Args& a) { setColumns(tagsOf(a.value())); });
        reader(L"RowCount", [this](const Args&, Variant& out) {
            syncFilter();
            ULONG count = 0;
            const HRESULT hr = table()->GetRowCount(0, &count);
            if (FAILED(hr)) raise(hr, described(L"The table's rows could not be counted", hr));
            setInt(out, static_cast<long>(count));
        });
        reader(L"GoToFirst", [this](const Args&, Variant&) {
            syncFilter();
            pos_ = -1;
        });
        reader(L"FindFirst", [this](const Args& a, Variant& out) { setBool(out, findFirst(a.toBool(0, true))); });
        reader(L"FindNext", [this](const Args& a, Variant& out) {
            table();
            setBool(out, step(a.toBool(0, true)));
        });
        reader(L"GetRow", [this](const Args&, Variant& out) {
            table();
            if (const SRow* row = rowAt(pos_, true)) rowValues(*row, out);
        });
        reader(L"GetRows", [this](const Args& a, Variant& out) {
            table();
            std::vector<Variant> rows;
            for (long wanted = a.toInt(0); wanted > 0 && step(true); --wanted) {
                rows.emplace_back();
                rowValues(*rowAt(pos_, true), rows.back());
            }
            setArray(out, rows);
        });
    }

private:
    IMAPITable* table() const {
        if (!table_) raise(E_FAIL, L"Item is not set.");
        return table_.get();
    }

    void bind(Com<IDispatch> items) {
        if (!items) raise(E_INVALIDARG, L"Item must be an Items collection, not Nothing.");
        if (!hasMember(items.get(), L"Parent") || !hasMember(items.get(), L"Count"))
            raise(E_INVALIDARG, L"Item must be an Items collection of the mail client; this object is not one.");
        Com<IDispatch> folderObject = objectMember(items.get(), L"Parent");
        if (!folderObject) raise(E_INVALIDARG, L"The folder of the Items collection (its Parent) is not available.");
        Com<IMAPIFolder> folder = openFolder(folderObject.get());
        Com<IMAPITable> contents;
        HRESULT hr = folder->GetContentsTable(0, contents.put());
        if (FAILED(hr) || !contents)
            raise(FAILED(hr) ? hr : MAPI_E_CALL_FAILED, described(L"The folder's contents table could not be opened", hr));
        if (!columns_.empty()) {
            TagArray tags(columns_);
            hr = contents->SetColumns(tags.get(), 0);
            if (FAILED(hr)) raise(hr, described(L"The folder's contents table would not take the columns", hr));
        }
        items_ = std::move(items);
        table_ = std::move(contents);
        applied_ = FilterState{};
        pos_ = -1;
        forget();
    }

    static Com<IMAPIFolder> openFolder(IDispatch* folder) {
        HRESULT hr = S_OK;
        Com<IUnknown> found = mapiObjectOf(folder, IID_IMAPIFolder, &hr);
        if (found) return Com<IMAPIFolder>(reinterpret_cast<IMAPIFolder*>(found.detach()));
        // Clients before version 10 have no folder MAPIOBJECT: open it by its ids in the session.
        std::string entryId = bytesFromHex(textMember(folder, L"EntryID"));
        std::string storeId = bytesFromHex(textMember(folder, L"StoreID"));
        if (entryId.empty() || storeId.empty())
            raise(MAPI_E_NOT_FOUND, L"The folder could not be opened: its MAPI object is not available and it has no entry id and store id (MAPI_E_NOT_FOUND).");
        Com<IMAPISession> session = MapiSession::get(folder, &hr);
        if (!session)
            raise(hr, described(L"The folder could not be opened: its MAPI object is not available and there is no MAPI session to open it by its entry id", hr));
        Com<IMsgStore> store;
        hr = session->OpenMsgStore(0, static_cast<ULONG>(storeId.size()), reinterpret_cast<LPENTRYID>(storeId.data()), nullptr,
                                   MDB_NO_DIALOG | MAPI_BEST_ACCESS, store.put());
        if (FAILED(hr) || !store)
            raise(FAILED(hr) ? hr : MAPI_E_CALL_FAILED, described(L"The folder could not be opened: its message store could not be opened", hr));
        ULONG type = 0;
        Com<IUnknown> opened;
        hr = store->OpenEntry(static_cast<ULONG>(entryId.size()), reinterpret_cast<LPENTRYID>(entryId.data()), nullptr, 0, &type,
                              opened.put());
        if (FAILED(hr) || !opened)
            raise(FAILED(hr) ? hr : MAPI_E_CALL_FAILED, described(L"The folder could not be opened by its entry id", hr));
        Com<IUnknown> asFolder = query<IUnknown>(opened.get(), IID_IMAPIFolder);
        if (type != MAPI_FOLDER || !asFolder)
            raise(MAPI_E_INTERFACE_NOT_SUPPORTED, L"The folder could not be opened: its entry id is not a folder's (MAPI_E_INTERFACE_NOT_SUPPORTED).");
        return Com<IMAPIFolder>(reinterpret_cast<IMAPIFolder*>(asFolder.detach()));
    }

    void setColumns(std::vector<ULONG> tags) {
        if (table_ && !tags.empty()) {
            TagArray array(tags);
            const HRESULT hr = table_->SetColumns(array.get(), 0);
            if (FAILED(hr)) raise(hr, described(L"The table would not take the columns", hr));
            forget();
        }
        columns_ = std::move(tags);
    }

    /// Restricts the table to the filter (the table copies the restriction); the rows read so far no longer count.
    void applyFilter() {
        SRestriction restriction{};
        restriction.rt = RES_BITMASK;
        restriction.res.resBitMask.relBMR = filter_->relation;
        restriction.res.resBitMask.ulPropTag = filter_->propTag;
        restriction.res.resBitMask.ulMask = filter_->mask;
        const HRESULT hr = table()->Restrict(filter_->active ? &restriction : nullptr, 0);
        if (FAILED(hr)) raise(hr, described(L"The table could not be filtered", hr));
        applied_ = *filter_;
        forget();
    }

    void syncFilter() {
        table();
        if (!(applied_ == *filter_)) {
            applyFilter();
            pos_ = -1;
        }
    }

    bool findFirst(bool forward) {
        applyFilter();
        pos_ = -1;
        if (!forward) {
            ULONG count = 0;
            const HRESULT hr = table_->GetRowCount(0, &count);
            if (FAILED(hr)) raise(hr, described(L"The table's rows could not be counted", hr));
            pos_ = static_cast<LONG>(count);
        }
        return step(forward);
    }

    /// Moves to the next row that way; false, past the end (or before the start), when there is none.
    bool step(bool forward) {
        const LONG next = forward ? pos_ + 1 : std::max<LONG>(pos_, 0) - 1;
        if (rowAt(next, forward)) {
            pos_ = next;
            return true;
        }
        pos_ = forward ? std::max(next, 0L) : -1;
        return false;
    }

    void forget() {
        buffer_.clear();
        bufferStart_ = 0;
        cursor_ = -1;
        end_ = -1;
    }

    /// Row `index` of the table, from the batch read last or a new one read about it; null past the ends.
    const SRow* rowAt(LONG index, bool forward) {
        if (index < 0 || (end_ >= 0 && index >= end_)) return nullptr;
        if (index >= bufferStart_ && index < bufferStart_ + static_cast<LONG>(buffer_.size()))
            return &buffer_[static_cast<ULONG>(index - bufferStart_)];
        LONG start = forward ? index : std::max<LONG>(0, index - (kBatch - 1));
        for (;;) {
            read(start);
            const LONG got = static_cast<LONG>(buffer_.size());
            if (got == 0) {
                end_ = start;
                return nullptr;
            }
            if (index < start + got) return &buffer_[static_cast<ULONG>(index - start)];
            start += got;
        }
    }

    void read(LONG start) {
        HRESULT hr = S_OK;
        buffer_.clear();
        if (cursor_ != start) {
            LONG sought = 0;
            hr = table_->SeekRow(BOOKMARK_BEGINNING, start, &sought);
            if (FAILED(hr)) raise(hr, described(L"The table could not move to its row", hr));
            cursor_ = sought;
            if (sought < start) {  // the table is shorter
                bufferStart_ = start;
                end_ = sought;
                return;
            }
        }
        hr = table_->QueryRows(kBatch, 0, buffer_.put());
        if (FAILED(hr)) {
            cursor_ = -1;
            raise(hr, described(L"The table's rows could not be read", hr));
        }
        bufferStart_ = start;
        cursor_ = start + static_cast<LONG>(buffer_.size());
    }

    /// The row's values in column order; a column the row lacks is VT_ERROR MAPI_E_NOT_FOUND.
    void rowValues(const SRow& row, Variant& out) const {
        const size_t count = columns_.empty() ? row.cValues : columns_.size();
        std::vector<Variant> values(count);
        for (size_t i = 0; i < count; ++i) {
            if (i < row.cValues) {
                toVariant(row.lpProps[i], values[i]);
            } else {
                V_VT(values[i].get()) = VT_ERROR;
                V_ERROR(values[i].get()) = MAPI_E_NOT_FOUND;
            }
        }
        setArray(out, values);
    }

    Com<IDispatch> items_;
    Com<IMAPITable> table_;
    std::vector<ULONG> columns_;
    std::shared_ptr<FilterState> filter_ = std::make_shared<FilterState>();
    Com<IDispatch> filterObject_;
    FilterState applied_;
    LONG pos_ = -1;
    RowSet buffer_;
    LONG bufferStart_ = 0;
    LONG cursor_ = -1;  // where the MAPI table's own cursor stands; -1 unknown
    LONG end_ = -1;     // the row count once a read found the end; -1 unknown
};

}  // namespace

IDispatch* newMapiTable() {
    return new MapiTable();
}

}  // namespace tarn
