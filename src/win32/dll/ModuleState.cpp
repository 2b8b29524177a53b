// The per-load state of the add-in library and the log hook for errors no handler trapped.
#include "dll/ModuleState.h"

#include "win32/com/EventConnection.h"

namespace tw::win32 {

ModuleState& ModuleState::instance() {
    static ModuleState state;
    return state;
}

addin::AddinLibrary& ModuleState::library() {
    if (!library_) {
        platform_ = std::make_unique<Win32Platform>();
        library_ = std::make_unique<addin::AddinLibrary>(platform_->ports);
        EventConnection::setUnhandledErrorReporter([this](DISPID id) {
            if (auto* log = library_ ? library_->log() : nullptr)
                log->LogSeriousErrorMessage("An event handler failed without trapping its error (event " +
                                            std::to_string(id) + ")");
        });
    }
    return *library_;
}

}  // namespace tw::win32
