// Process-wide objects of the add-in library.
#include "addin/AddinLibrary.h"

namespace tw::addin {

diag::CErrorHandler& AddinLibrary::ensureLog() {
    if (!log_) log_ = std::make_unique<diag::CErrorHandler>(platform_.files, platform_.shell, platform_.clock);
    return *log_;
}

}  // namespace tw::addin
