// The DLL's entry points: class factories for the four creatable classes, registration and unloading.
#include <olectl.h>

#include <new>
#include <string>
#include <vector>

#include "DispatchObject.h"
#include "MapiSession.h"
#include "Objects.h"

namespace tarn {

namespace {

HMODULE g_module = nullptr;
LONG g_locks = 0;

struct ClassInfo {
    CLSID id;
    const wchar_t* progId;
    const wchar_t* description;
    IDispatch* (*create)();
};

const ClassInfo kClasses[] = {
    {{0x3F1C2A70, 0x8B5D, 0x4E21, {0xA6, 0x3E, 0x51, 0x0C, 0x9D, 0x27, 0xB4, 0x81}}, L"TarnwickRedemption.TarnwickSafeMailItem",
     L"Tarnwick safe mail item", newSafeMailItem},
    {{0x3F1C2A71, 0x8B5D, 0x4E21, {0xA6, 0x3E, 0x51, 0x0C, 0x9D, 0x27, 0xB4, 0x81}}, L"TarnwickRedemption.TarnwickMAPIUtils",
     L"Tarnwick MAPI utilities", newMapiUtils},
    {{0x3F1C2A72, 0x8B5D, 0x4E21, {0xA6, 0x3E, 0x51, 0x0C, 0x9D, 0x27, 0xB4, 0x81}}, L"TarnwickRedemption.TarnwickMAPITable",
     L"Tarnwick MAPI table", newMapiTable},
    {{0x3F1C2A73, 0x8B5D, 0x4E21, {0xA6, 0x3E, 0x51, 0x0C, 0x9D, 0x27, 0xB4, 0x81}}, L"TarnwickRedemption.TarnwickAddressLists",
     L"Tarnwick address lists", newAddressLists},
};

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class Factory final : public IClassFactory {
public:
    explicit Factory(const ClassInfo& c) : c_(c) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) return E_NOINTERFACE;
        *out = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        try {
            Com<IDispatch> object(c_.create());
            return object->QueryInterface(riid, out);
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock) InterlockedIncrement(&g_locks);
        else InterlockedDecrement(&g_locks);
        return S_OK;
    }

private:
    const ClassInfo& c_;
    LONG refs_ = 1;
};
#pragma GCC diagnostic pop

std::wstring guidText(const CLSID& id) {
    wchar_t text[40] = {};
    StringFromGUID2(id, text, 40);
    return text;
}

LONG setDefault(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    HKEY handle = nullptr;
    LONG rc = RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    rc = RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
    return rc;
}

/// The keys one class writes, innermost first (the order they are removed in).
std::vector<std::wstring> keysOf(const ClassInfo& c) {
    const std::wstring clsid = L"CLSID\\" + guidText(c.id);
    return {std::wstring(c.progId) + L"\\CLSID", c.progId, clsid + L"\\InprocServer32", clsid + L"\\ProgID", clsid};
}

HRESULT unregisterAll() {
    HRESULT result = S_OK;
    for (const ClassInfo& c : kClasses) {
        for (const std::wstring& key : keysOf(c)) {
            const LONG rc = RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
            if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND && SUCCEEDED(result)) result = HRESULT_FROM_WIN32(rc);
        }
    }
    return result;
}

}  // namespace

}  // namespace tarn

using namespace tarn;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    for (const ClassInfo& c : kClasses) {
        if (!IsEqualCLSID(clsid, c.id)) continue;
        auto* factory = new (std::nothrow) Factory(c);
        if (!factory) return E_OUTOFMEMORY;
        const HRESULT hr = factory->QueryInterface(riid, out);
        factory->Release();
        return hr;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return DispatchObject::liveObjects() == 0 && g_locks == 0 && !MapiSession::holding() ? S_OK : S_FALSE;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(g_module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return SELFREG_E_CLASS;
    for (const ClassInfo& c : kClasses) {
        const std::wstring clsid = L"CLSID\\" + guidText(c.id);
        LONG rc = setDefault(c.progId, nullptr, c.description);
        if (rc == ERROR_SUCCESS) rc = setDefault(std::wstring(c.progId) + L"\\CLSID", nullptr, guidText(c.id));
        if (rc == ERROR_SUCCESS) rc = setDefault(clsid, nullptr, c.description);
        if (rc == ERROR_SUCCESS) rc = setDefault(clsid + L"\\InprocServer32", nullptr, path);
        if (rc == ERROR_SUCCESS) rc = setDefault(clsid + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
        if (rc == ERROR_SUCCESS) rc = setDefault(clsid + L"\\ProgID", nullptr, c.progId);
        if (rc != ERROR_SUCCESS) {
            unregisterAll();
            return SELFREG_E_CLASS;
        }
    }
    return S_OK;
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    return unregisterAll();
}
