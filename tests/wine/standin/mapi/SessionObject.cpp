// The stand-in's IMAPISession (store, address book, status table) and IMAPIStatus (the transport queue's flush).
#include <cstring>
#include <map>
#include <string>

#include "mapi/MapiParts.h"
#include "mapi/MapiTable.h"
#include "mapi/StandInMapi.h"

namespace tw::standin {

namespace mapi {

namespace {

HRESULT notServed() {
    return MAPI_E_NO_SUPPORT;
}

/// The status table's rows, in its order: the subsystem, the transport queue, the store.
constexpr ULONG kResources[] = {MAPI_SUBSYSTEM, MAPI_SPOOLER, MAPI_STORE_PROVIDER};

std::wstring resourceName(ULONG type) {
    switch (type) {
        case MAPI_SUBSYSTEM: return L"MAPI Subsystem";
        case MAPI_SPOOLER: return L"Outgoing Queue";
        default: return L"Personal Folders";
    }
}

PropValue statusProperty(ULONG resource, ULONG tag) {
    switch (PROP_ID(tag)) {
        case PROP_ID(PR_ENTRYID): return PropValue::ofBytes(ownEntryId('S', std::to_string(resource)));
        case PROP_ID(PR_RESOURCE_TYPE): return PropValue::ofLong(static_cast<LONG>(resource));
        case PROP_ID(PR_DISPLAY_NAME): return PropValue::ofText(resourceName(resource));
        case PROP_ID(PR_OBJECT_TYPE): return PropValue::ofLong(MAPI_STATUS);
        default: return {};
    }
}

/// Flushes asked for with FLUSH_ASYNC_OK, by the thread timer that runs them: the transport sends
/// once the client's message loop runs again, not inside the caller's call.
std::map<UINT_PTR, std::weak_ptr<Model>>& pendingFlushes() {
    static std::map<UINT_PTR, std::weak_ptr<Model>> pending;
    return pending;
}

void CALLBACK runPendingFlush(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    auto found = pendingFlushes().find(timer);
    if (found == pendingFlushes().end()) return;
    auto model = found->second.lock();
    pendingFlushes().erase(found);
    if (model && model->root) deliverOutbox(*model);
}

class Status : public PropObject<IMAPIStatus> {
public:
    Status(ModelPtr model, ULONG resource) : m_(std::move(model)), resource_(resource) {}

    HRESULT STDMETHODCALLTYPE ValidateState(ULONG, ULONG) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE SettingsDialog(ULONG, ULONG) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE ChangePassword(LPTSTR, LPTSTR, ULONG) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE FlushQueues(ULONG, ULONG, LPENTRYID, ULONG flags) override {
        if (resource_ != MAPI_SPOOLER) return notServed();
        if (!(flags & FLUSH_ASYNC_OK)) {
            deliverOutbox(*m_);
            return S_OK;
        }
        const UINT_PTR timer = SetTimer(nullptr, 0, 10, runPendingFlush);
        if (!timer) return MAPI_E_CALL_FAILED;
        pendingFlushes()[timer] = m_;
        return S_OK;
    }

protected:
    bool answers(REFIID riid) const override { return IsEqualIID(riid, IID_IMAPIProp) || IsEqualIID(riid, IID_IMAPIStatus); }
    PropValue property(ULONG tag) const override { return statusProperty(resource_, tag); }

private:
    ModelPtr m_;
    ULONG resource_;
};

class Session : public MapiObject<IMAPISession> {
public:
    explicit Session(ModelPtr model) : m_(std::move(model)) {}

