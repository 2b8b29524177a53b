// Run-time loading over LoadLibrary; the library's own dependencies are looked for beside it first.
#include "SharedLibrary.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace tarn::engine {

const char* const kFetchLibraryFileName = "tarnfetch.dll";

void* openSharedLibrary(const std::string& path) {
    return reinterpret_cast<void*>(LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

void* sharedLibraryFunction(void* library, const char* name) {
    if (!library) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void closeSharedLibrary(void* library) {
    if (library) FreeLibrary(static_cast<HMODULE>(library));
}

}  // namespace tarn::engine
