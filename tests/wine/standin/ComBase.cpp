// The stand-in's IDispatch base: name lookup, argument coercion, planned failures and errors turned into EXCEPINFO.
#include "ComBase.h"

#include <cwchar>
#include <exception>
#include <map>

#include "ConnectionPoints.h"
#include "core/Error.h"
#include "win32/TextEncoding.h"

namespace tw::standin {

namespace {

std::wstring lowered(std::wstring text) {
    for (auto& c : text) c = static_cast<wchar_t>(towlower(c));
    return text;
}

std::map<std::wstring, int>& plannedFailures() {
    static std::map<std::wstring, int> failures;
    return failures;
}

/// True when a failure was planned for the member; uses one up.
bool takeFailure(const std::wstring& member) {
    auto& failures = plannedFailures();
    auto it = failures.find(lowered(member));
    if (it == failures.end()) return false;
    if (--it->second <= 0) failures.erase(it);
    return true;
}

void fillException(EXCEPINFO* excep, HRESULT code, const std::wstring& source, const std::wstring& description) {
    if (!excep) return;
    *excep = EXCEPINFO{};
    excep->scode = code;
    excep->bstrSource = allocText(source);
    excep->bstrDescription = allocText(description);
}

bool isMissing(const VARIANT& v) {
    return V_VT(&v) == VT_ERROR && V_ERROR(&v) == DISP_E_PARAMNOTFOUND;
}

/// Every live stand-in object with its serial number.
std::map<DispObject*, unsigned long>& living() {
    static std::map<DispObject*, unsigned long> objects;
    return objects;
}

unsigned long& serialCounter() {
    static unsigned long next = 1;
    return next;
}

}  // namespace

unsigned long nextObjectSerial() {
    return serialCounter();
}

long liveObjects(unsigned long sinceSerial) {
    long count = 0;
    for (const auto& [object, serial] : living())
        if (serial >= sinceSerial) ++count;
    return count;
}

void dropEverySink(unsigned long sinceSerial) {
    std::vector<Ref<DispObject>> all;
    for (const auto& [object, serial] : living())
        if (serial >= sinceSerial) all.emplace_back(object);
    for (auto& object : all) object->dropSinks();
}

BSTR allocText(const std::wstring& text) {
    return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

Variant Variant::text(const std::wstring& value) {
    Variant v;
    V_VT(&v.v_) = VT_BSTR;
    V_BSTR(&v.v_) = allocText(value);
    return v;
}
Variant Variant::integer(long value) {
    Variant v;
    V_VT(&v.v_) = VT_I4;
    V_I4(&v.v_) = value;
    return v;
}
Variant Variant::boolean(bool value) {
    Variant v;
    V_VT(&v.v_) = VT_BOOL;
    V_BOOL(&v.v_) = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}
Variant Variant::date(DATE value) {
    Variant v;
    V_VT(&v.v_) = VT_DATE;
    V_DATE(&v.v_) = value;
    return v;
}
Variant Variant::number(double value) {
    Variant v;
    V_VT(&v.v_) = VT_R8;
    V_R8(&v.v_) = value;
    return v;
}
Variant Variant::object(IDispatch* value) {
    Variant v;
    V_VT(&v.v_) = VT_DISPATCH;
    V_DISPATCH(&v.v_) = value;
    if (value) value->AddRef();
    return v;
}

Variant Variant::unknown(IUnknown* value) {
    Variant v;
    V_VT(&v.v_) = VT_UNKNOWN;
    V_UNKNOWN(&v.v_) = value;
    if (value) value->AddRef();
    return v;
}

std::wstring Variant::asText() const {
    if (V_VT(&v_) == VT_EMPTY || V_VT(&v_) == VT_NULL) return {};
    VARIANT converted;
    VariantInit(&converted);
    if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&v_), VARIANT_ALPHABOOL, VT_BSTR))) return {};
    std::wstring text(V_BSTR(&converted), SysStringLen(V_BSTR(&converted)));
    VariantClear(&converted);
    return text;
}

void raise(HRESULT code, const std::wstring& description) {
    throw ComFault{code, description};
}

void failNext(const std::wstring& member, int count) {
    if (count > 0) plannedFailures()[lowered(member)] = count;
    else plannedFailures().erase(lowered(member));
}

void clearFailures() {
    plannedFailures().clear();
}

