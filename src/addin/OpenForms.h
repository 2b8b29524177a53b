// The add-in's view of the user interface: every call goes through to the platform's, and the forms it shows are remembered so teardown can close them.
#pragma once

#include <vector>

#include "platform/UserInterface.h"

namespace tw::addin {

/// A form left open at teardown would outlive the add-in: its buttons would reach released client
/// objects, and a modal one would keep its command waiting. Teardown closes them through this.
class OpenForms : public platform::UserInterface {
public:
    explicit OpenForms(platform::UserInterface& inner) : inner_(inner) {}

    /// Hides every form shown through this object that is still visible, the latest first, so a
    /// modal form's command returns from its show (and finds the connection ended). A form that
    /// will not hide raises its error after the others are closed.
    void closeAll();
    /// The forms shown through this object that are still visible.
    size_t openCount() const;

    int MsgBox(const std::string& prompt, int style, const std::string& title) override {
        return inner_.MsgBox(prompt, style, title);
    }
    void showForm(platform::FormView& form, bool modal) override;
    void hideForm(platform::FormView& form) override { inner_.hideForm(form); }
    bool isFormVisible(const platform::FormView& form) const override { return inner_.isFormVisible(form); }
    platform::TimerId setTimer(int intervalMs, std::function<void()> onTick) override {
        return inner_.setTimer(intervalMs, std::move(onTick));
    }
    void killTimer(platform::TimerId id) override { inner_.killTimer(id); }
    void doEvents() override { inner_.doEvents(); }
    int screenWidth() const override { return inner_.screenWidth(); }
    int screenHeight() const override { return inner_.screenHeight(); }
    int textWidth(const std::string& text) const override { return inner_.textWidth(text); }

private:
    platform::UserInterface& inner_;
    /// Forms in the order they were shown. A form the user closed stays listed until the next
    /// show prunes it; only its address is used then, never the form itself.
    std::vector<platform::FormView*> shown_;
};

}  // namespace tw::addin
