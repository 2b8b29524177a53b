// The library's COM objects. Nothing thrown inside the add-in leaves a method: each answers an HRESULT.
#include "dll/ComObjects.h"

#include <new>

#include "core/Error.h"
#include "dll/ModuleState.h"
#include "win32/com/Dispatch.h"
#include "win32/outlook/ComApplication.h"

namespace tw::win32 {

namespace {

constexpr const char* kDefaultProgId = "OrvennaOutlookAddIn.Connect";

/// Runs the action, logging anything it lets out under `caller` when the log exists.
template <typename Action>
HRESULT trapped(const char* caller, Action action) {
    try {
        action();
        return S_OK;
    } catch (...) {
        try {
            if (auto* library = ModuleState::instance().existingLibrary())
                if (auto* log = library->log()) log->logError(caller);
        } catch (...) {
        }
        return E_FAIL;
    }
}

HRESULT answerInterface(IUnknown* self, void** object) {
    *object = self;
    self->AddRef();
    return S_OK;
}

struct MethodName {
    const wchar_t* name;
    DISPID id;
};
constexpr MethodName kMethods[] = {{L"OnConnection", DISPID_OnConnection},
                                   {L"OnDisconnection", DISPID_OnDisconnection},
                                   {L"OnAddInsUpdate", DISPID_OnAddInsUpdate},
                                   {L"OnStartupComplete", DISPID_OnStartupComplete},
                                   {L"OnBeginShutdown", DISPID_OnBeginShutdown}};

}  // namespace

template <typename Interface>
ComObjectBase<Interface>::ComObjectBase() {
    ModuleState::instance().objectCreated();
}
template <typename Interface>
ComObjectBase<Interface>::~ComObjectBase() {
    ModuleState::instance().objectDestroyed();
}
template class ComObjectBase<IDTExtensibility2>;
template class ComObjectBase<IDispatch>;
template class ComObjectBase<IClassFactory>;

HRESULT ConnectObject::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IDTExtensibility2)
        return answerInterface(static_cast<IDTExtensibility2*>(this), object);
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT ConnectObject::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT ConnectObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT ConnectObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!names || !ids) return E_POINTER;
    HRESULT result = S_OK;
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        for (const auto& method : kMethods)
            if (names[i] && lstrcmpiW(names[i], method.name) == 0) ids[i] = method.id;
        if (ids[i] == DISPID_UNKNOWN) result = DISP_E_UNKNOWNNAME;
    }
    return result;
}

HRESULT ConnectObject::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*, UINT*) {
    if (result) VariantInit(result);
    if (!params) return E_POINTER;
    // Arguments arrive last first; only the leading ones matter here.
    auto argument = [params](UINT index) -> VARIANT* {
        return index < params->cArgs ? &params->rgvarg[params->cArgs - 1 - index] : nullptr;
    };
    auto dispatchAt = [&](UINT index) -> IDispatch* {
        VARIANT* v = argument(index);
        if (!v) return nullptr;
        if (v->vt == VT_DISPATCH) return v->pdispVal;
        if (v->vt == (VT_BYREF | VT_DISPATCH) && v->ppdispVal) return *v->ppdispVal;
        return nullptr;
    };
    auto numberAt = [&](UINT index) -> int {
        VARIANT* v = argument(index);
        VARIANT converted;
        VariantInit(&converted);
        if (!v || FAILED(VariantChangeType(&converted, v, 0, VT_I4))) return 0;
        return static_cast<int>(converted.lVal);
    };
    switch (id) {
        case DISPID_OnConnection:
            return OnConnection(dispatchAt(0), static_cast<ext_ConnectMode>(numberAt(1)), dispatchAt(2), nullptr);
        case DISPID_OnDisconnection:
            return OnDisconnection(static_cast<ext_DisconnectMode>(numberAt(0)), nullptr);
        case DISPID_OnAddInsUpdate:
            return OnAddInsUpdate(nullptr);
        case DISPID_OnStartupComplete:
            return OnStartupComplete(nullptr);
        case DISPID_OnBeginShutdown:
            return OnBeginShutdown(nullptr);
        default:
            return DISP_E_MEMBERNOTFOUND;
    }
}

HRESULT ConnectObject::OnConnection(IDispatch* application, ext_ConnectMode connectMode, IDispatch* addInInst,
                                    SAFEARRAY**) {
    if (!application) return E_INVALIDARG;
    return trapped("AddinInstance_OnConnection", [&] {
        std::string progId = kDefaultProgId;
        if (addInInst) {
            try {
                Dispatch instance(ComPtr<IDispatch>::share(addInInst));
                const std::string named = instance.get("ProgId").toString();
                if (!named.empty()) progId = named;
            } catch (const Error&) {
                // A host whose add-in object cannot tell its ProgID still gets the add-in.
            }
        }
        auto& library = ModuleState::instance().library();
        if (!connect_) connect_ = std::make_unique<addin::Connect>(library);
        auto host = std::make_shared<outlook::ComApplication>(ComPtr<IDispatch>::share(application));
        connect_->AddinInstance_OnConnection(std::move(host), connectMode, progId);
    });
}

HRESULT ConnectObject::OnDisconnection(ext_DisconnectMode removeMode, SAFEARRAY**) {
    return trapped("AddinInstance_OnDisconnection", [&] {
        if (connect_) connect_->AddinInstance_OnDisconnection(removeMode);
        connect_.reset();
    });
}

HRESULT ConnectObject::OnAddInsUpdate(SAFEARRAY**) {
    return trapped("AddinInstance_OnAddInsUpdate", [&] {
        if (connect_) connect_->AddinInstance_OnAddInsUpdate();
    });
}

HRESULT ConnectObject::OnStartupComplete(SAFEARRAY**) {
    return trapped("AddinInstance_OnStartupComplete", [&] {
        if (connect_) connect_->AddinInstance_OnStartupComplete();
    });
}

HRESULT ConnectObject::OnBeginShutdown(SAFEARRAY**) {
    return trapped("AddinInstance_OnBeginShutdown", [&] {
        if (connect_) connect_->AddinInstance_OnBeginShutdown();
    });
}

HRESULT InspWrapObject::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch) return answerInterface(this, object);
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT InspWrapObject::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT InspWrapObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT InspWrapObject::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return DISP_E_UNKNOWNNAME; }

HRESULT InspWrapObject::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT ClassFactory::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IClassFactory) return answerInterface(this, object);
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    IUnknown* made = nullptr;
    try {
        made = make_();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
    const HRESULT hr = made->QueryInterface(iid, object);
    made->Release();
    return hr;
}

HRESULT ClassFactory::LockServer(BOOL lock) {
    ModuleState::instance().lock(lock != FALSE);
    return S_OK;
}

}  // namespace tw::win32
