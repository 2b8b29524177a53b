// The stand-in's MAPI objects' base: IUnknown with a count of live objects, and the methods the client does not serve.
#pragma once

#include <windows.h>
#include <mapix.h>

#include "mapi/PropBuilder.h"

namespace tw::standin::mapi {

/// The count every MAPI object of the stand-in adds itself to while it lives.
LONG& liveCounter();

// The COM interfaces have no virtual destructor by design: objects delete themselves in Release.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

/// One MAPI interface (and the ones it derives from) on a counted, self-deleting object.
template <class I>
class MapiObject : public I {
public:
    MapiObject() { InterlockedIncrement(&liveCounter()); }
    virtual ~MapiObject() { InterlockedDecrement(&liveCounter()); }
    MapiObject(const MapiObject&) = delete;
    MapiObject& operator=(const MapiObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !answers(riid)) return E_NOINTERFACE;
        *out = static_cast<I*>(this);
        this->AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

protected:
    /// The interfaces besides IUnknown that QueryInterface answers.
    virtual bool answers(REFIID riid) const = 0;

private:
    LONG refs_ = 1;
};

/// IMAPIProp over a property source: GetProps and OpenProperty read it; the rest is not served.
template <class I>
class PropObject : public MapiObject<I> {
public:
    HRESULT STDMETHODCALLTYPE GetLastError(HRESULT, ULONG, LPMAPIERROR*) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE SaveChanges(ULONG) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE GetProps(LPSPropTagArray tags, ULONG, ULONG* count, LPSPropValue* values) override {
        if (!tags) return MAPI_E_NO_SUPPORT;  // every property at once is not served
        return buildProps(tags->aulPropTag, tags->cValues, [this](ULONG tag) { return property(tag); }, count, values);
    }
    HRESULT STDMETHODCALLTYPE GetPropList(ULONG, LPSPropTagArray*) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE OpenProperty(ULONG tag, LPCIID iid, ULONG, ULONG flags, LPUNKNOWN* out) override {
        return openStream(property(tag), tag, iid, flags, out);
    }
    HRESULT STDMETHODCALLTYPE SetProps(ULONG, LPSPropValue, LPSPropProblemArray*) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE DeleteProps(LPSPropTagArray, LPSPropProblemArray*) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE CopyTo(ULONG, LPCIID, LPSPropTagArray, ULONG, LPMAPIPROGRESS, LPCIID, LPVOID, ULONG,
                                     LPSPropProblemArray*) override {
        return MAPI_E_NO_SUPPORT;
    }
    HRESULT STDMETHODCALLTYPE CopyProps(LPSPropTagArray, ULONG, LPMAPIPROGRESS, LPCIID, LPVOID, ULONG, LPSPropProblemArray*) override {
        return MAPI_E_NO_SUPPORT;
    }
    HRESULT STDMETHODCALLTYPE GetNamesFromIDs(LPSPropTagArray*, LPGUID, ULONG, ULONG*, LPMAPINAMEID**) override {
        return MAPI_E_NO_SUPPORT;
    }
    HRESULT STDMETHODCALLTYPE GetIDsFromNames(ULONG, LPMAPINAMEID*, ULONG, LPSPropTagArray*) override { return MAPI_E_NO_SUPPORT; }

protected:
    /// The object's value under a tag (its type decides 8-bit or wide text, text or bytes).
    virtual PropValue property(ULONG tag) const = 0;
};

/// IMAPIContainer with none of its methods served; the objects override what they serve.
template <class I>
class ContainerObject : public PropObject<I> {
public:
    HRESULT STDMETHODCALLTYPE GetContentsTable(ULONG, LPMAPITABLE*) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE GetHierarchyTable(ULONG, LPMAPITABLE*) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE OpenEntry(ULONG, LPENTRYID, LPCIID, ULONG, ULONG*, LPUNKNOWN*) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE SetSearchCriteria(LPSRestriction, LPENTRYLIST, ULONG) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE GetSearchCriteria(ULONG, LPSRestriction*, LPENTRYLIST*, ULONG*) override { return MAPI_E_NO_SUPPORT; }
};

/// IABContainer and IDistList share these methods; none is served.
template <class I>
class AddressContainerObject : public ContainerObject<I> {
public:
    HRESULT STDMETHODCALLTYPE CreateEntry(ULONG, LPENTRYID, ULONG, LPMAPIPROP*) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE CopyEntries(LPENTRYLIST, ULONG, LPMAPIPROGRESS, ULONG) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE DeleteEntries(LPENTRYLIST, ULONG) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE ResolveNames(LPSPropTagArray, ULONG, LPADRLIST, LPFlagList) override { return MAPI_E_NO_SUPPORT; }
};

#pragma GCC diagnostic pop

/// Hands out a new object (whose first reference the caller takes) as the interface asked for: null
/// asks for its own; one it does not answer fails with MAPI_E_INTERFACE_NOT_SUPPORTED.
template <class T>
HRESULT handOut(T* object, LPCIID iid, LPUNKNOWN* out) {
    HRESULT hr = S_OK;
    if (!iid) {
        *out = object;
        object->AddRef();
    } else if (FAILED(object->QueryInterface(*iid, reinterpret_cast<void**>(out)))) {
        hr = MAPI_E_INTERFACE_NOT_SUPPORTED;
    }
    object->Release();
    return hr;
}

}  // namespace tw::standin::mapi
