// What the two entry dialogs of the sender lists share: the text box, OK and Cancel, and the
// entry of the options dialog's list that an edit replaces.
#pragma once

#include <functional>
#include <string>

#include "diag/CErrorHandler.h"
#include "platform/FormControls.h"
#include "platform/UserInterface.h"

namespace tw::senders {

class Senders;

/// Modes the options dialog opens an entry dialog in.
enum EntryMode : int { entryEdit = 0, entryAdd = 1 };

class EntryDialog : public platform::FormView {
public:
    EntryDialog(const platform::FormDecl& decl, Senders& lists, platform::UserInterface& ui, diag::CErrorHandler& log);

    platform::FormControls* controls() override { return &controls_; }

    /// Which list and whether the dialog adds or edits; set by the options dialog before showing.
    void setKind(int kind) { kind_ = kind; }
    void setMode(int mode) { mode_ = mode; }
    /// The entry an edit replaces, shown in the text box; empty when the list had none selected.
    void setEditedEntry(const std::string& entry);
    /// Runs after a change, so the options dialog shows its lists anew.
    void onListsChanged(std::function<void()> refresh) { refresh_ = std::move(refresh); }

    void cmdOK_Click();
    void cmdCancel_Click();

protected:
    /// Applies the typed entry (trimmed, lower-cased, never empty) to the list of this kind.
    virtual void apply(const std::string& entry) = 0;
    /// Captions and label for this kind.
    virtual void applyKind() = 0;

    Senders& lists_;
    platform::UserInterface& ui_;
    diag::CErrorHandler& log_;
    platform::FormControls controls_;
    int kind_ = 0;
    int mode_ = entryAdd;
    std::string editedEntry_;
    std::function<void()> refresh_;

public:
    /// Shows the dialog modally for its kind.
    void show();
};

}  // namespace tw::senders
