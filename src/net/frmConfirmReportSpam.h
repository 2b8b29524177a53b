// The question asked before a report is sent, with the box that stops it being asked again.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "net/ReportHost.h"
#include "platform/FormControls.h"
#include "platform/Outlook.h"
#include "platform/UserInterface.h"

namespace tw::net {

class frmConfirmReportSpam : public platform::FormView {
public:
    explicit frmConfirmReportSpam(ReportHost& host);

    static const platform::FormDecl& declaration();
    std::string formName() const override { return "frmConfirmReportSpam"; }
    platform::FormControls* controls() override { return &controls_; }

    /// Sets the texts of a spam report.
    void Form_Load();
    /// Stores kind and training flag and sets the caption and prompt of the kind.
    void setReportKind(int32_t kind, bool train);
    /// The one message of a mail window: Yes reports it rather than the main window's selection.
    void setMessage(std::shared_ptr<outlook::Item> item) { message_ = std::move(item); }

    void cmdYes_Click();
    void cmdNo_Click();

    int32_t kind() const { return kind_; }
    bool train() const { return train_; }

private:
    /// Writes the switch-off when the box disagrees with the setting.
    void recordConfirmChoice();
    void unload();

    ReportHost& host_;
    /// The form may outlive the add-in it came from: it closes itself through the user interface alone.
    platform::UserInterface& ui_;
    ConnectionToken connection_;
    platform::FormControls controls_;
    std::shared_ptr<outlook::Item> message_;
    int32_t kind_ = 1;
    bool train_ = true;
};

}  // namespace tw::net
