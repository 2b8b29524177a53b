// The result window of a manual folder scan: how many messages were processed and caught, how long
// it took, and the way on to the folder's read messages.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/FormControls.h"
#include "platform/Outlook.h"
#include "platform/UserInterface.h"

namespace tw::scan {

struct ScanFigures {
    int32_t processed = 0;
    int32_t caught = 0;
    int64_t seconds = 0;
};

class frmScanResults : public platform::FormView {
public:
    /// Scans the folder again with the subset (Scan Read).
    using ScanAgain = std::function<void(const std::shared_ptr<outlook::Folder>& folder, int32_t subset)>;

    frmScanResults(platform::UserInterface& ui, ScanAgain scanAgain);

    static const platform::FormDecl& declaration();
    std::string formName() const override { return "frmScanResults"; }
    platform::FormControls* controls() override { return &controls_; }

    /// Fills the three lines and keeps the folder and subset; Scan Read is offered only after a
    /// scan that did not already check read messages.
    void fill(const ScanFigures& figures, std::shared_ptr<outlook::Folder> folder, int32_t subset);

    void cmdScanRead_Click();
    void cmdOK_Click();
    /// Releases the folder and hides the window.
    void unload();

    const std::shared_ptr<outlook::Folder>& folder() const { return folder_; }

private:
    platform::UserInterface& ui_;
    ScanAgain scanAgain_;
    platform::FormControls controls_;
    std::shared_ptr<outlook::Folder> folder_;
    int32_t subset_ = 0;
};

}  // namespace tw::scan
