// The add-in class the mail client loads: its connection events decide whether to start at all.
#pragma once

#include <memory>
#include <string>

#include "addin/AddinLibrary.h"
#include "addin/OrvennaOutAddIn.h"
#include "platform/Outlook.h"

namespace tw::addin {

class Connect {
public:
    explicit Connect(AddinLibrary& library) : library_(library) {}

    /// A client started without any window gets only the monitor program; otherwise the add-in starts.
    void AddinInstance_OnConnection(std::shared_ptr<outlook::Application> application, int connectMode,
                                    const std::string& addInProgId);
    void AddinInstance_OnDisconnection(int removeMode);
    void AddinInstance_OnAddInsUpdate() {}
    void AddinInstance_OnStartupComplete() {}
    void AddinInstance_OnBeginShutdown() {}

    /// The add-in object of this connection; null after disconnection or a window-less start.
    OrvennaOutAddIn* addin() { return addin_.get(); }

private:
    AddinLibrary& library_;
    std::unique_ptr<OrvennaOutAddIn> addin_;
};

}  // namespace tw::addin
