// The sender dialog: asks whether to approve or block the senders (or domains) of messages, lists
// them and the countries the messages passed through, and runs the command on Yes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/Connection.h"
#include "core/KeyedSet.h"
#include "platform/FormControls.h"
#include "platform/Outlook.h"
#include "platform/UserInterface.h"

namespace tw::senders {

class ApproveBlock;

/// Form heights in twips: without and with the countries' options area.
inline constexpr int kCollapsedHeight = 4425;
inline constexpr int kExpandedHeight = 7200;

class frmSenderDialog : public platform::FormView {
public:
    explicit frmSenderDialog(ApproveBlock& commands);

    static const platform::FormDecl& declaration();
    std::string formName() const override { return "frmSenderDialog"; }
    platform::FormControls* controls() override { return &controls_; }

    /// The one message of a mail window the dialog asks about; Yes then acts on it alone
    /// rather than on the main window's selection.
    void setMessage(std::shared_ptr<outlook::Item> item) { message_ = std::move(item); }

    /// Fills the texts and lists; ok means the dialog is to be shown.
    void senderloadparameters(int32_t domainFlag, int32_t dialogAction, const KeyedSet& senders,
                              const KeyedSet& countries, bool& ok);
    void cmdYes_Click();
    void cmdNo_Click();
    void cmdOptions_Click();

    /// The four-digit key of the dialog's texts: plural, block, domain, no reporting.
    static std::string textKey(bool plural, bool block, bool domain, bool noReporting);

private:
    void applyOptions();
    void saveDontShowAgain();
    void unload();

    ApproveBlock& commands_;
    /// The dialog may outlive the add-in it came from: it closes itself through the user interface alone.
    platform::UserInterface& ui_;
    ConnectionToken connection_;
    platform::FormControls controls_;
    std::shared_ptr<outlook::Item> message_;
    int32_t domainFlag_ = 0;
    int32_t dialogAction_ = 0;
    bool countriesListed_ = false;
};

}  // namespace tw::senders
