// The "Why?" window: what decided a message, in plain words, with approving or blocking its sender at hand.
#pragma once

#include <string>

#include "classify/Judgement.h"
#include "diag/CErrorHandler.h"
#include "platform/FormControls.h"
#include "platform/UserInterface.h"

namespace tw::classify {

/// The menu entry's text, also the window's caption.
inline constexpr int kWhyCaptionId = 1320;

class frmWhy : public platform::FormView {
public:
    /// What the user chose to do about the sender; the window has closed before it is done.
    enum class Action { none, approve, block };

    frmWhy(platform::UserInterface& ui, diag::CErrorHandler& log);

    static const platform::FormDecl& declaration();
    std::string formName() const override { return "frmWhy"; }
    platform::FormControls* controls() override { return &controls_; }

    /// Names the message and gives the judgement's reasons; a message without a sender offers
    /// nothing to approve or block.
    void fill(const std::string& subject, const Judgement& judgement);
    /// Shows the window until it closes and answers the button that closed it.
    Action showModal();

    void cmdApprove_Click() { close(Action::approve); }
    void cmdBlock_Click() { close(Action::block); }
    void cmdClose_Click() { close(Action::none); }

    const std::string& messageLabel() const { return controls_["lblMessage"].caption; }
    const std::string& reasons() const { return controls_["txtReasons"].text; }

private:
    void close(Action action);

    platform::UserInterface& ui_;
    diag::CErrorHandler& log_;
    platform::FormControls controls_;
    Action action_ = Action::none;
};

}  // namespace tw::classify
