// Entry points of the add-in DLL: loading, the COM class factory and self-registration.
#include <windows.h>
#include <objbase.h>

#include <new>

#include "core/AnsiText.h"
#include "core/Error.h"
#include "win32/AddInKey.h"
#include "win32/TextEncoding.h"
#include "win32/Win32Registry.h"

namespace {

/// The HRESULT a COM caller understands for an error raised inside the add-in.
HRESULT resultOf(const tw::Error& error) {
    const long number = error.number();
    if (number < 0) return static_cast<HRESULT>(number);  // already an HRESULT
    if (number > 0 && number <= 0xFFFF) return HRESULT_FROM_WIN32(static_cast<DWORD>(number));
    return E_FAIL;
}

template <typename Action>
HRESULT guarded(Action action) {
    // Nothing may unwind out of an exported function into the caller.
    try {
        action();
        return S_OK;
    } catch (const tw::Error& error) {
        return resultOf(error);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        // The user's list files are plain text in the system's code page, as older tools write them.
        tw::ansi::installConverters(tw::win32::utf8ToAnsi, tw::win32::ansiToUtf8);
    }
    return TRUE;
}

// No COM object can exist yet, so nothing keeps the library loaded.
STDAPI DllCanUnloadNow() { return S_OK; }

STDAPI DllGetClassObject(REFCLSID /*classId*/, REFIID /*interfaceId*/, LPVOID* object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllRegisterServer() {
    return guarded([] {
        tw::win32::Win32Registry registry;
        tw::win32::registerAddInKey(registry);
    });
}

STDAPI DllUnregisterServer() {
    return guarded([] {
        tw::win32::Win32Registry registry;
        tw::win32::unregisterAddInKey(registry);
    });
}

}  // extern "C"