Call::Call(const std::wstring& member, WORD flags, DISPPARAMS* params, VARIANT* result)
    : member_(member), params_(params), result_(result),
      put_((flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0) {
    size_t total = params ? params->cArgs : 0;
    // The assigned value is rgvarg[0], whether or not it is named DISPID_PROPERTYPUT.
    positional_ = put_ && total > 0 ? total - 1 : total;
    if (result_) VariantInit(result_);
}

const VARIANT* Call::raw(size_t index) const {
    if (index >= positional_) return nullptr;
    // rgvarg holds the arguments last first.
    return &params_->rgvarg[params_->cArgs - 1 - index];
}

bool Call::has(size_t index) const {
    const VARIANT* v = raw(index);
    return v && !isMissing(*v);
}

const VARIANT& Call::arg(size_t index) const {
    const VARIANT* v = raw(index);
    if (!v || isMissing(*v)) throw InvokeFault{DISP_E_PARAMNOTFOUND, static_cast<UINT>(index)};
    return *v;
}

const VARIANT& Call::coerce(size_t index, VARTYPE type, Variant& out) const {
    const VARIANT& v = arg(index);
    if (FAILED(VariantChangeType(out.get(), const_cast<VARIANT*>(&v), 0, type)))
        throw InvokeFault{DISP_E_TYPEMISMATCH, static_cast<UINT>(params_->cArgs - 1 - index)};
    return out.value();
}

long Call::toInt(size_t index) const {
    Variant out;
    return V_I4(&coerce(index, VT_I4, out));
}

std::wstring Call::toText(size_t index) const {
    Variant out;
    const VARIANT& v = coerce(index, VT_BSTR, out);
    return std::wstring(V_BSTR(&v), SysStringLen(V_BSTR(&v)));
}

bool Call::toBool(size_t index) const {
    Variant out;
    return V_BOOL(&coerce(index, VT_BOOL, out)) != VARIANT_FALSE;
}

IDispatch* Call::toObject(size_t index) const {
    const VARIANT* v = &arg(index);
    if (V_VT(v) == (VT_BYREF | VT_VARIANT)) v = V_VARIANTREF(v);
    switch (V_VT(v)) {
        case VT_DISPATCH: return V_DISPATCH(v);
        case VT_DISPATCH | VT_BYREF: return *V_DISPATCHREF(v);
        case VT_EMPTY:
        case VT_NULL: return nullptr;
        default: throw InvokeFault{DISP_E_TYPEMISMATCH, static_cast<UINT>(params_->cArgs - 1 - index)};
    }
}

const VARIANT& Call::value() const {
    if (!put_ || !params_ || params_->cArgs == 0) throw InvokeFault{DISP_E_PARAMNOTFOUND, 0};
    return params_->rgvarg[0];
}

std::wstring Call::valueText() const {
    Variant out;
    if (FAILED(VariantChangeType(out.get(), const_cast<VARIANT*>(&value()), 0, VT_BSTR))) throw InvokeFault{DISP_E_TYPEMISMATCH, 0};
    return std::wstring(V_BSTR(out.get()), SysStringLen(V_BSTR(out.get())));
}

long Call::valueInt() const {
    Variant out;
    if (FAILED(VariantChangeType(out.get(), const_cast<VARIANT*>(&value()), 0, VT_I4))) throw InvokeFault{DISP_E_TYPEMISMATCH, 0};
    return V_I4(out.get());
}

bool Call::valueBool() const {
    Variant out;
    if (FAILED(VariantChangeType(out.get(), const_cast<VARIANT*>(&value()), 0, VT_BOOL))) throw InvokeFault{DISP_E_TYPEMISMATCH, 0};
    return V_BOOL(out.get()) != VARIANT_FALSE;
}

void Call::ret(const Variant& value) {
    if (!result_) return;
    VariantClear(result_);
    VariantCopy(result_, const_cast<VARIANT*>(&value.value()));
}

DispObject::DispObject() {
    living()[this] = serialCounter()++;
}

DispObject::~DispObject() {
    living().erase(this);
    for (auto& p : points_) p->detach();
}

HRESULT STDMETHODCALLTYPE DispObject::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
        *out = static_cast<IDispatch*>(this);
    } else if (IsEqualIID(riid, IID_IConnectionPointContainer) && !points_.empty()) {
        *out = static_cast<IConnectionPointContainer*>(this);
    } else if (IsEqualIID(riid, IID_StandInObject)) {
        *out = this;
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE DispObject::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
}

