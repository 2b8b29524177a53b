// The add-in connected with an explorer, and the options dialog opened over it.
#pragma once

#include <memory>

#include "options/frmOrvennaOptions.h"
#include "senders/ApproveBlockFixture.h"

namespace tw::test {

class OptionsFixture : public ApproveBlockFixture {
protected:
    /// A dialog opened over the connected add-in, not shown.
    options::frmOrvennaOptions& open() {
        form = std::make_unique<options::frmOrvennaOptions>(h.addin());
        form->Form_Load();
        return *form;
    }
    platform::ControlState& ctl(const std::string& name) { return (*form->controls())[name]; }
    void type(const std::string& name, const std::string& text) { form->controls()->type(name, text); }
    /// A click on the node's icon: the tick state changes.
    void toggle(const std::string& key) {
        form->tvwOptions_MouseDown(true);
        form->tvwOptions_NodeClick(key);
    }
    std::string lastBox() { return h.ui.boxes.empty() ? std::string() : h.ui.boxes.back().prompt; }
    settings::RegVariant stored(const std::string& name) { return settingsKey().read(name); }

    std::unique_ptr<options::frmOrvennaOptions> form;
};

}  // namespace tw::test
