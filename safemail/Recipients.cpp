// A message's recipients read from its recipient table, and a To recipient added with ModifyRecipients.
#include <cstring>
#include <vector>

#include "DispatchObject.h"
#include "Objects.h"
#include "PropValues.h"

namespace tarn {

namespace {

struct RecipientData {
    EntryData entry;
    long type = MAPI_TO;
};

class Recipient final : public DispatchObject {
public:
    Recipient(RecipientData data, Com<IDispatch> item) : DispatchObject(L"Recipient"), r_(std::move(data)), item_(std::move(item)) {
        reader(L"Name", [this](const Args&, Variant& out) { setText(out, r_.entry.name.empty() ? r_.entry.address : r_.entry.name); });
        reader(L"Type", [this](const Args&, Variant& out) { setInt(out, r_.type); });
        reader(L"AddressEntry", [this](const Args&, Variant& out) {
            if (r_.entry.address.empty() && r_.entry.entryId.empty()) return setObject(out, nullptr);
            setObject(out, newAddressEntry(r_.entry, item_));
        });
    }

private:
    RecipientData r_;
    Com<IDispatch> item_;
};

/// "Name <address>" or a bare address.
EntryData parseAddress(const std::wstring& text) {
    auto trim = [](std::wstring s) {
        const size_t first = s.find_first_not_of(L" \t\"'");
        const size_t last = s.find_last_not_of(L" \t\"'");
        return first == std::wstring::npos ? std::wstring() : s.substr(first, last - first + 1);
    };
    EntryData entry;
    entry.type = L"SMTP";
    const size_t open = text.rfind(L'<');
    const size_t close = text.rfind(L'>');
    if (open != std::wstring::npos && close != std::wstring::npos && close > open) {
        entry.address = trim(text.substr(open + 1, close - open - 1));
        entry.name = trim(text.substr(0, open));
    } else {
        entry.address = trim(text);
    }
    if (entry.name.empty()) entry.name = entry.address;
    return entry;
}

class Recipients final : public DispatchObject {
public:
    Recipients(Com<IMessage> message, Com<IDispatch> item)
        : DispatchObject(L"Recipients"), message_(std::move(message)), item_(std::move(item)) {
        reader(L"Count", [this](const Args&, Variant& out) { setInt(out, static_cast<long>(read().size())); });
        reader(L"Item", [this](const Args& a, Variant& out) {
            std::vector<RecipientData> all = read();
            const long index = a.toInt(0);
            if (index < 1 || static_cast<size_t>(index) > all.size()) raise(DISP_E_BADINDEX, L"Array index out of bounds.");
            setObject(out, new Recipient(all[static_cast<size_t>(index - 1)], item_));
        });
        reader(L"Add", [this](const Args& a, Variant& out) { setObject(out, add(a.toText(0))); });
    }

private:
    std::vector<RecipientData> read() {
        Com<IMAPITable> table;
        HRESULT hr = message_->GetRecipientTable(0, table.put());
        if (FAILED(hr) || !table) raise(FAILED(hr) ? hr : MAPI_E_CALL_FAILED, described(L"The message's recipients could not be read", hr));
        TagArray columns({PR_DISPLAY_NAME_W, PR_RECIPIENT_TYPE, PR_ADDRTYPE_W, PR_EMAIL_ADDRESS_W, PR_ENTRYID});
        hr = table->SetColumns(columns.get(), 0);
        if (FAILED(hr)) raise(hr, described(L"The message's recipient table would not take its columns", hr));
        std::vector<RecipientData> all;
        for (;;) {
            RowSet rows;
            hr = table->QueryRows(100, 0, rows.put());
            if (FAILED(hr)) raise(hr, described(L"The message's recipients could not be read", hr));
            if (rows.size() == 0) break;
            for (ULONG i = 0; i < rows.size(); ++i) {
                RecipientData r;
                r.entry = entryFrom(rows[i].lpProps, rows[i].cValues);
                for (ULONG v = 0; v < rows[i].cValues; ++v)
                    if (rows[i].lpProps[v].ulPropTag == PR_RECIPIENT_TYPE) r.type = rows[i].lpProps[v].Value.l;
                all.push_back(std::move(r));
            }
        }
        return all;
    }

    IDispatch* add(const std::wstring& given) {
        RecipientData r;
        r.entry = parseAddress(given);
        r.type = MAPI_TO;
        if (r.entry.address.empty()) raise(E_INVALIDARG, L"The recipient has no address.");
        MapiLibrary& mapi = MapiLibrary::require();
        // ModifyRecipients may replace an entry's values, so each entry's values are a buffer of their own.
        MapiBuffer<ADRLIST> list;
        SCODE sc = mapi.allocateBuffer(CbNewADRLIST(1), reinterpret_cast<void**>(list.put()));
        if (FAILED(sc)) raise(sc, described(L"The recipient could not be added", sc));
        list->cEntries = 1;
        list->aEntries[0] = ADRENTRY{};
        const std::wstring* texts[] = {&r.entry.name, &r.entry.address, &r.entry.type};
        size_t textBytes = 0;
        for (const std::wstring* t : texts) textBytes += (t->size() + 1) * sizeof(wchar_t);
        void* block = nullptr;
        sc = mapi.allocateBuffer(static_cast<ULONG>(4 * sizeof(SPropValue) + textBytes), &block);
        if (FAILED(sc)) raise(sc, described(L"The recipient could not be added", sc));
        auto* values = static_cast<SPropValue*>(block);
        list->aEntries[0].rgPropVals = values;
        list->aEntries[0].cValues = 4;
        auto* text = reinterpret_cast<wchar_t*>(values + 4);
        const ULONG tags[] = {PR_DISPLAY_NAME_W, PR_EMAIL_ADDRESS_W, PR_ADDRTYPE_W};
        for (size_t i = 0; i < 3; ++i) {
            values[i] = SPropValue{};
            values[i].ulPropTag = tags[i];
            values[i].Value.lpszW = text;
            memcpy(text, texts[i]->c_str(), (texts[i]->size() + 1) * sizeof(wchar_t));
            text += texts[i]->size() + 1;
        }
        values[3] = SPropValue{};
        values[3].ulPropTag = PR_RECIPIENT_TYPE;
        values[3].Value.l = MAPI_TO;
        const HRESULT hr = message_->ModifyRecipients(MODRECIP_ADD, list.get());
        MapiLibrary::free(list->aEntries[0].rgPropVals);
        list->aEntries[0].rgPropVals = nullptr;
        if (FAILED(hr)) raise(hr, described(L"The recipient could not be added", hr));
        return new Recipient(std::move(r), item_);
    }

    Com<IMessage> message_;
    Com<IDispatch> item_;
};

}  // namespace

IDispatch* newRecipients(Com<IMessage> message, Com<IDispatch> item) {
    return new Recipients(std::move(message), std::move(item));
}

}  // namespace tarn
