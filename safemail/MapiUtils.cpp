// The MAPI utilities: one property of any client object, sending what waits in the Outbox, letting go of the session.
#include "DispatchObject.h"
#include "MapiSession.h"
#include "Objects.h"
#include "OutlookCalls.h"
#include "PropValues.h"

namespace tarn {

namespace {

class MapiUtils final : public DispatchObject {
public:
    MapiUtils() : DispatchObject(L"MAPIUtils") {
        reader(L"HrGetOneProp", [](const Args& a, Variant& out) {
            Com<IDispatch> item = a.toObject(0);
            const ULONG tag = static_cast<ULONG>(a.toInt(1));
            if (!item) raise(E_INVALIDARG, L"HrGetOneProp needs an item, not Nothing.");
            HRESULT hr = S_OK;
            Com<IUnknown> found = mapiObjectOf(item.get(), IID_IMAPIProp, &hr);
            if (!found) raise(FAILED(hr) ? hr : E_NOINTERFACE, described(L"The item's MAPI object is not available", hr));
            hr = readProp(reinterpret_cast<IMAPIProp*>(found.get()), tag, out);
            if (hr == MAPI_E_NOT_FOUND) raise(hr, L"The item does not have the property (MAPI_E_NOT_FOUND).");
            if (FAILED(hr)) raise(hr, described(L"The item's property could not be read", hr));
        });
        reader(L"DeliverNow", [](const Args& a, Variant& out) {
            const ULONG_PTR window = a.has(1) ? static_cast<ULONG_PTR>(a.toInt(1)) : 0;
            setBool(out, deliverNow(window));
        });
        reader(L"Cleanup", [](const Args&, Variant&) { MapiSession::cleanup(); });
    }

private:
    /// Asks the spooler to flush its queues without waiting; false when there is no session or spooler.
    static bool deliverNow(ULONG_PTR window) {
        Com<IMAPISession> session = MapiSession::get(nullptr, nullptr);
        if (!session) return false;
        Com<IMAPITable> status;
        HRESULT hr = session->GetStatusTable(0, status.put());
        if (FAILED(hr) || !status) return false;
        TagArray columns({PR_ENTRYID, PR_RESOURCE_TYPE});
        if (FAILED(status->SetColumns(columns.get(), 0))) return false;
        std::string spooler;
        while (spooler.empty()) {
            RowSet rows;
            if (FAILED(status->QueryRows(50, 0, rows.put())) || rows.size() == 0) break;
            for (ULONG i = 0; i < rows.size() && spooler.empty(); ++i) {
                std::string id;
                bool isSpooler = false;
                for (ULONG v = 0; v < rows[i].cValues; ++v) {
                    const SPropValue& value = rows[i].lpProps[v];
                    if (value.ulPropTag == PR_ENTRYID) id = bytesOf(value);
                    if (value.ulPropTag == PR_RESOURCE_TYPE && value.Value.l == MAPI_SPOOLER) isSpooler = true;
                }
                if (isSpooler) spooler = id;
            }
        }
        if (spooler.empty()) return false;
        ULONG type = 0;
        Com<IUnknown> opened;
        hr = session->OpenEntry(static_cast<ULONG>(spooler.size()), reinterpret_cast<LPENTRYID>(spooler.data()),
                                &IID_IMAPIStatus, 0, &type, opened.put());
        if (FAILED(hr) || !opened) return false;
        auto* spoolerStatus = reinterpret_cast<IMAPIStatus*>(opened.get());
        hr = spoolerStatus->FlushQueues(static_cast<ULONG>(window), 0, nullptr, FLUSH_UPLOAD | FLUSH_DOWNLOAD | FLUSH_ASYNC_OK);
        if (FAILED(hr)) raise(hr, described(L"The transport could not be asked to send now", hr));
        return true;
    }
};

}  // namespace

IDispatch* newMapiUtils() {
    return new MapiUtils();
}

}  // namespace tarn
