// mapi32.dll loaded at run time: the library registers and fails cleanly where MAPI is missing.
#pragma once

#include "Mapi.h"

namespace tarn {

class MapiLibrary {
public:
    /// The process's mapi32.dll, loaded on first use; raises a described COM error when it or one
    /// of its functions is missing.
    static MapiLibrary& require();
    /// Frees a MAPI buffer with the process's MAPIFreeBuffer, loading mapi32 when it is not yet.
    static void free(void* buffer);

    LPMAPIINITIALIZE initialize = nullptr;
    LPMAPIUNINITIALIZE uninitialize = nullptr;
    LPMAPILOGONEX logonEx = nullptr;
    LPMAPIALLOCATEBUFFER allocateBuffer = nullptr;
    LPMAPIFREEBUFFER freeBuffer = nullptr;

private:
    MapiLibrary() = default;
    HMODULE module_ = nullptr;
    std::wstring problem_;
    HRESULT problemCode_ = S_OK;
    bool tried_ = false;
};

}  // namespace tarn
