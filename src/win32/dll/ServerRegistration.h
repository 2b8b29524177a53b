// What registering the add-in library writes: its COM classes and the mail client's add-in key.
#pragma once

#include <guiddef.h>

#include <string>

#include "platform/Registry.h"

namespace tw::win32 {

struct ComClass {
    const CLSID& classId;
    const char* progId;
    const char* description;
};

/// The add-in class the mail client creates, and the class Envprobe finds the library by.
extern const CLSID CLSID_Connect;
extern const CLSID CLSID_InspWrap;
const ComClass& connectClass();
const ComClass& inspWrapClass();

/// "{XXXXXXXX-XXXX-...}" in upper case, as the registry keeps class ids.
std::string classIdText(const CLSID& classId);

/// Registers both classes as in-process servers in `libraryPath` (apartment threaded) and the add-in key.
void registerServer(platform::Registry& registry, const std::string& libraryPath);
/// Removes exactly what registerServer wrote; parts already gone are not an error.
void unregisterServer(platform::Registry& registry);

}  // namespace tw::win32
