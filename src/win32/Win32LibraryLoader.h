// Library-loading port over LoadLibrary and GetProcAddress.
#pragma once

#include "platform/LibraryLoader.h"

namespace tw::win32 {

/// Libraries stay loaded for the life of the process: the functions resolved from them may be
/// held anywhere in the add-in.
class Win32LibraryLoader final : public platform::LibraryLoader {
public:
    void* load(const std::string& fileName) override;
    void* resolve(void* library, const std::string& functionName) override;
};

}  // namespace tw::win32
