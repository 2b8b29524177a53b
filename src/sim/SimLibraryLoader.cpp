// Loads shared objects with the dynamic loader, mapping Windows library names to host file names.
#include "sim/SimLibraryLoader.h"

#include <dlfcn.h>

#include <filesystem>

#include "core/Error.h"
#include "core/Text.h"

namespace tw::sim {

SimLibraryLoader::SimLibraryLoader(std::vector<std::string> searchFolders) : folders_(std::move(searchFolders)) {}

SimLibraryLoader::~SimLibraryLoader() {
    for (auto& [name, handle] : loaded_) dlclose(handle);
}

void* SimLibraryLoader::load(const std::string& fileName) {
    std::string key = text::lower(fileName);
    if (auto it = loaded_.find(key); it != loaded_.end()) return it->second;
    std::string stem = key;
    if (text::endsWith(stem, ".dll")) stem.resize(stem.size() - 4);
    for (const auto& folder : folders_) {
        for (const std::string& candidate : {"lib" + stem + ".so", stem + ".so"}) {
            std::filesystem::path path = std::filesystem::path(folder) / candidate;
            std::error_code ec;
            if (!std::filesystem::exists(path, ec)) continue;
            void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (!handle) throw Error(48, "LoadLibrary", std::string("Error in loading DLL ") + fileName + ": " + dlerror());
            loaded_[key] = handle;
            ++loads_;
            return handle;
        }
    }
    throw Error(53, "LoadLibrary", "File not found: " + fileName);
}

void* SimLibraryLoader::resolve(void* library, const std::string& functionName) {
    void* fn = dlsym(library, functionName.c_str());
    if (!fn) throw Error(453, "LoadLibrary", "Can't find DLL entry point " + functionName);
    return fn;
}

}  // namespace tw::sim
