// Loading a library from a path at run time and finding its functions, so the engine never links the fetch library.
#pragma once

#include <string>

namespace tarn::engine {

/// The fetch library's file name in the engine's folder on this platform.
extern const char* const kFetchLibraryFileName;

/// A handle, or null when the library cannot be loaded.
void* openSharedLibrary(const std::string& path);
/// The function's address, or null.
void* sharedLibraryFunction(void* library, const char* name);
void closeSharedLibrary(void* library);

}  // namespace tarn::engine
