// What the add-in library holds for as long as it is loaded: its live objects and locks, and the
// platform and process-wide add-in state made at the first connection.
#pragma once

#include <windows.h>

#include <memory>

#include "addin/AddinLibrary.h"
#include "win32/Win32Platform.h"

namespace tw::win32 {

class ModuleState {
public:
    static ModuleState& instance();

    /// COM objects alive and IClassFactory::LockServer locks; the library may unload at zero.
    void objectCreated() { InterlockedIncrement(&objects_); }
    void objectDestroyed() { InterlockedDecrement(&objects_); }
    void lock(bool locking) { locking ? InterlockedIncrement(&locks_) : InterlockedDecrement(&locks_); }
    bool canUnload() const { return objects_ == 0 && locks_ == 0; }

    /// The ports and the add-in's process-wide objects; made on first use, on the mail client's thread.
    addin::AddinLibrary& library();
    /// The library's state when it exists, for logging from places that must not create it.
    addin::AddinLibrary* existingLibrary() { return library_.get(); }

private:
    volatile LONG objects_ = 0;
    volatile LONG locks_ = 0;
    std::unique_ptr<Win32Platform> platform_;
    std::unique_ptr<addin::AddinLibrary> library_;
};

}  // namespace tw::win32
