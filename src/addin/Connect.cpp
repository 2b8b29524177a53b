// Connection and disconnection of the add-in.
#include "addin/Connect.h"

#include "addin/HostWatch.h"

namespace tw::addin {

void Connect::AddinInstance_OnConnection(std::shared_ptr<outlook::Application> application, int /*connectMode*/,
                                         const std::string& addInProgId) {
    try {
        if (application->Explorers()->Count() == 0 && application->Inspectors()->Count() == 0) {
            startHostWatch(library_.platform().shell, addInProgId);
            return;
        }
        library_.ensureLog();
        if (!addin_) addin_ = std::make_unique<OrvennaOutAddIn>(library_);
        addin_->InitHandler(std::move(application), addInProgId);
    } catch (...) {
        // Nothing may reach the mail client; log when there is a log to write to.
        if (auto* log = library_.log()) log->logError("AddinInstance_OnConnection");
    }
}

void Connect::AddinInstance_OnDisconnection(int /*removeMode*/) {
    try {
        if (addin_ && addin_->initialized()) addin_->UnInitHandler();
        addin_.reset();
    } catch (...) {
        if (auto* log = library_.log()) log->logError("AddinInstance_OnDisconnection");
    }
}

}  // namespace tw::addin
