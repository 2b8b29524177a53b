// The log viewer window: shows "report.txt" and can clear both log files.
#pragma once

#include <string>

#include "diag/CErrorHandler.h"
#include "platform/FileSystem.h"
#include "platform/FormControls.h"
#include "platform/Shell.h"
#include "platform/UserInterface.h"

namespace tw::diag {

class frmViewLog : public platform::FormView {
public:
    frmViewLog(platform::FileSystem& files, platform::Shell& shell, platform::UserInterface& ui, CErrorHandler& log);

    static const platform::FormDecl& declaration();
    std::string formName() const override { return "frmViewLog"; }
    platform::FormControls* controls() override { return &controls_; }

    /// Loads the log and shows the window without blocking.
    void show();

    /// Reads the current "report.txt" into the text box (empty when there is none).
    void Form_Load();
    /// Deletes "report.txt" and "report0.txt" and shows the now empty log.
    void cmdClear_Click();
    void cmdClose_Click();

    // What the window shows.
    const std::string& text() const { return controls_["txtLog"].text; }
    std::string caption() const;
    std::string clearCaption() const;
    std::string closeCaption() const;

private:
    platform::FileSystem& files_;
    platform::Shell& shell_;
    platform::UserInterface& ui_;
    CErrorHandler& log_;
    platform::FormControls controls_;
};

}  // namespace tw::diag
