// A user interface for tests of the small programs that keeps every message box and shows nothing.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/UserInterface.h"

namespace tw::contract {

/// Tests pin what the programs show, not how a platform draws it.
class RecordingUserInterface : public platform::UserInterface {
public:
    struct Box {
        std::string prompt;
        int style;
        std::string title;
        friend bool operator==(const Box&, const Box&) = default;
    };
    std::vector<Box> boxes;

    int MsgBox(const std::string& prompt, int style, const std::string& title) override {
        boxes.push_back({prompt, style, title});
        return platform::vbOK;
    }
    void showForm(platform::FormView&, bool) override {}
    void hideForm(platform::FormView&) override {}
    bool isFormVisible(const platform::FormView&) const override { return false; }
    platform::TimerId setTimer(int, std::function<void()>) override { return 0; }
    void killTimer(platform::TimerId) override {}
    void doEvents() override {}
};

}  // namespace tw::contract
