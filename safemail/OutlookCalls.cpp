// Late-bound reads of the mail client's objects.
#include "OutlookCalls.h"

#include "PropValues.h"

namespace tarn {

namespace {

HRESULT idOf(IDispatch* object, const wchar_t* name, DISPID& id) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    return object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
}

}  // namespace

bool hasMember(IDispatch* object, const wchar_t* name) {
    DISPID id = DISPID_UNKNOWN;
    return object && SUCCEEDED(idOf(object, name, id));
}

HRESULT readMember(IDispatch* object, const wchar_t* name, Variant& out) {
    VariantClear(out.get());
    if (!object) return E_POINTER;
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = idOf(object, name, id);
    if (FAILED(hr)) return hr;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXCEPINFO exception{};
    hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET | DISPATCH_METHOD, &none, out.get(),
                        &exception, nullptr);
    if (hr == DISP_E_EXCEPTION && FAILED(exception.scode)) hr = exception.scode;
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    return hr;
}

Com<IDispatch> objectMember(IDispatch* object, const wchar_t* name) {
    Variant value;
    if (FAILED(readMember(object, name, value))) return {};
    const VARIANT& v = value.raw();
    if (V_VT(&v) == VT_DISPATCH || V_VT(&v) == VT_UNKNOWN) return query<IDispatch>(V_UNKNOWN(&v), IID_IDispatch);
    return {};
}

std::wstring textMember(IDispatch* object, const wchar_t* name) {
    Variant value, text;
    if (FAILED(readMember(object, name, value))) return {};
    if (FAILED(VariantChangeType(text.get(), value.get(), 0, VT_BSTR))) return {};
    return textOf(text);
}

Com<IUnknown> mapiObjectOf(IDispatch* object, REFIID iid, HRESULT* failure) {
    Variant value;
    HRESULT hr = readMember(object, L"MAPIOBJECT", value);
    Com<IUnknown> found;
    const VARIANT& v = value.raw();
    if (SUCCEEDED(hr)) {
        if ((V_VT(&v) == VT_UNKNOWN || V_VT(&v) == VT_DISPATCH) && V_UNKNOWN(&v)) {
            found = query<IUnknown>(V_UNKNOWN(&v), iid);
            if (!found) hr = E_NOINTERFACE;
        } else {
            hr = MAPI_E_NOT_FOUND;
        }
    }
    if (failure) *failure = hr;
    return found;
}

}  // namespace tarn
