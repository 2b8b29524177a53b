// Builds the MAPI buffers the stand-in's objects hand out, with the allocator of the mapi32.dll loaded in the process.
#include "mapi/PropBuilder.h"

#include <cstring>
#include <cwctype>

namespace tw::standin::mapi {

namespace {

/// A function of mapi32.dll, looked up on each use: the library may be loaded and unloaded between tests.
FARPROC mapiFunction(const char* name) {
    HMODULE module = GetModuleHandleW(L"mapi32.dll");
    if (!module) module = LoadLibraryW(L"mapi32.dll");
    return module ? GetProcAddress(module, name) : nullptr;
}

template <class F>
F* function(const char* name) {
    return reinterpret_cast<F*>(reinterpret_cast<void*>(mapiFunction(name)));
}

bool isText(ULONG type) {
    return type == PT_STRING8 || type == PT_UNICODE;
}

/// The size the value would have under the tag, or 0 when it cannot be handed out under it.
size_t sizeUnder(const PropValue& value, ULONG type, std::string& converted) {
    using Kind = PropValue::Kind;
    if (value.kind == Kind::Text && type == PT_STRING8) {
        converted = narrow(value.text);
        return converted.size() + 1;
    }
    if (value.kind == Kind::Text && type == PT_UNICODE) return (value.text.size() + 1) * sizeof(wchar_t);
    if (value.kind == Kind::Binary && type == PT_BINARY) return value.bytes.size() + 1;
    return 0;
}

bool fits(const PropValue& value, ULONG type) {
    switch (value.kind) {
        case PropValue::Kind::Text: return isText(type);
        case PropValue::Kind::Binary: return type == PT_BINARY;
        case PropValue::Kind::Long: return type == PT_LONG;
        case PropValue::Kind::Boolean: return type == PT_BOOLEAN;
        case PropValue::Kind::Time: return type == PT_SYSTIME;
        default: return false;
    }
}

}  // namespace

PropValue PropValue::ofText(std::wstring value) {
    PropValue v;
    v.kind = Kind::Text;
    v.text = std::move(value);
    return v;
}

PropValue PropValue::ofTextIf(std::wstring value) {
    return value.empty() ? PropValue{} : ofText(std::move(value));
}

PropValue PropValue::ofBytes(std::string value) {
    PropValue v;
    v.kind = Kind::Binary;
    v.bytes = std::move(value);
    return v;
}

PropValue PropValue::ofLong(LONG value) {
    PropValue v;
    v.kind = Kind::Long;
    v.number = value;
    return v;
}

PropValue PropValue::ofTime(DATE value) {
    PropValue v;
    v.kind = Kind::Time;
    // The client's dates are taken as UTC, so a round trip through the variant time is exact.
    SYSTEMTIME st{};
    if (VariantTimeToSystemTime(value, &st)) SystemTimeToFileTime(&st, &v.time);
    return v;
}

SCODE allocateBuffer(ULONG size, void** out) {
    *out = nullptr;
    auto* allocate = function<MAPIALLOCATEBUFFER>("MAPIAllocateBuffer");
    return allocate ? allocate(size, out) : MAPI_E_NOT_ENOUGH_MEMORY;
}

SCODE allocateMore(ULONG size, void* parent, void** out) {
    *out = nullptr;
    auto* allocate = function<MAPIALLOCATEMORE>("MAPIAllocateMore");
    return allocate ? allocate(size, parent, out) : MAPI_E_NOT_ENOUGH_MEMORY;
}

void freeBuffer(void* buffer) {
    if (!buffer) return;
    if (auto* free = function<MAPIFREEBUFFER>("MAPIFreeBuffer")) free(buffer);
}

HRESULT buildProps(const ULONG* tags, ULONG count, const PropSource& source, ULONG* outCount, LPSPropValue* out) {
    if (!outCount || !out || (count && !tags)) return MAPI_E_INVALID_PARAMETER;
    *outCount = 0;
    *out = nullptr;
    void* block = nullptr;
    if (FAILED(allocateBuffer(static_cast<ULONG>(sizeof(SPropValue) * (count ? count : 1)), &block))) return MAPI_E_NOT_ENOUGH_MEMORY;
    auto* values = static_cast<SPropValue*>(block);
    bool problems = false;
    for (ULONG i = 0; i < count; ++i) {
        ULONG tag = tags[i], type = PROP_TYPE(tag);
        SPropValue& v = values[i];
        std::memset(&v, 0, sizeof(v));
        v.ulPropTag = tag;
        PropValue value = source(tag);
        SCODE error = S_OK;
        std::string converted;
        size_t size = sizeUnder(value, type, converted);
        if (!fits(value, type)) error = MAPI_E_NOT_FOUND;
        else if (size > 0 && size - (type == PT_UNICODE ? sizeof(wchar_t) : 1) >= kLargeValue) error = MAPI_E_NOT_ENOUGH_MEMORY;
        if (error == S_OK && size > 0) {
            void* data = nullptr;
            if (FAILED(allocateMore(static_cast<ULONG>(size), block, &data))) error = MAPI_E_NOT_ENOUGH_MEMORY;
            else if (type == PT_STRING8) {
                std::memcpy(data, converted.c_str(), size);
                v.Value.lpszA = static_cast<LPSTR>(data);
            } else if (type == PT_UNICODE) {
                std::memcpy(data, value.text.c_str(), size);
                v.Value.lpszW = static_cast<LPWSTR>(data);
            } else {
                std::memcpy(data, value.bytes.data(), value.bytes.size());
                v.Value.bin.cb = static_cast<ULONG>(value.bytes.size());
                v.Value.bin.lpb = static_cast<LPBYTE>(data);
            }
        } else if (error == S_OK) {
            if (type == PT_LONG) v.Value.l = value.number;
            else if (type == PT_BOOLEAN) v.Value.b = value.number ? 1 : 0;
            else v.Value.ft = value.time;
        }
        if (error != S_OK) {
            v.ulPropTag = PROP_TAG(PT_ERROR, PROP_ID(tag));
            v.Value.err = error;
            problems = true;
        }
    }
    *outCount = count;
    *out = values;
    return problems ? MAPI_W_ERRORS_RETURNED : S_OK;
}

HRESULT openStream(const PropValue& value, ULONG tag, LPCIID iid, ULONG flags, LPUNKNOWN* out) {
    if (!out) return MAPI_E_INVALID_PARAMETER;
    *out = nullptr;
    if (!iid || !IsEqualIID(*iid, IID_IStream)) return MAPI_E_INTERFACE_NOT_SUPPORTED;
    if (flags & (MAPI_MODIFY | MAPI_CREATE)) return MAPI_E_NO_ACCESS;
    ULONG type = PROP_TYPE(tag);
    if (!fits(value, type) || !(isText(type) || type == PT_BINARY)) return MAPI_E_NOT_FOUND;
    std::string bytes;
    if (type == PT_STRING8) bytes = narrow(value.text);
    else if (type == PT_UNICODE) bytes.assign(reinterpret_cast<const char*>(value.text.data()), value.text.size() * sizeof(wchar_t));
    else bytes = value.bytes;
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) return MAPI_E_NOT_ENOUGH_MEMORY;
    ULONG written = 0;
    HRESULT hr = stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
    LARGE_INTEGER start{};
    if (SUCCEEDED(hr)) hr = stream->Seek(start, STREAM_SEEK_SET, nullptr);
    if (FAILED(hr)) {
        stream->Release();
        return MAPI_E_NOT_ENOUGH_MEMORY;
    }
    *out = stream;
    return S_OK;
}

