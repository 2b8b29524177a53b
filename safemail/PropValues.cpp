// Conversions from MAPI property values to automation values, and reading large values through streams.
#include "PropValues.h"

#include <cstring>
#include <new>

namespace tarn {

void RowSet::clear() {
    if (!p_) return;
    for (ULONG i = 0; i < p_->cRows; ++i) MapiLibrary::free(p_->aRow[i].lpProps);
    MapiLibrary::free(std::exchange(p_, nullptr));
}

TagArray::TagArray(const std::vector<ULONG>& tags) {
    storage_.reserve(tags.size() + 1);
    storage_.push_back(static_cast<ULONG>(tags.size()));
    storage_.insert(storage_.end(), tags.begin(), tags.end());
}

std::wstring wideFrom(const char* text, size_t length, UINT codePage) {
    if (!text || length == 0) return {};
    const int size = static_cast<int>(length);
    int wide = MultiByteToWideChar(codePage, 0, text, size, nullptr, 0);
    if (wide <= 0 && codePage != CP_ACP) return wideFrom(text, length, CP_ACP);
    if (wide <= 0) return {};
    std::wstring out(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(codePage, 0, text, size, out.data(), wide);
    return out;
}

std::wstring textOf(const SPropValue& value) {
    switch (PROP_TYPE(value.ulPropTag)) {
        case PT_UNICODE: return value.Value.lpszW ? std::wstring(value.Value.lpszW) : std::wstring();
        case PT_STRING8: return value.Value.lpszA ? wideFrom(value.Value.lpszA, strlen(value.Value.lpszA), CP_ACP) : std::wstring();
        default: return {};
    }
}

std::wstring textOf(const Variant& value) {
    const VARIANT& v = value.raw();
    if (V_VT(&v) != VT_BSTR || !V_BSTR(&v)) return {};
    return std::wstring(V_BSTR(&v), SysStringLen(V_BSTR(&v)));
}

std::string bytesOf(const Variant& value) {
    const VARIANT& v = value.raw();
    std::string out;
    if (V_VT(&v) != (VT_ARRAY | VT_UI1) || !V_ARRAY(&v)) return out;
    void* data = nullptr;
    LONG low = 0, high = -1;
    SafeArrayGetLBound(V_ARRAY(&v), 1, &low);
    SafeArrayGetUBound(V_ARRAY(&v), 1, &high);
    if (high >= low && SUCCEEDED(SafeArrayAccessData(V_ARRAY(&v), &data))) {
        out.assign(static_cast<const char*>(data), static_cast<size_t>(high - low + 1));
        SafeArrayUnaccessData(V_ARRAY(&v));
    }
    return out;
}

std::string bytesOf(const SPropValue& value) {
    if (PROP_TYPE(value.ulPropTag) != PT_BINARY || !value.Value.bin.lpb) return {};
    return std::string(reinterpret_cast<const char*>(value.Value.bin.lpb), value.Value.bin.cb);
}

void setBytes(Variant& out, const void* data, size_t size) {
    VariantClear(out.get());
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(size));
    if (!array) throw std::bad_alloc();
    if (size) {
        void* slot = nullptr;
        SafeArrayAccessData(array, &slot);
        memcpy(slot, data, size);
        SafeArrayUnaccessData(array);
    }
    V_VT(out.get()) = VT_ARRAY | VT_UI1;
    V_ARRAY(out.get()) = array;
}

void toVariant(const SPropValue& value, Variant& out) {
    VariantClear(out.get());
    VARIANT* v = out.get();
    switch (PROP_TYPE(value.ulPropTag)) {
        case PT_STRING8:
        case PT_UNICODE: setText(out, textOf(value)); break;
        case PT_BINARY: setBytes(out, value.Value.bin.lpb, value.Value.bin.cb); break;
        case PT_LONG: setInt(out, value.Value.l); break;
        case PT_I2:
            V_VT(v) = VT_I2;
            V_I2(v) = value.Value.i;
            break;
        case PT_BOOLEAN: setBool(out, value.Value.b != 0); break;
        case PT_DOUBLE:
            V_VT(v) = VT_R8;
            V_R8(v) = value.Value.dbl;
            break;
        case PT_APPTIME:
            V_VT(v) = VT_DATE;
            V_DATE(v) = value.Value.at;
            break;
        case PT_CURRENCY:
            V_VT(v) = VT_CY;
            V_CY(v) = value.Value.cur;
            break;
        case PT_I8:
            V_VT(v) = VT_R8;
            V_R8(v) = static_cast<double>(value.Value.li.QuadPart);
            break;
        case PT_SYSTIME: {
            SYSTEMTIME st{};
            DOUBLE date = 0;
            if (FileTimeToSystemTime(&value.Value.ft, &st) && SystemTimeToVariantTime(&st, &date)) {
                // SystemTimeToVariantTime drops the milliseconds; keep them.
                date += (date >= 0 ? 1 : -1) * st.wMilliseconds / 86400000.0;
                V_VT(v) = VT_DATE;
                V_DATE(v) = date;
            }
            break;
        }
        case PT_ERROR:
            V_VT(v) = VT_ERROR;
            V_ERROR(v) = value.Value.err;
            break;
        default: break;  // kinds the add-in never asks for: Empty
    }
}

namespace {

/// The whole value behind an IStream the object opens for the property.
HRESULT readStream(IMAPIProp* object, ULONG tag, std::string& out) {
    Com<IStream> stream;
    HRESULT hr = object->OpenProperty(tag, &IID_IStream, STGM_READ, 0, reinterpret_cast<LPUNKNOWN*>(stream.put()));
    if (FAILED(hr)) return hr;
    if (!stream) return MAPI_E_CALL_FAILED;
    char chunk[65536];
    for (;;) {
        ULONG got = 0;
        hr = stream->Read(chunk, sizeof chunk, &got);
        if (FAILED(hr)) return hr;
        out.append(chunk, got);
        if (got == 0 || hr == S_FALSE) return S_OK;
    }
}

bool streamable(ULONG tag) {
    const ULONG type = PROP_TYPE(tag);
    return type == PT_STRING8 || type == PT_UNICODE || type == PT_BINARY;
}

}  // namespace

HRESULT readProp(IMAPIProp* object, ULONG tag, Variant& out) {
    VariantClear(out.get());
    if (!object) return MAPI_E_INVALID_PARAMETER;
    TagArray tags({tag});
    ULONG count = 0;
    MapiBuffer<SPropValue> values;
    HRESULT hr = object->GetProps(tags.get(), 0, &count, values.put());
    if (FAILED(hr)) return hr;
    if (!values.get() || count < 1) return MAPI_E_NOT_FOUND;
    const SPropValue& value = values.get()[0];
    if (PROP_TYPE(value.ulPropTag) != PT_ERROR) {
        toVariant(value, out);
        return S_OK;
    }
    const HRESULT error = value.Value.err;
    if (error != MAPI_E_NOT_ENOUGH_MEMORY || !streamable(tag)) return FAILED(error) ? error : MAPI_E_NOT_FOUND;
    std::string bytes;
    hr = readStream(object, tag, bytes);
    if (FAILED(hr)) return hr;
    switch (PROP_TYPE(tag)) {
        case PT_UNICODE: {
            std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
            memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
            if (!text.empty() && text.back() == L'\0') text.pop_back();
            setText(out, text);
            break;
        }
        case PT_STRING8:
            if (!bytes.empty() && bytes.back() == '\0') bytes.pop_back();
            setText(out, wideFrom(bytes.data(), bytes.size(), CP_ACP));
            break;
        default: setBytes(out, bytes.data(), bytes.size()); break;
    }
    return S_OK;
}

std::string bytesFromHex(const std::wstring& hex) {
    std::string out;
    if (hex.size() % 2) return out;
    auto digit = [](wchar_t c) -> int {
        if (c >= L'0' && c <= L'9') return c - L'0';
        if (c >= L'A' && c <= L'F') return c - L'A' + 10;
        if (c >= L'a' && c <= L'f') return c - L'a' + 10;
        return -1;
    };
    for (size_t i = 0; i < hex.size(); i += 2) {
        const int high = digit(hex[i]), low = digit(hex[i + 1]);
        if (high < 0 || low < 0) return {};
        out.push_back(static_cast<char>(high * 16 + low));
    }
    return out;
}

}  // namespace tarn
