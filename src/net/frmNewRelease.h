// The offer of a newer release, with "do not remind me" for this release.
#pragma once

#include <string>

#include "net/NetContext.h"
#include "platform/UserInterface.h"

namespace tw::net {

class frmNewRelease : public platform::FormView {
public:
    /// `downloadPage` is where the release can be had; it is shown and opened on Yes.
    frmNewRelease(NetContext& context, std::string offeredVersion, std::string downloadPage);

    std::string formName() const override { return "frmNewRelease"; }

    void Form_Load();
    void chkIgnore_Click(bool ticked);
    void cmdOK_Click();
    void cmdIgnore_Click();

    // What the view draws.
    const std::string& caption() const { return caption_; }
    const std::string& label() const { return label_; }
    const std::string& chkIgnoreCaption() const { return ignoreCaption_; }
    const std::string& cmdOKCaption() const { return okCaption_; }
    const std::string& cmdIgnoreCaption() const { return noCaption_; }
    bool chkIgnore() const { return chkIgnore_; }
    bool cmdOKEnabled() const { return !chkIgnore_; }
    bool cmdIgnoreIsDefault() const { return chkIgnore_; }
    const std::string& offeredVersion() const { return offered_; }

private:
    NetContext& context_;
    std::string offered_, downloadPage_;
    std::string caption_, label_, ignoreCaption_, okCaption_, noCaption_;
    bool chkIgnore_ = false;
};

}  // namespace tw::net
