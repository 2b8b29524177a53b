// Finds mapi32.dll and its functions by their plain names; a missing piece is a described error.
#include "MapiLibrary.h"

#include <cstring>
#include <string>

#include "DispatchObject.h"

namespace tarn {

namespace {

MapiLibrary* g_library = nullptr;

template <typename F>
bool find(HMODULE module, const char* name, F& out) {
    out = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return out != nullptr;
}

}  // namespace

MapiLibrary& MapiLibrary::require() {
    static MapiLibrary library;
    if (!library.tried_) {
        library.tried_ = true;
        library.module_ = LoadLibraryW(L"mapi32.dll");
        if (!library.module_) {
            const DWORD error = GetLastError();
            library.problemCode_ = HRESULT_FROM_WIN32(error);
            library.problem_ = L"MAPI is not available: mapi32.dll could not be loaded (error " + std::to_wstring(error) + L").";
        } else {
            const char* missing = nullptr;
            if (!find(library.module_, "MAPIInitialize", library.initialize)) missing = "MAPIInitialize";
            else if (!find(library.module_, "MAPIUninitialize", library.uninitialize)) missing = "MAPIUninitialize";
            else if (!find(library.module_, "MAPILogonEx", library.logonEx)) missing = "MAPILogonEx";
            else if (!find(library.module_, "MAPIAllocateBuffer", library.allocateBuffer)) missing = "MAPIAllocateBuffer";
            else if (!find(library.module_, "MAPIFreeBuffer", library.freeBuffer)) missing = "MAPIFreeBuffer";
            if (missing) {
                library.problemCode_ = HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
                library.problem_ = L"MAPI is not available: mapi32.dll has no " + std::wstring(missing, missing + strlen(missing)) + L".";
                // Keep the module: buffers may still be freed through a function that was found.
            } else {
                g_library = &library;
            }
        }
    }
    if (!library.problem_.empty()) raise(library.problemCode_, library.problem_);
    return library;
}

void MapiLibrary::free(void* buffer) {
    if (!buffer) return;
    // A buffer from the client's MAPI objects may come before the library needed mapi32 itself.
    if (!g_library) {
        try {
            require();
        } catch (const ComError&) {
            return;
        }
    }
    if (g_library) g_library->freeBuffer(buffer);
}

}  // namespace tarn
