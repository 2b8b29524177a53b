// The Extended MAPI declarations the library uses, with the few tags MinGW-w64's headers lack.
#pragma once

#include <windows.h>

#include <string>

#include <objbase.h>
#include <mapix.h>
#include <mapiutil.h>

namespace tarn {

constexpr ULONG PR_HTML_BYTES = PROP_TAG(PT_BINARY, 0x1013);
constexpr ULONG PR_BODY_HTML_WIDE = PROP_TAG(PT_UNICODE, 0x1013);
constexpr ULONG PR_INTERNET_CPID_LONG = PROP_TAG(PT_LONG, 0x3FDE);
constexpr ULONG PR_SMTP_ADDRESS_WIDE = PROP_TAG(PT_UNICODE, 0x39FE);

/// "MAPI_E_NOT_FOUND", or the code in hex for one without a name here.
std::wstring mapiErrorName(HRESULT hr);

}  // namespace tarn
