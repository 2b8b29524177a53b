// The auto-scan's status window: which watched folder is being checked, how many messages so far, and Cancel.
#pragma once

#include <cstdint>
#include <string>

#include "platform/FormControls.h"
#include "platform/UserInterface.h"

namespace tw::scan {

class AutoScan;
class ScanHost;

/// Positions are in twips, the unit of the form declarations, and so are autoscan_status_left/top.
/// Loaded at its first use, as a form is; unloaded by the auto-scan's end. It opens where it was
/// left, and a view moves it where the user drags it; shown beside the user's work, it never takes
/// the keys from the window in front.
class frmAutoScanStatus : public platform::FormView {
public:
    explicit frmAutoScanStatus(ScanHost& addin);

    static const platform::FormDecl& declaration();
    std::string formName() const override { return "frmAutoScanStatus"; }
    platform::FormControls* controls() override { return &controls_; }

    /// Captions, count 0, and the saved position (centred where it lies off the screen).
    void Form_Load();
    /// Logs, cancels a pass it was still bound to, stores the position (brought onto the screen),
    /// releases the binding.
    void Form_Unload();
    bool loaded() const { return loaded_; }

    /// Ties Cancel to this auto-scan and shows the button.
    void bind(AutoScan& owner);
    void setFolderText(const std::string& text);
    /// "Processed: N"; shows the window, not modally, when it is hidden.
    void showCount(int32_t count);
    void hide();
    void cmdCancel_Click();

    int left() const { return controls_.left; }
    int top() const { return controls_.top; }
    /// Where the user dragged the window.
    void move(int left, int top);

private:
    void ensureLoaded();

    ScanHost& addin_;
    platform::FormControls controls_;
    AutoScan* owner_ = nullptr;
    bool loaded_ = false;
};

}  // namespace tw::scan
