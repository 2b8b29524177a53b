// Library-loading port: a library by file name and its functions by name.
#pragma once

#include <string>

namespace tw::platform {

class LibraryLoader {
public:
    virtual ~LibraryLoader() = default;
    /// Loads a library by its Windows file name ("tarnengine.dll"); raises Error when it cannot be found.
    /// Loading the same name twice gives the same handle.
    virtual void* load(const std::string& fileName) = 0;
    /// The address of an exported function; raises Error when the library does not export it.
    virtual void* resolve(void* library, const std::string& functionName) = 0;
};

}  // namespace tw::platform