HRESULT copyTags(const std::vector<ULONG>& tags, LPSPropTagArray* out) {
    if (!out) return MAPI_E_INVALID_PARAMETER;
    void* block = nullptr;
    if (FAILED(allocateBuffer(static_cast<ULONG>(CbNewSPropTagArray(tags.size())), &block))) return MAPI_E_NOT_ENOUGH_MEMORY;
    auto* array = static_cast<SPropTagArray*>(block);
    array->cValues = static_cast<ULONG>(tags.size());
    for (size_t i = 0; i < tags.size(); ++i) array->aulPropTag[i] = tags[i];
    *out = array;
    return S_OK;
}

std::wstring textOf(const SPropValue& value) {
    if (PROP_TYPE(value.ulPropTag) == PT_UNICODE) return value.Value.lpszW ? value.Value.lpszW : L"";
    if (PROP_TYPE(value.ulPropTag) != PT_STRING8 || !value.Value.lpszA) return {};
    int size = MultiByteToWideChar(CP_ACP, 0, value.Value.lpszA, -1, nullptr, 0);
    std::wstring text(size > 0 ? static_cast<size_t>(size) : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, value.Value.lpszA, -1, text.data(), size);
    text.resize(text.size() - 1);
    return text;
}

namespace {
std::string encode(UINT codePage, const std::wstring& text) {
    if (text.empty()) return {};
    int size = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? static_cast<size_t>(size) : 0, '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}
}  // namespace

std::string narrow(const std::wstring& text) {
    return encode(CP_ACP, text);
}

std::string utf8(const std::wstring& text) {
    return encode(CP_UTF8, text);
}

std::string hexBytes(const std::wstring& hex) {
    auto nibble = [](wchar_t c) { return iswdigit(c) ? c - L'0' : (towupper(c) - L'A' + 10) & 15; };
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes.push_back(static_cast<char>(nibble(hex[i]) << 4 | nibble(hex[i + 1])));
    return bytes;
}

std::wstring hexOf(const void* bytes, ULONG size) {
    static const wchar_t digits[] = L"0123456789ABCDEF";
    std::wstring hex;
    const auto* p = static_cast<const unsigned char*>(bytes);
    for (ULONG i = 0; p && i < size; ++i) {
        hex.push_back(digits[p[i] >> 4]);
        hex.push_back(digits[p[i] & 15]);
    }
    return hex;
}

ULONG textTag(ULONG tag, ULONG flags) {
    return PROP_TAG((flags & MAPI_UNICODE) ? PT_UNICODE : PT_STRING8, PROP_ID(tag));
}

}  // namespace tw::standin::mapi
