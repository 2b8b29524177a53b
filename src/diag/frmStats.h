// The statistics window: the processed and caught counters, the twelve weeks' mistakes and rates
// and their weekly chart, with reset.
#pragma once

#include <functional>
#include <string>

#include "diag/CErrorHandler.h"
#include "platform/Clock.h"
#include "platform/FormControls.h"
#include "platform/UserInterface.h"
#include "settings/Settings.h"

namespace tw::diag {

class frmStats : public platform::FormView {
public:
    /// Writes both counters, and the weekly counters of the record, to the settings store.
    using StoreCounters = std::function<void(int processed, int caught)>;

    /// `clock` tells the current week, the last of the twelve shown.
    frmStats(platform::UserInterface& ui, settings::Settings& settings, platform::Clock& clock,
             StoreCounters storeCounters, CErrorHandler& log);

    static const platform::FormDecl& declaration();
    std::string formName() const override { return "frmStats"; }
    platform::FormControls* controls() override { return &controls_; }

    /// Fills the labels and shows the window without blocking.
    void show();

    void Form_Load();
    void cmdReset_Click();
    void cmdClose_Click();

    // What the window shows.
    const std::string& processedLabel() const { return controls_["lblProcessed"].caption; }
    const std::string& caughtLabel() const { return controls_["lblCaught"].caption; }
    std::string caption() const;
    std::string resetCaption() const;
    std::string closeCaption() const;

private:
    void refreshLabels();
    void store();

    platform::UserInterface& ui_;
    settings::Settings& settings_;
    platform::Clock& clock_;
    StoreCounters storeCounters_;
    CErrorHandler& log_;
    platform::FormControls controls_;
};

}  // namespace tw::diag
