// The add-in interface an Office host calls on a COM add-in, declared from its public documentation.
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace tw::win32 {

/// How the host connected the add-in (OnConnection's second argument).
enum ext_ConnectMode : int {
    ext_cm_AfterStartup = 0,
    ext_cm_Startup = 1,
    ext_cm_External = 2,
    ext_cm_CommandLine = 3,
};

/// Why the host disconnects the add-in (OnDisconnection's first argument).
enum ext_DisconnectMode : int {
    ext_dm_HostShutdown = 0,
    ext_dm_UserClosed = 1,
};

/// {B65AD801-ABAF-11D0-BB8B-00A0C90F2744}
inline constexpr IID IID_IDTExtensibility2 = {0xB65AD801, 0xABAF, 0x11D0, {0xBB, 0x8B, 0x00, 0xA0, 0xC9, 0x0F, 0x27, 0x44}};

/// Dispatch ids of its methods, for hosts that call it through IDispatch.
enum ExtensibilityDispId : DISPID {
    DISPID_OnConnection = 1,
    DISPID_OnDisconnection = 2,
    DISPID_OnAddInsUpdate = 3,
    DISPID_OnStartupComplete = 4,
    DISPID_OnBeginShutdown = 5,
};

/// A dual interface: IDispatch first, then the five events in this order. COM interfaces have no
/// virtual destructor: their objects are destroyed by Release.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
struct IDTExtensibility2 : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* application, ext_ConnectMode connectMode,
                                                   IDispatch* addInInst, SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnDisconnection(ext_DisconnectMode removeMode, SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY** custom) = 0;
};
#pragma GCC diagnostic pop

}  // namespace tw::win32
