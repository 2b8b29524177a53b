// Names of the MAPI and COM failures the library reports in its error descriptions.
#include <cstdio>
#include <string>

#include "Mapi.h"

namespace tarn {

std::wstring mapiErrorName(HRESULT hr) {
    struct Named {
        HRESULT code;
        const wchar_t* name;
    };
    static const Named names[] = {
        {MAPI_E_NOT_FOUND, L"MAPI_E_NOT_FOUND"},
        {MAPI_E_LOGON_FAILED, L"MAPI_E_LOGON_FAILED"},
        {MAPI_E_NOT_INITIALIZED, L"MAPI_E_NOT_INITIALIZED"},
        {MAPI_E_NO_SUPPORT, L"MAPI_E_NO_SUPPORT"},
        {MAPI_E_NOT_ENOUGH_MEMORY, L"MAPI_E_NOT_ENOUGH_MEMORY"},
        {MAPI_E_NO_RECIPIENTS, L"MAPI_E_NO_RECIPIENTS"},
        {MAPI_E_INTERFACE_NOT_SUPPORTED, L"MAPI_E_INTERFACE_NOT_SUPPORTED"},
        {MAPI_E_TOO_COMPLEX, L"MAPI_E_TOO_COMPLEX"},
        {MAPI_E_UNKNOWN_ENTRYID, L"MAPI_E_UNKNOWN_ENTRYID"},
        {MAPI_E_INVALID_ENTRYID, L"MAPI_E_INVALID_ENTRYID"},
        {MAPI_E_NO_ACCESS, L"MAPI_E_NO_ACCESS"},
        {MAPI_E_CALL_FAILED, L"MAPI_E_CALL_FAILED"},
        {MAPI_E_USER_CANCEL, L"MAPI_E_USER_CANCEL"},
        {MAPI_E_INVALID_PARAMETER, L"MAPI_E_INVALID_PARAMETER"},
        {MAPI_E_OBJECT_DELETED, L"MAPI_E_OBJECT_DELETED"},
        {MAPI_E_NETWORK_ERROR, L"MAPI_E_NETWORK_ERROR"},
        {MAPI_E_TIMEOUT, L"MAPI_E_TIMEOUT"},
        {E_NOINTERFACE, L"E_NOINTERFACE"},
        {E_OUTOFMEMORY, L"E_OUTOFMEMORY"},
        {E_FAIL, L"E_FAIL"},
        {DISP_E_UNKNOWNNAME, L"DISP_E_UNKNOWNNAME"},
        {DISP_E_MEMBERNOTFOUND, L"DISP_E_MEMBERNOTFOUND"},
    };
    for (const Named& n : names)
        if (n.code == hr) return n.name;
    wchar_t text[16];
    std::swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

}  // namespace tarn
