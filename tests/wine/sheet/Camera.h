// The user interface the add-in sees while the sheet is taken: the Windows one, with every form
// and message box passing through here so a script can photograph, work and close it.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/UserInterface.h"
#include "sheet/Album.h"
#include "win32/Win32UserInterface.h"

namespace tw::sheet {

class Camera;

/// A modal form (or message box) while its scene runs: what a step may do with it.
class Stage {
public:
    Stage(Camera& camera, platform::FormView* form, HWND window, int boxStyle = 0)
        : camera_(camera), form_(form), window_(window), boxStyle_(boxStyle) {}

    HWND window() const { return window_; }
    /// Null for a message box.
    platform::FormView* form() const { return form_; }

    void photo(const std::string& stem, const std::string& label);
    /// The child window of a declared control; null (and a problem noted) when there is none.
    HWND child(const std::string& name);
    /// A click on a button, as the user gives it.
    void press(const std::string& name);
    /// Selects the first entry of a list, as a click on it does.
    void pickFirst(const std::string& name);
    /// Selects a node of the form's tree by its key, as a click on its text does.
    void selectNode(const std::string& key);
    /// The window's close box; a message box gets its safest answer.
    void close();

private:
    Camera& camera_;
    platform::FormView* form_;
    HWND window_;
    int boxStyle_;
};

using Step = std::function<void(Stage&)>;
Step photo(std::string stem, std::string label);
Step press(std::string name);
Step closeIt();

class Camera final : public platform::UserInterface {
public:
    Camera(win32::Win32UserInterface& screen, Album& album);
    ~Camera() override;
    Camera(const Camera&) = delete;
    Camera& operator=(const Camera&) = delete;

    /// The steps for the next modal show of a form of that name ("MsgBox" for message boxes), run
    /// one a tick once its window is drawn. A form without a scene is photographed and closed.
    void script(const std::string& formName, std::vector<Step> steps);
    /// A form shown without blocking: lets it draw and photographs it; the caller hides it.
    void photographOpen(platform::FormView& form, const std::string& stem, const std::string& label);
    /// Lets the windows draw for that long.
    void settle(int milliseconds);

    Album& album() { return album_; }
    win32::Win32UserInterface& screen() { return screen_; }
    /// The form's open window: the newest form window with the form's caption.
    HWND windowOf(platform::FormView& form) const;

    int MsgBox(const std::string& prompt, int style, const std::string& title) override;
    void showForm(platform::FormView& form, bool modal) override;
    void hideForm(platform::FormView& form) override { screen_.hideForm(form); }
    bool isFormVisible(const platform::FormView& form) const override { return screen_.isFormVisible(form); }
    platform::TimerId setTimer(int intervalMs, std::function<void()> onTick) override {
        return screen_.setTimer(intervalMs, std::move(onTick));
    }
    void killTimer(platform::TimerId id) override { screen_.killTimer(id); }
    void doEvents() override { screen_.doEvents(); }
    int screenWidth() const override { return screen_.screenWidth(); }
    int screenHeight() const override { return screen_.screenHeight(); }
    int textWidth(const std::string& text) const override { return screen_.textWidth(text); }

private:
    struct Shown;
    void tick();
    void giveUp(Shown& shown, const std::string& why);
    std::vector<Step> sceneFor(const std::string& name, const std::string& stem, const std::string& label);

    win32::Win32UserInterface& screen_;
    Album& album_;
    platform::TimerId timer_ = 0;
    std::map<std::string, std::vector<std::vector<Step>>> scenes_;
    std::vector<std::unique_ptr<Shown>> shown_;
};

}  // namespace tw::sheet
