// Remembers the forms the add-in shows and closes those still open at teardown.
#include "addin/OpenForms.h"

#include <algorithm>
#include <exception>

namespace tw::addin {

void OpenForms::showForm(platform::FormView& form, bool modal) {
    // The user closes windows behind this object's back; forget those before remembering this one.
    shown_.erase(std::remove_if(shown_.begin(), shown_.end(),
                                [this, &form](platform::FormView* f) { return f == &form || !inner_.isFormVisible(*f); }),
                 shown_.end());
    shown_.push_back(&form);
    inner_.showForm(form, modal);
}

void OpenForms::closeAll() {
    const std::vector<platform::FormView*> shown = std::move(shown_);
    shown_.clear();
    // One form that will not close does not keep the others open; its error comes after.
    std::exception_ptr firstFailure;
    for (auto it = shown.rbegin(); it != shown.rend(); ++it) {
        try {
            if (inner_.isFormVisible(**it)) inner_.hideForm(**it);
        } catch (...) {
            if (!firstFailure) firstFailure = std::current_exception();
        }
    }
    if (firstFailure) std::rethrow_exception(firstFailure);
}

size_t OpenForms::openCount() const {
    return static_cast<size_t>(std::count_if(shown_.begin(), shown_.end(),
                                             [this](platform::FormView* f) { return inner_.isFormVisible(*f); }));
}

}  // namespace tw::addin
