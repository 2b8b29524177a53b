// The import dialog: lists the profile's other address books and approves the addresses of the
// ones the user picks, then reports how many each gave.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "diag/CErrorHandler.h"
#include "platform/FormControls.h"
#include "platform/UserInterface.h"
#include "senders/Senders.h"

namespace tw::senders {

class frmImportAddresses : public platform::FormView {
public:
    frmImportAddresses(Senders& lists, platform::UserInterface& ui, diag::CErrorHandler& log);

    static const platform::FormDecl& declaration();
    std::string formName() const override { return "frmImportAddresses"; }
    platform::FormControls* controls() override { return &controls_; }

    /// Runs after an import, so the options dialog shows its lists anew.
    void onListsChanged(std::function<void()> refresh) { refresh_ = std::move(refresh); }

    /// The options dialog's import button: when no book can be imported, says so in a message box
    /// and shows nothing; otherwise shows the dialog modally. Whether the dialog was shown.
    bool Open();
    /// Fills the list box with the importable books.
    void LoadAddressBooks();
    /// Imports the selected books, refreshes the lists, reports and closes.
    void cmdOK_Click();
    void cmdCancel_Click();

    /// The report of the last import, as shown ("" when none was shown).
    const std::string& report() const { return report_; }
    /// The books listed, in the list box's order.
    const std::vector<ImportBook>& books() const { return books_; }

    /// One report line (without its leading CR) for a book and what its import answered.
    static std::string reportLine(const std::string& name, int32_t count);

private:
    void refreshLists();

    Senders& lists_;
    platform::UserInterface& ui_;
    diag::CErrorHandler& log_;
    platform::FormControls controls_;
    std::function<void()> refresh_;
    std::vector<ImportBook> books_;
    std::string report_;
};

}  // namespace tw::senders
