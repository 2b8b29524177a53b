// The add-in's toolbar "Velmora" and menu "&Tarnwick" in the explorers, its two Help-menu entries,
// and the click handlers bound to them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/Event.h"
#include "platform/CommandBars.h"
#include "platform/Outlook.h"

namespace tw::commandbars {

class CommandBarsHost;

/// Resource ids of the button faces.
enum FacePicture : int { faceSettings = 101, faceBlock = 102, faceApprove = 103 };

/// The Tag of a control: a fixed word and the product name.
std::string controlTag(const std::string& word);
/// The toolbar's name, also the Tag of its popup.
std::string toolbarName();

class ExplorerBars {
public:
    explicit ExplorerBars(CommandBarsHost& host) : host_(host) {}

    /// Builds the toolbar with its buttons and menu in the active explorer, places it as the
    /// settings say and adds the Help-menu entries.
    void ShowToolBarMenu();
    void AddMMenu();
    void AddMAbout();
    /// Deletes the popup and forgets the menu's bindings.
    void RemoveMMenu();
    /// Stores the toolbar's placement, deletes its buttons, the Help entries and the toolbar.
    void RemoveMButtons();
    std::shared_ptr<office::CommandBarControl> CreateToolBarButton(office::CommandBar& toolbar,
                                                                   const std::string& caption, const std::string& tag,
                                                                   const std::string& tooltip, bool beginGroup,
                                                                   int style, int picture, bool replace);

    // What the toolbar and menu do.
    void cmdOrvenna_Click();
    void cmdViewOnlineHelpMenuItem_Click();
    void cmdViewLogReport_Click();
    void cmdViewStats_Click();
    void cmdCheckUpdates_Click();
    void cmdAboutMenuItem_Click();
    void cmdTarnwickOnlineHelp_Click();
    void cmdScanFolder_Click();
    void cmdReport_Click(int kind);
    /// Why the one selected message was judged as it was; a box asks for one message otherwise.
    void cmdWhy_Click();

    std::shared_ptr<office::CommandBar> toolbar() const { return toolbar_; }
    /// Gives a button its face from the add-in's pictures; a failure is logged and the button kept.
    void applyFace(office::CommandBarControl& control, int picture);

private:
    using ButtonHandler = void (ExplorerBars::*)();
    /// Connects a control's click to a handler; the binding lives until cleared.
    void bind(std::vector<Subscription>& bindings, const std::shared_ptr<office::CommandBarControl>& control,
              std::function<void()> handler);
    std::shared_ptr<office::CommandBarControl> helpMenu();

    CommandBarsHost& host_;
    std::shared_ptr<office::CommandBar> toolbar_;
    std::shared_ptr<office::CommandBarControl> popup_;
    std::vector<std::shared_ptr<office::CommandBarControl>> buttons_, helpEntries_;
    std::vector<Subscription> buttonBindings_, menuBindings_;
};

}  // namespace tw::commandbars
