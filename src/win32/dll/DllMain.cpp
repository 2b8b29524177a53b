// Entry points of the add-in DLL: loading, the COM class factory and self-registration.
#include <windows.h>
#include <objbase.h>

#include <new>

#include "core/AnsiText.h"
#include "core/Error.h"
#include "dll/ComObjects.h"
#include "dll/ModuleState.h"
#include "dll/ServerRegistration.h"
#include "win32/TextEncoding.h"
#include "win32/Win32Registry.h"

namespace {

HINSTANCE thisLibrary = nullptr;

/// The library's own file, as InprocServer32 names it.
std::string libraryPath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(thisLibrary, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) throw tw::Error(static_cast<long>(GetLastError()), "DllRegisterServer", "Cannot read the library's file name");
        if (length < buffer.size()) return tw::win32::toUtf8(std::wstring_view(buffer.data(), length));
        buffer.resize(buffer.size() * 2);
    }
}

IUnknown* makeConnect() { return static_cast<tw::win32::IDTExtensibility2*>(new tw::win32::ConnectObject()); }
IUnknown* makeInspWrap() { return new tw::win32::InspWrapObject(); }

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
        thisLibrary = instance;
        DisableThreadLibraryCalls(instance);
        // The user's list files are plain text in the system's code page, as older tools write them.
        tw::ansi::installConverters(tw::win32::utf8ToAnsi, tw::win32::ansiToUtf8);
    }
    return TRUE;
}

STDAPI DllCanUnloadNow() { return tw::win32::ModuleState::instance().canUnload() ? S_OK : S_FALSE; }

STDAPI DllGetClassObject(REFCLSID classId, REFIID interfaceId, LPVOID* object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    tw::win32::ClassFactory::Make make = nullptr;
    if (IsEqualCLSID(classId, tw::win32::CLSID_Connect)) make = makeConnect;
    if (IsEqualCLSID(classId, tw::win32::CLSID_InspWrap)) make = makeInspWrap;
    if (!make) return CLASS_E_CLASSNOTAVAILABLE;
    tw::win32::ClassFactory* factory = nullptr;
    try {
        factory = new tw::win32::ClassFactory(make);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    const HRESULT hr = factory->QueryInterface(interfaceId, object);
    factory->Release();
    return hr;
}

STDAPI DllRegisterServer() {
    return guarded([] {
        tw::win32::Win32Registry registry;
        tw::win32::registerServer(registry, libraryPath());
    });
}

STDAPI DllUnregisterServer() {
    return guarded([] {
        tw::win32::Win32Registry registry;
        tw::win32::unregisterServer(registry);
    });
}

}  // extern "C"
