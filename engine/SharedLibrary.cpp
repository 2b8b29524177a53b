// Run-time loading over dlopen.
#include "SharedLibrary.h"

#include <dlfcn.h>

namespace tarn::engine {

const char* const kFetchLibraryFileName = "libtarnfetch.so";

void* openSharedLibrary(const std::string& path) { return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL); }

void* sharedLibraryFunction(void* library, const char* name) { return library ? dlsym(library, name) : nullptr; }

void closeSharedLibrary(void* library) {
    if (library) dlclose(library);
}

}  // namespace tarn::engine
