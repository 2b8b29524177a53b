// The About window: logo, version and notices, and a way to the system-information program.
#pragma once

#include <string>

#include "diag/CErrorHandler.h"
#include "platform/FormControls.h"
#include "platform/Platform.h"
#include "platform/UserInterface.h"

namespace tw::commandbars {

class frmAboutOrvenna : public platform::FormView {
public:
    frmAboutOrvenna(platform::Platform& platform, diag::CErrorHandler& log);
    static const platform::FormDecl& declaration();
    std::string formName() const override { return "frmAboutOrvenna"; }
    platform::FormControls* controls() override { return &controls_; }

    /// Shows the window modally.
    void show();
    void cmdOK_Click();
    void cmdSysInfo_Click();

private:
    platform::Platform& platform_;
    diag::CErrorHandler& log_;
    platform::FormControls controls_;
};

}  // namespace tw::commandbars
