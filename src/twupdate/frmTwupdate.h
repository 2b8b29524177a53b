// The download's progress window: what the update is doing, a progress bar and Cancel.
#pragma once

#include <string>

#include "platform/FormControls.h"
#include "platform/UserInterface.h"
#include "twupdate/Updater.h"

namespace tw::twupdate {

class frmTwupdate : public platform::FormView {
public:
    frmTwupdate(Updater& updater, platform::UserInterface& ui);

    static const platform::FormDecl& declaration();
    std::string formName() const override { return "frmTwupdate"; }
    platform::FormControls* controls() override { return &controls_; }

    /// Shows where the update stands after `elapsedSeconds`; called by a timer while it runs.
    void showProgress(int elapsedSeconds);
    /// Stops the update (its partial file goes with it) and closes the window.
    void cmdCancel_Click();
    bool cancelled() const { return cancelled_; }

    const std::string& status() const { return controls_["lblStatus"].caption; }
    int progress() const { return controls_["prgDownload"].number; }

private:
    Updater& updater_;
    platform::UserInterface& ui_;
    platform::FormControls controls_;
    bool cancelled_ = false;
};

}  // namespace tw::twupdate
