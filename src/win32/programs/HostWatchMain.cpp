// HostWatch.exe: waits, windowless, for the mail client it was started for to open a main window, then connects the add-in.
#include <windows.h>
#include <oleauto.h>

#include "hostwatch/Watch.h"
#include "win32/com/ClientApplication.h"
#include "win32/com/Dispatch.h"
#include "win32/programs/ProgramCommandLine.h"

namespace {

using tw::win32::ComPtr;
using tw::win32::Dispatch;

/// The client reached through the running object table, its process watched through its handle.
class RunningClient : public tw::hostwatch::Client {
public:
    explicit RunningClient(HANDLE process) : process_(process) {}

    bool waitForEnd(int milliseconds) override {
        const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
        for (;;) {
            const LONG left = static_cast<LONG>(end - GetTickCount());
            if (left <= 0) return false;
            // The thread is in an apartment: window messages are served while it waits.
            DWORD woke = MsgWaitForMultipleObjects(1, &process_, FALSE, static_cast<DWORD>(left), QS_ALLINPUT);
            if (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED) return true;
            if (woke == WAIT_TIMEOUT) return false;
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        }
    }

    bool hasExplorer() override {
        try {
            Dispatch application = running();
            return application && application.get("Explorers").toDispatch() &&
                   Dispatch(application.get("Explorers").toDispatch()).get("Count").toInt() > 0;
        } catch (...) {
            return false;
        }
    }

    bool reconnect(const std::string& progId) override {
        try {
            Dispatch application = running();
            if (!application) return false;
            Dispatch addIn(Dispatch(application.get("COMAddIns").toDispatch()).call("Item", progId).toDispatch());
            addIn.put("Connect", false);
            addIn.put("Connect", true);
            return addIn.get("Connect").toBool();
        } catch (...) {
            return false;
        }
    }

private:
    static Dispatch running() {
        IUnknown* unknown = nullptr;
        if (FAILED(GetActiveObject(tw::win32::CLSID_ClientApplication, nullptr, &unknown)) || !unknown) return {};
        IDispatch* dispatch = nullptr;
        HRESULT hr = unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
        unknown->Release();
        if (FAILED(hr) || !dispatch) return {};
        return Dispatch(ComPtr<IDispatch>::adopt(dispatch));
    }

    HANDLE process_;
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // One monitor at a time: a second one started meanwhile leaves at once.
    HANDLE single = CreateMutexW(nullptr, FALSE, L"Local\\TarnwickHostWatch");
    if (!single || GetLastError() == ERROR_ALREADY_EXISTS) return 0;
    int status = 0;
    try {
        auto arguments = tw::hostwatch::parseArguments(tw::win32::programArguments());
        HANDLE process = arguments ? OpenProcess(SYNCHRONIZE, FALSE, arguments->processId) : nullptr;
        if (process) {
            if (SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
                {
                    RunningClient client(process);
                    tw::hostwatch::watch(client, arguments->progId);
                }
                CoUninitialize();
            }
            CloseHandle(process);
        } else {
            status = 1;
        }
    } catch (...) {
        status = 1;
    }
    CloseHandle(single);
    return status;
}
