// The library's MAPI session: the client's name space's MAPI object, else a shared logon; never a prompt.
#include "MapiSession.h"

#include "MapiLibrary.h"
#include "OutlookCalls.h"

namespace tarn {

namespace {

struct Held {
    Com<IMAPISession> session;
    Com<IAddrBook> book;
    bool initialized = false;  // this library's MAPIInitialize, balanced at cleanup
};

// Never destroyed: at process exit MAPI may already be gone, and nothing may be released then.
Held& held() {
    static Held* h = new Held;
    return *h;
}

/// The name space's session reached from an item, folder, Items or Application.
Com<IMAPISession> sessionOfClient(IDispatch* object) {
    if (!object) return {};
    Com<IDispatch> nameSpace = objectMember(object, L"Session");
    if (!nameSpace) {
        if (Com<IDispatch> application = objectMember(object, L"Application")) nameSpace = objectMember(application.get(), L"Session");
    }
    if (!nameSpace) return {};
    Com<IUnknown> session = mapiObjectOf(nameSpace.get(), IID_IMAPISession, nullptr);
    return Com<IMAPISession>(reinterpret_cast<IMAPISession*>(session.detach()));
}

HRESULT logon(Held& h) {
    try {
        MapiLibrary& mapi = MapiLibrary::require();
        if (!h.initialized) {
            const HRESULT hr = mapi.initialize(nullptr);
            if (FAILED(hr)) return hr;
            h.initialized = true;
        }
        // No MAPI_NEW_SESSION: the client's session is shared; no MAPI_LOGON_UI: never a prompt.
        return mapi.logonEx(0, nullptr, nullptr, MAPI_EXTENDED | MAPI_USE_DEFAULT, h.session.put());
    } catch (const ComError& error) {
        return error.scode;
    }
}

}  // namespace

Com<IMAPISession> MapiSession::get(IDispatch* clientObject, HRESULT* failure) {
    Held& h = held();
    HRESULT hr = S_OK;
    if (!h.session) h.session = sessionOfClient(clientObject);
    if (!h.session) {
        hr = logon(h);
        if (SUCCEEDED(hr) && !h.session) hr = MAPI_E_LOGON_FAILED;
        if (FAILED(hr)) h.session.reset();
    }
    if (failure) *failure = h.session ? S_OK : hr;
    return h.session;
}

Com<IAddrBook> MapiSession::addressBook(IDispatch* clientObject, HRESULT* failure) {
    Held& h = held();
    Com<IMAPISession> session = get(clientObject, failure);
    if (!session) return {};
    if (!h.book) {
        const HRESULT hr = session->OpenAddressBook(0, nullptr, AB_NO_DIALOG, h.book.put());
        if (FAILED(hr) || !h.book) {
            h.book.reset();
            if (failure) *failure = FAILED(hr) ? hr : MAPI_E_CALL_FAILED;
            return {};
        }
    }
    if (failure) *failure = S_OK;
    return h.book;
}

bool MapiSession::holding() {
    return held().session || held().initialized;
}

void MapiSession::cleanup() {
    Held& h = held();
    h.book.reset();
    h.session.reset();
    if (h.initialized) {
        h.initialized = false;
        try {
            MapiLibrary::require().uninitialize();
        } catch (const ComError&) {
        }
    }
}

}  // namespace tarn
