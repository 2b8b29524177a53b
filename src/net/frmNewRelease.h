// The offer of a newer release, with "do not remind me" for this release.
#pragma once

#include <string>

#include "net/NetContext.h"
#include "platform/FormControls.h"
#include "platform/UserInterface.h"

namespace tw::net {

class frmNewRelease : public platform::FormView {
public:
    /// `downloadPage` is where the release can be had; it is shown and opened on Yes.
    frmNewRelease(NetContext& context, std::string offeredVersion, std::string downloadPage);

    static const platform::FormDecl& declaration();
    std::string formName() const override { return "frmNewRelease"; }
    platform::FormControls* controls() override { return &controls_; }

    void Form_Load();
    /// Ticked, Yes is disabled and No becomes the default button; cleared, the other way round.
    void chkIgnore_Click(bool ticked);
    void cmdOK_Click();
    void cmdIgnore_Click();

    // What the window shows.
    const std::string& caption() const { return controls_.caption; }
    const std::string& label() const { return controls_["Label1"].caption; }
    const std::string& chkIgnoreCaption() const { return controls_["chkIgnore"].caption; }
    const std::string& cmdOKCaption() const { return controls_["cmdOK"].caption; }
    const std::string& cmdIgnoreCaption() const { return controls_["cmdIgnore"].caption; }
    bool chkIgnore() const { return controls_["chkIgnore"].value; }
    bool cmdOKEnabled() const { return controls_["cmdOK"].enabled; }
    bool cmdIgnoreIsDefault() const { return controls_["cmdIgnore"].isDefault; }
    const std::string& offeredVersion() const { return offered_; }

private:
    NetContext& context_;
    std::string offered_, downloadPage_;
    platform::FormControls controls_;
};

}  // namespace tw::net
