// The entry dialog for an approved, blocked or ignored sender or domain.
#pragma once

#include "senders/EntryDialog.h"

namespace tw::senders {

/// List kinds: 0 approved senders, 4 ignored senders, any other blocked senders.
class frmEnterEmailDomain : public EntryDialog {
public:
    frmEnterEmailDomain(Senders& lists, platform::UserInterface& ui, diag::CErrorHandler& log);
    static const platform::FormDecl& declaration();
    std::string formName() const override { return "frmEnterEmailDomain"; }

protected:
    void apply(const std::string& entry) override;
    /// The prompt speaks of a sender to be added only when one is.
    void applyKind() override;
};

}  // namespace tw::senders
