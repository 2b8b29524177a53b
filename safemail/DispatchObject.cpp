// The IDispatch base: name lookup, argument reading and turning raised errors into EXCEPINFO.
#include "DispatchObject.h"

#include <new>

namespace tarn {

namespace {

LONG g_liveObjects = 0;

bool sameName(const std::wstring& a, const wchar_t* b) {
    return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), -1, b, -1) == CSTR_EQUAL;
}

const VARIANT& followed(const VARIANT& v) {
    if (V_VT(&v) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(&v)) return *V_VARIANTREF(&v);
    return v;
}

bool missing(const VARIANT& v) {
    return V_VT(&v) == VT_EMPTY || (V_VT(&v) == VT_ERROR && V_ERROR(&v) == DISP_E_PARAMNOTFOUND);
}

}  // namespace

void raise(HRESULT scode, const std::wstring& description) {
    throw ComError{scode, description};
}

Variant::Variant(const Variant& other) {
    VariantInit(&v_);
    VariantCopy(&v_, const_cast<VARIANT*>(&other.v_));
}

Variant& Variant::operator=(const Variant& other) {
    if (this != &other) VariantCopy(&v_, const_cast<VARIANT*>(&other.v_));
    return *this;
}

void Variant::moveTo(VARIANT* out) {
    *out = v_;
    VariantInit(&v_);
}

Args::Args(const DISPPARAMS* params, bool put) {
    if (!params) return;
    UINT named = params->cNamedArgs;
    if (put && named >= 1 && params->cArgs >= 1) value_ = &followed(params->rgvarg[0]);
    // Named arguments come first in rgvarg; the positional ones follow, last first.
    for (UINT i = params->cArgs; i > named; --i) positional_.push_back(&followed(params->rgvarg[i - 1]));
    if (put && !value_ && !positional_.empty()) {
        value_ = positional_.back();
        positional_.pop_back();
    }
}

bool Args::has(size_t i) const {
    return i < positional_.size() && !missing(*positional_[i]);
}

const VARIANT& Args::at(size_t i) const {
    if (!has(i)) raise(DISP_E_PARAMNOTOPTIONAL, L"Argument " + std::to_wstring(i + 1) + L" is missing.");
    return *positional_[i];
}

long Args::toInt(size_t i) const {
    VARIANT converted;
    VariantInit(&converted);
    if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&at(i)), 0, VT_I4)))
        raise(DISP_E_TYPEMISMATCH, L"Argument " + std::to_wstring(i + 1) + L" is not a number.");
    return V_I4(&converted);
}

bool Args::toBool(size_t i, bool whenMissing) const {
    if (!has(i)) return whenMissing;
    VARIANT converted;
    VariantInit(&converted);
    if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&at(i)), 0, VT_BOOL)))
        raise(DISP_E_TYPEMISMATCH, L"Argument " + std::to_wstring(i + 1) + L" is not True or False.");
    return V_BOOL(&converted) != VARIANT_FALSE;
}

std::wstring Args::toText(size_t i) const {
    Variant converted;
    if (FAILED(VariantChangeType(converted.get(), const_cast<VARIANT*>(&at(i)), 0, VT_BSTR)))
        raise(DISP_E_TYPEMISMATCH, L"Argument " + std::to_wstring(i + 1) + L" is not text.");
    BSTR text = V_BSTR(converted.get());
    return text ? std::wstring(text, SysStringLen(text)) : std::wstring();
}

namespace {

Com<IDispatch> objectOf(const VARIANT& v, const std::wstring& what) {
    IUnknown* unknown = nullptr;
    switch (V_VT(&v)) {
        case VT_DISPATCH: unknown = V_DISPATCH(&v); break;
        case VT_UNKNOWN: unknown = V_UNKNOWN(&v); break;
        case VT_BYREF | VT_DISPATCH: unknown = V_DISPATCHREF(&v) ? *V_DISPATCHREF(&v) : nullptr; break;
        case VT_BYREF | VT_UNKNOWN: unknown = V_UNKNOWNREF(&v) ? *V_UNKNOWNREF(&v) : nullptr; break;
        case VT_EMPTY:
        case VT_NULL: return {};
        default: raise(DISP_E_TYPEMISMATCH, what + L" is not an object.");
    }
    if (!unknown) return {};
    Com<IDispatch> object = query<IDispatch>(unknown, IID_IDispatch);
    if (!object) raise(DISP_E_TYPEMISMATCH, what + L" is not an automation object.");
    return object;
}

}  // namespace

