// Property values of the stand-in's MAPI objects and the MAPI buffers they are handed out in (mapi32's allocator).
#pragma once

#include <windows.h>
#include <mapix.h>

#include <functional>
#include <string>
#include <vector>

namespace tw::standin::mapi {

/// A value as an object holds it; the tag it is asked under decides how it is handed out.
struct PropValue {
    enum class Kind { Absent, Text, Binary, Long, Boolean, Time };
    Kind kind = Kind::Absent;
    std::wstring text;
    std::string bytes;
    LONG number = 0;
    FILETIME time{};

    static PropValue ofText(std::wstring value);
    /// Absent when empty, as the client leaves an empty text unset.
    static PropValue ofTextIf(std::wstring value);
    static PropValue ofBytes(std::string value);
    static PropValue ofLong(LONG value);
    static PropValue ofTime(DATE value);
};

using PropSource = std::function<PropValue(ULONG tag)>;

/// Text and binary values this large are not handed out by GetProps or in table rows, as stores do.
inline constexpr size_t kLargeValue = 32 * 1024;

// MAPIAllocateBuffer, MAPIAllocateMore and MAPIFreeBuffer of the process's mapi32.dll.
SCODE allocateBuffer(ULONG size, void** out);
SCODE allocateMore(ULONG size, void* parent, void** out);
void freeBuffer(void* buffer);

/// One value per tag, in order, in one MAPI buffer: absent or of another type → PT_ERROR / MAPI_E_NOT_FOUND,
/// large → PT_ERROR / MAPI_E_NOT_ENOUGH_MEMORY; either makes the answer MAPI_W_ERRORS_RETURNED.
HRESULT buildProps(const ULONG* tags, ULONG count, const PropSource& source, ULONG* outCount, LPSPropValue* out);
/// A read-only IStream over a value (8-bit text, UTF-16LE without terminator, or the bytes).
HRESULT openStream(const PropValue& value, ULONG tag, LPCIID iid, ULONG flags, LPUNKNOWN* out);
/// A tag array in a MAPI buffer.
HRESULT copyTags(const std::vector<ULONG>& tags, LPSPropTagArray* out);

/// The text of a string value of either width (8-bit: the ANSI code page).
std::wstring textOf(const SPropValue& value);
std::string narrow(const std::wstring& text);
std::string utf8(const std::wstring& text);
/// Entry ids in the object model are the bytes in upper-case hex.
std::string hexBytes(const std::wstring& hex);
std::wstring hexOf(const void* bytes, ULONG size);
/// A string tag of the width asked for (MAPI_UNICODE in the flags: wide).
ULONG textTag(ULONG tag, ULONG flags);

}  // namespace tw::standin::mapi
