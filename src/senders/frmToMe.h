// The entry dialog for one of my addresses or a mailing list.
#pragma once

#include "senders/EntryDialog.h"

namespace tw::senders {

/// Kinds: 1 add one of my addresses, 0 edit one; 4 add a mailing list, 3 edit one.
class frmToMe : public EntryDialog {
public:
    frmToMe(Senders& lists, platform::UserInterface& ui, diag::CErrorHandler& log);
    static const platform::FormDecl& declaration();
    std::string formName() const override { return "frmToMe"; }

protected:
    void apply(const std::string& entry) override;
    void applyKind() override;
};

}  // namespace tw::senders