Com<IDispatch> Args::toObject(size_t i) const {
    return objectOf(at(i), L"Argument " + std::to_wstring(i + 1));
}

Com<IDispatch> Args::valueObject() const {
    return objectOf(value(), L"The value");
}

const VARIANT& Args::value() const {
    if (!value_) raise(DISP_E_PARAMNOTOPTIONAL, L"The value to set is missing.");
    return *value_;
}

DispatchObject::DispatchObject(const wchar_t* className) : className_(className) {
    InterlockedIncrement(&g_liveObjects);
}

DispatchObject::~DispatchObject() {
    InterlockedDecrement(&g_liveObjects);
}

LONG DispatchObject::liveObjects() {
    return g_liveObjects;
}

HRESULT STDMETHODCALLTYPE DispatchObject::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch)) return E_NOINTERFACE;
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE DispatchObject::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
}

ULONG STDMETHODCALLTYPE DispatchObject::Release() {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE DispatchObject::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DispatchObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT STDMETHODCALLTYPE DispatchObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!names || !ids) return E_POINTER;
    HRESULT hr = S_OK;
    for (UINT n = 0; n < count; ++n) {
        ids[n] = DISPID_UNKNOWN;
        if (n > 0) {  // names of arguments are not known
            hr = DISP_E_UNKNOWNNAME;
            continue;
        }
        for (size_t i = 0; i < members_.size(); ++i)
            if (names[n] && sameName(members_[i].name, names[n])) ids[n] = static_cast<DISPID>(i + 1);
        if (ids[n] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

HRESULT STDMETHODCALLTYPE DispatchObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                                 VARIANT* result, EXCEPINFO* exception, UINT* badArgument) {
    (void)badArgument;
    if (id < 1 || static_cast<size_t>(id) > members_.size()) return DISP_E_MEMBERNOTFOUND;
    const Member& member = members_[static_cast<size_t>(id - 1)];
    const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    if (put ? !member.write : !(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET))) return DISP_E_MEMBERNOTFOUND;
    if (!put && !member.read) return DISP_E_MEMBERNOTFOUND;
    HRESULT scode = S_OK;
    std::wstring description;
    try {
        Args args(params, put);
        if (put) {
            member.write(args);
        } else {
            Variant answer;
            member.read(args, answer);
            if (result) {
                VariantClear(result);
                answer.moveTo(result);
            }
        }
        return S_OK;
    } catch (const ComError& error) {
        scode = FAILED(error.scode) ? error.scode : E_FAIL;
        description = error.description;
    } catch (const std::bad_alloc&) {
        scode = E_OUTOFMEMORY;
        description = L"Not enough memory.";
    } catch (...) {
        scode = E_UNEXPECTED;
        description = L"An unexpected failure.";
    }
    if (exception) {
        *exception = EXCEPINFO{};
        exception->bstrSource = SysAllocString((L"TarnwickRedemption." + className_).c_str());
        exception->bstrDescription = SysAllocString(description.c_str());
        exception->scode = scode;
    }
    return DISP_E_EXCEPTION;
}

void DispatchObject::reader(const wchar_t* name, Reader read) {
    members_.push_back(Member{name, std::move(read), nullptr});
}

void DispatchObject::property(const wchar_t* name, Reader read, Writer write) {
    members_.push_back(Member{name, std::move(read), std::move(write)});
}

void setText(Variant& result, const std::wstring& text) {
    VariantClear(result.get());
    BSTR value = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!value) throw std::bad_alloc();
    V_VT(result.get()) = VT_BSTR;
    V_BSTR(result.get()) = value;
}

void setInt(Variant& result, long value) {
    VariantClear(result.get());
    V_VT(result.get()) = VT_I4;
    V_I4(result.get()) = value;
}

void setBool(Variant& result, bool value) {
    VariantClear(result.get());
    V_VT(result.get()) = VT_BOOL;
    V_BOOL(result.get()) = value ? VARIANT_TRUE : VARIANT_FALSE;
}

void setObject(Variant& result, IDispatch* object) {
    VariantClear(result.get());
    V_VT(result.get()) = VT_DISPATCH;
    V_DISPATCH(result.get()) = object;
}

}  // namespace tarn
