// The warning that the network service cannot be reached, with its switch-off.
#pragma once

#include <string>

#include "net/NetContext.h"
#include "platform/UserInterface.h"

namespace tw::net {

class frmConnect : public platform::FormView {
public:
    explicit frmConnect(NetContext& context) : context_(context) {}

    std::string formName() const override { return "frmConnect"; }

    /// Sets the texts; `message` goes into Label1.
    void Form_Load(const std::string& message);
    /// Ticking the box turns the warning off for good.
    void chkConnectErr_Click(bool ticked) { chkConnectErr_ = ticked; }
    void cmdOK_Click();

    // What the view draws.
    const std::string& caption() const { return caption_; }
    const std::string& Label1() const { return label_; }
    const std::string& chkConnectErrCaption() const { return checkCaption_; }
    const std::string& cmdOKCaption() const { return okCaption_; }
    bool chkConnectErr() const { return chkConnectErr_; }

private:
    NetContext& context_;
    std::string caption_, label_, checkCaption_, okCaption_;
    bool chkConnectErr_ = false;
};

}  // namespace tw::net
