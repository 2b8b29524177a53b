// The add-in connected with an explorer, and the helpers of the approve and block tests: selecting
// messages, clicking the toolbar and menu by Tag, counting training by weight.
#pragma once

#include <gtest/gtest.h>

#include "commandbars/ExplorerBars.h"
#include "platform/CommandBars.h"
#include "scan/NewMailFixture.h"

namespace tw::test {

class ApproveBlockFixture : public NewMailFixture {
protected:
    void SetUp() override {
        engine.setScore(0);
        start();
    }
    std::shared_ptr<sim::SimExplorer> explorer() { return h.client.activeExplorer(); }
    void select(std::vector<std::shared_ptr<sim::SimItem>> items) {
        std::vector<std::shared_ptr<outlook::Item>> chosen(items.begin(), items.end());
        explorer()->select(chosen);
    }
    /// Clicks a toolbar or menu control of the active explorer by its Tag word.
    void click(const std::string& word) {
        auto bar = explorer()->bars()->bar("Velmora");
        ASSERT_TRUE(bar);
        auto control = bar->controls()->find(0, 0, commandbars::controlTag(word), false, true);
        ASSERT_TRUE(control) << word;
        control->click();
    }
    int trainedWith(int32_t weight) {
        int n = 0;
        for (const auto& call : engine.callsStartingWith("TW_addMessage(1,"))
            if (call.find("," + std::to_string(weight) + ")") != std::string::npos ||
                call.find("," + std::to_string(weight) + ",") != std::string::npos)
                ++n;
        return n;
    }
    void noDialog() { settings().showsenderdialog = 1; }
    std::shared_ptr<sim::SimFolder> junk() { return h.client.inbox()->parentFolder()->subfolder(settings().junkfolderName); }
};

}  // namespace tw::test