ULONG STDMETHODCALLTYPE DispObject::Release() {
    LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE DispObject::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DispObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT STDMETHODCALLTYPE DispObject::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (!names || !ids || count == 0) return E_INVALIDARG;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    for (size_t i = 0; i < members_.size(); ++i) {
        if (members_[i].present && !members_[i].present()) continue;
        if (_wcsicmp(members_[i].name.c_str(), names[0]) == 0) {
            ids[0] = static_cast<DISPID>(i + 1);
            // No member takes named arguments.
            return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
        }
    }
    return DISP_E_UNKNOWNNAME;
}

HRESULT STDMETHODCALLTYPE DispObject::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                              VARIANT* result, EXCEPINFO* excep, UINT* argErr) {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (id < 1 || static_cast<size_t>(id) > members_.size()) return DISP_E_MEMBERNOTFOUND;
    const Member& member = members_[static_cast<size_t>(id - 1)];
    if (member.present && !member.present()) return DISP_E_MEMBERNOTFOUND;
    bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    const Handler& handler = put ? member.put : member.get;
    if (!handler) return DISP_E_MEMBERNOTFOUND;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    if (!params) params = &none;
    if (params->cArgs > 0 && !params->rgvarg) return E_INVALIDARG;
    if (params->cNamedArgs > 0) {
        bool namedValue = put && params->cNamedArgs == 1 && params->rgdispidNamedArgs &&
                          params->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT;
        if (!namedValue) return DISP_E_NONAMEDARGS;
    }
    if (put && params->cArgs == 0) return DISP_E_PARAMNOTFOUND;
    // The member stays alive through the call even if the object loses its last other reference.
    Ref<DispObject> self(this);
    try {
        if (takeFailure(member.name)) raise(E_FAIL, L"A fault was injected into " + member.name + L".");
        Call call(member.name, flags, params, result);
        handler(call);
        return S_OK;
    } catch (const ComFault& fault) {
        fillException(excep, fault.code, kErrorSource, fault.description);
    } catch (const InvokeFault& fault) {
        if (argErr) *argErr = fault.argument;
        if (result) VariantClear(result);
        return fault.code;
    } catch (const Error& error) {
        fillException(excep, static_cast<HRESULT>(error.number()), win32::toWide(error.source()), win32::toWide(error.description()));
    } catch (const std::exception& error) {
        fillException(excep, E_FAIL, kErrorSource, win32::toWide(error.what()));
    } catch (...) {
        fillException(excep, E_UNEXPECTED, kErrorSource, L"Unexpected failure.");
    }
    if (result) VariantClear(result);
    return DISP_E_EXCEPTION;
}

HRESULT STDMETHODCALLTYPE DispObject::EnumConnectionPoints(IEnumConnectionPoints** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE DispObject::FindConnectionPoint(REFIID riid, IConnectionPoint** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    ConnectionPoint* found = point(riid);
    if (!found) return CONNECT_E_NOCONNECTION;
    found->AddRef();
    *out = found;
    return S_OK;
}

ConnectionPoint* DispObject::point(const IID& events) const {
    for (const auto& p : points_)
        if (IsEqualIID(p->events(), events)) return p.get();
    return nullptr;
}

void DispObject::dropSinks() {
    for (auto& p : points_) p->detach();
}

void DispObject::method(const std::wstring& name, Handler get) {
    members_.push_back({name, std::move(get), nullptr, nullptr});
}

void DispObject::methodIf(const std::wstring& name, std::function<bool()> present, Handler get) {
    members_.push_back({name, std::move(get), nullptr, std::move(present)});
}

void DispObject::property(const std::wstring& name, Handler get, Handler put) {
    members_.push_back({name, std::move(get), std::move(put), nullptr});
}

void DispObject::addPoint(const IID& events) {
    points_.push_back(make<ConnectionPoint>(events, static_cast<IConnectionPointContainer*>(this)));
}

DispObject* standInObject(IDispatch* object) {
    if (!object) return nullptr;
    void* found = nullptr;
    if (FAILED(object->QueryInterface(IID_StandInObject, &found)) || !found) return nullptr;
    auto* self = static_cast<DispObject*>(found);
    // The caller's own reference keeps the object alive.
    self->Release();
    return self;
}

}  // namespace tw::standin
