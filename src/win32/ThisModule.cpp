// Finding the module of this code from the address of one of its own objects.
#include "win32/ThisModule.h"

namespace tw::win32 {

HMODULE moduleOfThisCode() {
    static const char anchor = 0;
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&anchor), &module);
    return module;
}

}  // namespace tw::win32
