// Class registration under the classes root, beside the add-in key the mail client reads.
#include "dll/ServerRegistration.h"

#include <cstdio>

#include "win32/AddInKey.h"

namespace tw::win32 {

using platform::Hive;
using platform::RegValue;

// {EFD49F3B-0FDC-4805-836F-F88398CC465B}
const CLSID CLSID_Connect = {0xEFD49F3B, 0x0FDC, 0x4805, {0x83, 0x6F, 0xF8, 0x83, 0x98, 0xCC, 0x46, 0x5B}};
// {C5A6A30A-701C-496E-82ED-79BF4B1CBA10}
const CLSID CLSID_InspWrap = {0xC5A6A30A, 0x701C, 0x496E, {0x82, 0xED, 0x79, 0xBF, 0x4B, 0x1C, 0xBA, 0x10}};

const ComClass& connectClass() {
    static const ComClass c{CLSID_Connect, "OrvennaOutlookAddIn.Connect", "Belcastra Tarnwick Add-In"};
    return c;
}

const ComClass& inspWrapClass() {
    static const ComClass c{CLSID_InspWrap, "OrvennaOutlookAddIn.InspWrap", "Belcastra Tarnwick Inspector Wrapper"};
    return c;
}

std::string classIdText(const CLSID& id) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", static_cast<unsigned long>(id.Data1),
                  id.Data2, id.Data3, id.Data4[0], id.Data4[1], id.Data4[2], id.Data4[3], id.Data4[4], id.Data4[5],
                  id.Data4[6], id.Data4[7]);
    return text;
}

namespace {

void registerClass(platform::Registry& registry, const ComClass& c, const std::string& libraryPath) {
    const std::string id = classIdText(c.classId);
    const std::string progIdKey = c.progId;
    registry.createKey(Hive::ClassesRoot, progIdKey + "\\CLSID");
    registry.setValue(Hive::ClassesRoot, progIdKey, "", RegValue::ofString(c.description));
    registry.setValue(Hive::ClassesRoot, progIdKey + "\\CLSID", "", RegValue::ofString(id));

    const std::string classKey = "CLSID\\" + id;
    registry.createKey(Hive::ClassesRoot, classKey + "\\InprocServer32");
    registry.createKey(Hive::ClassesRoot, classKey + "\\ProgID");
    registry.setValue(Hive::ClassesRoot, classKey, "", RegValue::ofString(c.description));
    registry.setValue(Hive::ClassesRoot, classKey + "\\ProgID", "", RegValue::ofString(c.progId));
    registry.setValue(Hive::ClassesRoot, classKey + "\\InprocServer32", "", RegValue::ofString(libraryPath));
    registry.setValue(Hive::ClassesRoot, classKey + "\\InprocServer32", "ThreadingModel", RegValue::ofString("Apartment"));
}

void unregisterClass(platform::Registry& registry, const ComClass& c) {
    for (const std::string& key : {std::string(c.progId), "CLSID\\" + classIdText(c.classId)})
        if (registry.keyExists(Hive::ClassesRoot, key)) registry.deleteTree(Hive::ClassesRoot, key);
}

}  // namespace

void registerServer(platform::Registry& registry, const std::string& libraryPath) {
    registerClass(registry, connectClass(), libraryPath);
    registerClass(registry, inspWrapClass(), libraryPath);
    registerAddInKey(registry);
}

void unregisterServer(platform::Registry& registry) {
    unregisterAddInKey(registry);
    unregisterClass(registry, inspWrapClass());
    unregisterClass(registry, connectClass());
}

}  // namespace tw::win32
