// The progress window of a manual folder scan: what is being checked, how many so far, and Cancel.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/FormControls.h"
#include "platform/UserInterface.h"

namespace tw::scan {

/// Shown without blocking, centred on the screen; the scan yields after each message, so Cancel
/// (or closing the window) is handled while it runs.
class frmScanning : public platform::FormView {
public:
    /// What Cancel and closing the window do: stop the running scan.
    using StopScan = std::function<void()>;

    frmScanning();

    static const platform::FormDecl& declaration();
    std::string formName() const override { return "frmScanning"; }
    platform::FormControls* controls() override { return &controls_; }

    /// Binds the window to the scan it stops.
    void bind(StopScan stop) { stop_ = std::move(stop); }
    /// Sets the heading for the messages of the subset.
    void setSubset(int32_t subset);
    /// How many messages the scan is to check: the whole of the progress bar; 0 when not known.
    void setTotal(int32_t total);
    /// "Processed: N", and the bar as far along as N is of the whole.
    void setProcessed(int32_t count);
    /// Places the window in the middle of a screen of that size (twips).
    void centreOn(int screenWidth, int screenHeight);
    int left() const { return controls_.left; }
    int top() const { return controls_.top; }

    void CancelScanCmd_Click();
    /// The user closes the window: the scan stops as with Cancel.
    void Form_Unload();

private:
    platform::FormControls controls_;
    StopScan stop_;
    int32_t total_ = 0;
};

}  // namespace tw::scan