    HRESULT STDMETHODCALLTYPE GetLastError(HRESULT, ULONG, LPMAPIERROR*) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE GetMsgStoresTable(ULONG, LPMAPITABLE*) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE OpenMsgStore(ULONG_PTR, ULONG size, LPENTRYID id, LPCIID iid, ULONG, LPMDB* out) override {
        if (!out) return MAPI_E_INVALID_PARAMETER;
        *out = nullptr;
        if (_wcsicmp(hexOf(id, size).c_str(), m_->storeId.c_str()) != 0) return MAPI_E_NOT_FOUND;
        LPUNKNOWN store = nullptr;
        HRESULT hr = handOut(newStore(m_), iid, &store);
        *out = static_cast<LPMDB>(store);
        return hr;
    }
    HRESULT STDMETHODCALLTYPE OpenAddressBook(ULONG_PTR, LPCIID iid, ULONG, LPADRBOOK* out) override {
        if (!out) return MAPI_E_INVALID_PARAMETER;
        *out = nullptr;
        LPUNKNOWN book = nullptr;
        HRESULT hr = handOut(newAddressBook(m_), iid, &book);
        *out = static_cast<LPADRBOOK>(book);
        return hr;
    }
    HRESULT STDMETHODCALLTYPE OpenProfileSection(LPMAPIUID, LPCIID, ULONG, LPPROFSECT*) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE GetStatusTable(ULONG flags, LPMAPITABLE* out) override {
        std::vector<TableRow> rows;
        for (ULONG resource : kResources) rows.push_back([resource](ULONG tag) { return statusProperty(resource, tag); });
        return openTable({PR_ENTRYID, PR_RESOURCE_TYPE, textTag(PR_DISPLAY_NAME, flags)}, std::move(rows), out);
    }
    HRESULT STDMETHODCALLTYPE OpenEntry(ULONG size, LPENTRYID id, LPCIID iid, ULONG, ULONG* type, LPUNKNOWN* out) override {
        if (!type || !out) return MAPI_E_INVALID_PARAMETER;
        *out = nullptr;
        char kind = 0;
        std::string payload;
        if (readOwnEntryId(size, id, kind, payload) && kind == 'S') {
            for (ULONG resource : kResources) {
                if (payload != std::to_string(resource)) continue;
                *type = MAPI_STATUS;
                return handOut(newStatus(m_, resource), iid, out);
            }
            return MAPI_E_NOT_FOUND;
        }
        if (readOwnEntryId(size, id, kind, payload)) return openAddressEntry(m_, size, id, iid, type, out);
        return openStoreEntry(m_, size, id, iid, type, out);
    }
    HRESULT STDMETHODCALLTYPE CompareEntryIDs(ULONG size1, LPENTRYID id1, ULONG size2, LPENTRYID id2, ULONG, ULONG* result) override {
        if (!result || (size1 && !id1) || (size2 && !id2)) return MAPI_E_INVALID_PARAMETER;
        *result = size1 == size2 && (size1 == 0 || std::memcmp(id1, id2, size1) == 0);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Advise(ULONG, LPENTRYID, ULONG, LPMAPIADVISESINK, ULONG*) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE Unadvise(ULONG) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE MessageOptions(ULONG_PTR, ULONG, LPTSTR, LPMESSAGE) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE QueryDefaultMessageOpt(LPTSTR, ULONG, ULONG*, LPSPropValue*) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE EnumAdrTypes(ULONG, ULONG*, LPTSTR**) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE QueryIdentity(ULONG*, LPENTRYID*) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE Logoff(ULONG_PTR, ULONG, ULONG) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetDefaultStore(ULONG, ULONG, LPENTRYID) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE AdminServices(ULONG, LPSERVICEADMIN*) override { return notServed(); }
    HRESULT STDMETHODCALLTYPE ShowForm(ULONG_PTR, LPMDB, LPMAPIFOLDER, LPCIID, ULONG, LPMESSAGE, ULONG, ULONG, ULONG, ULONG,
                                       LPSTR) override {
        return notServed();
    }
    HRESULT STDMETHODCALLTYPE PrepareForm(LPCIID, LPMESSAGE, ULONG*) override { return notServed(); }

protected:
    bool answers(REFIID riid) const override { return IsEqualIID(riid, IID_IMAPISession); }

private:
    ModelPtr m_;
};

}  // namespace

IMAPIStatus* newStatus(ModelPtr model, ULONG resourceType) {
    return new Status(std::move(model), resourceType);
}

}  // namespace mapi

Ref<IUnknown> makeMapiSession(const std::shared_ptr<Model>& model) {
    return Ref<IUnknown>::adopt(new mapi::Session(model));
}

}  // namespace tw::standin
