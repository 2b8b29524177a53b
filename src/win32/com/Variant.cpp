// VARIANT and BSTR conversions between the add-in's UTF-8 texts and the object model's values.
#include "win32/com/Variant.h"

#include <utility>

#include "core/Error.h"
#include "win32/TextEncoding.h"

namespace tw::win32 {

namespace {

constexpr long kTypeMismatch = 13;

/// A copy of the value converted to `type`; raises the late-bound "Type mismatch" when it cannot.
Variant converted(const VARIANT& value, VARTYPE type) {
    Variant out;
    // Variant_Bool/number/date conversions follow the invariant locale, as a late-bound call's do.
    HRESULT hr = VariantChangeTypeEx(out.put(), const_cast<VARIANT*>(&value), 0x0409, VARIANT_ALPHABOOL, type);
    if (FAILED(hr)) throw Error(kTypeMismatch, "Variant", "Type mismatch");
    return out;
}

}  // namespace

Bstr::Bstr(const std::string& utf8) {
    const std::wstring wide = toWide(utf8);
    raw_ = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    if (!raw_) throw std::bad_alloc();
}

std::string Bstr::utf8() const { return raw_ ? toUtf8(std::wstring_view(raw_, SysStringLen(raw_))) : std::string(); }

Variant::Variant(int32_t number) : Variant() {
    value_.vt = VT_I4;
    value_.lVal = number;
}

Variant::Variant(bool flag) : Variant() {
    value_.vt = VT_BOOL;
    value_.boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
}

Variant::Variant(double number) : Variant() {
    value_.vt = VT_R8;
    value_.dblVal = number;
}

Variant::Variant(const std::string& text) : Variant() {
    Bstr b(text);
    value_.vt = VT_BSTR;
    value_.bstrVal = SysAllocStringLen(b.get(), SysStringLen(b.get()));
    if (!value_.bstrVal && !text.empty()) throw std::bad_alloc();
}

Variant::Variant(OleDate date) : Variant() {
    value_.vt = VT_DATE;
    value_.date = date.serial();
}

Variant::Variant(IDispatch* object) : Variant() {
    value_.vt = VT_DISPATCH;
    value_.pdispVal = object;
    if (object) object->AddRef();
}

Variant Variant::missing() {
    Variant v;
    v.value_.vt = VT_ERROR;
    v.value_.scode = DISP_E_PARAMNOTFOUND;
    return v;
}

Variant Variant::copyOf(const VARIANT& other) {
    Variant v;
    if (FAILED(VariantCopyInd(&v.value_, const_cast<VARIANT*>(&other)))) throw Error(kTypeMismatch, "Variant", "Type mismatch");
    return v;
}

Variant::Variant(const Variant& other) : Variant() {
    if (FAILED(VariantCopy(&value_, const_cast<VARIANT*>(&other.value_)))) throw std::bad_alloc();
}

Variant::Variant(Variant&& other) noexcept : value_(other.value_) { VariantInit(&other.value_); }

Variant& Variant::operator=(Variant other) noexcept {
    std::swap(value_, other.value_);
    return *this;
}

VARIANT* Variant::put() {
    VariantClear(&value_);
    return &value_;
}

bool Variant::isNothing() const {
    switch (value_.vt) {
        case VT_EMPTY:
        case VT_NULL:
            return true;
        case VT_DISPATCH:
            return value_.pdispVal == nullptr;
        case VT_UNKNOWN:
            return value_.punkVal == nullptr;
        default:
            return false;
    }
}

std::string Variant::toString() const {
    if (value_.vt == VT_EMPTY || value_.vt == VT_NULL) return {};
    if (value_.vt == VT_BSTR) return value_.bstrVal ? toUtf8(std::wstring_view(value_.bstrVal, SysStringLen(value_.bstrVal))) : "";
    Variant text = converted(value_, VT_BSTR);
    return text.toString();
}

int32_t Variant::toInt() const {
    if (value_.vt == VT_EMPTY) return 0;
    return converted(value_, VT_I4).raw().lVal;
}

bool Variant::toBool() const {
    if (value_.vt == VT_EMPTY) return false;
    return converted(value_, VT_BOOL).raw().boolVal != VARIANT_FALSE;
}

double Variant::toDouble() const {
    if (value_.vt == VT_EMPTY) return 0.0;
    return converted(value_, VT_R8).raw().dblVal;
}

OleDate Variant::toDate() const {
    if (value_.vt == VT_EMPTY) return OleDate();
    return OleDate(converted(value_, VT_DATE).raw().date);
}

ComPtr<IDispatch> Variant::toDispatch() const {
    if (isNothing()) return {};
    if (value_.vt == VT_DISPATCH) return ComPtr<IDispatch>::share(value_.pdispVal);
    if (value_.vt == VT_UNKNOWN) {
        ComPtr<IDispatch> object;
        if (SUCCEEDED(value_.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(object.put())))) return object;
    }
    throw Error(kTypeMismatch, "Variant", "Type mismatch");
}

}  // namespace tw::win32
