// MAPI property values as automation values, and owners for the buffers and row sets MAPI hands out.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "DispatchObject.h"
#include "Mapi.h"
#include "MapiLibrary.h"

namespace tarn {

/// A buffer from MAPIAllocateBuffer (or handed out by a MAPI object), freed with MAPIFreeBuffer.
template <typename T>
class MapiBuffer {
public:
    MapiBuffer() = default;
    MapiBuffer(const MapiBuffer&) = delete;
    MapiBuffer& operator=(const MapiBuffer&) = delete;
    ~MapiBuffer() { MapiLibrary::free(p_); }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T** put() {
        MapiLibrary::free(std::exchange(p_, nullptr));
        return &p_;
    }

private:
    T* p_ = nullptr;
};

/// A row set from QueryRows: each row's values and the set itself freed, as FreeProws does.
class RowSet {
public:
    RowSet() = default;
    RowSet(RowSet&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    RowSet& operator=(RowSet&& other) noexcept {
        std::swap(p_, other.p_);
        return *this;
    }
    ~RowSet() { clear(); }
    void clear();
    LPSRowSet* put() {
        clear();
        return &p_;
    }
    ULONG size() const { return p_ ? p_->cRows : 0; }
    const SRow& operator[](ULONG i) const { return p_->aRow[i]; }

private:
    LPSRowSet p_ = nullptr;
};

/// A property tag array of the tags given, to pass to SetColumns or GetProps.
class TagArray {
public:
    explicit TagArray(const std::vector<ULONG>& tags);
    LPSPropTagArray get() { return reinterpret_cast<LPSPropTagArray>(storage_.data()); }

private:
    std::vector<ULONG> storage_;
};

std::wstring wideFrom(const char* text, size_t length, UINT codePage);
/// Text of a PT_STRING8 or PT_UNICODE value; empty for anything else.
std::wstring textOf(const SPropValue& value);
/// Text of a VT_BSTR result; empty for anything else.
std::wstring textOf(const Variant& value);
/// Bytes of a VT_ARRAY|VT_UI1 result; empty for anything else.
std::string bytesOf(const Variant& value);
/// A PT_BINARY value's bytes.
std::string bytesOf(const SPropValue& value);
void setBytes(Variant& out, const void* data, size_t size);

/// The value as automation hands it out: text VT_BSTR, binary VT_ARRAY|VT_UI1, PT_LONG VT_I4,
/// PT_BOOLEAN VT_BOOL, PT_SYSTIME VT_DATE, PT_ERROR VT_ERROR with its code.
void toVariant(const SPropValue& value, Variant& out);

/// One property of a MAPI object; text and binary values too large for GetProps are read through
/// a stream. S_OK; MAPI_E_NOT_FOUND when the object does not have it; else the failure.
HRESULT readProp(IMAPIProp* object, ULONG tag, Variant& out);

/// An entry id's bytes from its hexadecimal text; empty when the text is not hex.
std::string bytesFromHex(const std::wstring& hex);

}  // namespace tarn
