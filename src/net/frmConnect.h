// The warning that the network service cannot be reached, with its switch-off.
#pragma once

#include <string>

#include "net/NetContext.h"
#include "platform/FormControls.h"
#include "platform/UserInterface.h"

namespace tw::net {

class frmConnect : public platform::FormView {
public:
    explicit frmConnect(NetContext& context);

    static const platform::FormDecl& declaration();
    std::string formName() const override { return "frmConnect"; }
    platform::FormControls* controls() override { return &controls_; }

    /// Sets the texts; `message` goes into Label1.
    void Form_Load(const std::string& message);
    /// Ticking the box turns the warning off for good.
    void chkConnectErr_Click(bool ticked) { controls_["chkConnectErr"].value = ticked; }
    void cmdOK_Click();

    // What the window shows.
    const std::string& caption() const { return controls_.caption; }
    const std::string& Label1() const { return controls_["Label1"].caption; }
    const std::string& chkConnectErrCaption() const { return controls_["chkConnectErr"].caption; }
    const std::string& cmdOKCaption() const { return controls_["cmdOK"].caption; }
    bool chkConnectErr() const { return controls_["chkConnectErr"].value; }

private:
    NetContext& context_;
    platform::FormControls controls_;
};

}  // namespace tw::net
