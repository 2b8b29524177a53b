// In-process class registration for the stand-in client's tests: a class factory over a function and a ProgID registered while alive.
#include <functional>

#include "Model.h"
#include "StandInClient.h"
#include "win32/TextEncoding.h"

namespace tw::standin {

namespace {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class FunctionFactory : public IClassFactory {
public:
    explicit FunctionFactory(std::function<IUnknown*()> create) : create_(std::move(create)) {}
    virtual ~FunctionFactory() = default;

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
        LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        IUnknown* object = nullptr;
        try {
            object = create_();
        } catch (...) {
            return E_FAIL;
        }
        if (!object) return E_OUTOFMEMORY;
        HRESULT hr = object->QueryInterface(riid, out);
        object->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    std::function<IUnknown*()> create_;
    LONG refs_ = 1;
};
#pragma GCC diagnostic pop

std::wstring keyOf(const std::wstring& progId) {
    return L"Software\\Classes\\" + progId;
}

}  // namespace

IClassFactory* newClassFactory(IUnknown* (*create)()) {
    return new FunctionFactory(create);
}

IClassFactory* newFactory(std::function<IUnknown*()> create) {
    return new FunctionFactory(std::move(create));
}

namespace {

/// Writes <root>\<subkey>\CLSID; true when the key was made here (and must be removed at the end).
bool writeProgIdKey(HKEY root, const std::wstring& subkey, const wchar_t* clsid, LONG& rc) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    rc = RegCreateKeyExW(root, subkey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, &disposition);
    if (rc != ERROR_SUCCESS) return false;
    rc = RegSetValueW(key, L"CLSID", REG_SZ, clsid, static_cast<DWORD>(wcslen(clsid) * sizeof(wchar_t)));
    RegCloseKey(key);
    return disposition == REG_CREATED_NEW_KEY;
}

void removeProgIdKey(HKEY root, const std::wstring& subkey) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, subkey.c_str(), 0, KEY_WRITE, &key) == ERROR_SUCCESS) {
        RegDeleteKeyW(key, L"CLSID");
        RegCloseKey(key);
    }
    RegDeleteKeyW(root, subkey.c_str());
}

}  // namespace

ClassRegistration::ClassRegistration(const std::string& progId, const CLSID& clsid, IClassFactory* factory)
    : progId_(win32::toWide(progId)) {
    status_ = CoRegisterClassObject(clsid, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_);
    if (FAILED(status_)) return;
    wchar_t text[64] = {};
    StringFromGUID2(clsid, text, 64);
    LONG rc = ERROR_SUCCESS;
    wroteKey_ = writeProgIdKey(HKEY_CURRENT_USER, keyOf(progId_), text, rc);
    if (rc == ERROR_SUCCESS) {
        // Wine's CLSIDFromProgID reads the machine's classes only, not the user's: write the
        // ProgID there too when the user's key is not seen.
        CLSID found{};
        if (FAILED(CLSIDFromProgID(progId_.c_str(), &found)) || !IsEqualCLSID(found, clsid))
            wroteMachineKey_ = writeProgIdKey(HKEY_CLASSES_ROOT, progId_, text, rc);
    }
    status_ = rc == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(static_cast<DWORD>(rc));
}

ClassRegistration::~ClassRegistration() {
    if (cookie_) CoRevokeClassObject(cookie_);
    if (wroteKey_) removeProgIdKey(HKEY_CURRENT_USER, keyOf(progId_));
    if (wroteMachineKey_) removeProgIdKey(HKEY_CLASSES_ROOT, progId_);
}

}  // namespace tw::standin
