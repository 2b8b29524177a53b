// Command-bar port: the client's toolbars, menus, popups and buttons, under their own names.
// Objects are shared references, as COM objects are; plain values only, so a late-bound adapter
// stays a thin translation. Calls that fail raise Error. Thread rule: the user-interface thread only.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "core/Event.h"

namespace tw::office {

/// Control types for Controls.Add and FindControl (0 in FindControl: any type).
enum MsoControlType : int { msoControlButton = 1, msoControlPopup = 10 };

/// Button styles: what a button shows.
enum MsoButtonStyle : int {
    msoButtonAutomatic = 0, msoButtonIcon = 1, msoButtonCaption = 2, msoButtonIconAndCaption = 3,
};

/// Where a bar docks.
enum MsoBarPosition : int {
    msoBarLeft = 0, msoBarTop = 1, msoBarRight = 2, msoBarBottom = 3, msoBarFloating = 4,
};

class CommandBarControls;

/// A button or a popup on a bar or in a popup. Properties that a control of its type lacks
/// (Style or a picture on a popup, Controls on a button) raise error 438.
class CommandBarControl {
public:
    virtual ~CommandBarControl() = default;
    virtual int Type() = 0;
    virtual int Id() = 0;
    virtual std::string Caption() = 0;
    virtual void setCaption(const std::string& value) = 0;
    virtual std::string Tag() = 0;
    virtual void setTag(const std::string& value) = 0;
    virtual std::string TooltipText() = 0;
    virtual void setTooltipText(const std::string& value) = 0;
    virtual int Style() = 0;
    virtual void setStyle(int value) = 0;
    virtual bool BeginGroup() = 0;
    virtual void setBeginGroup(bool value) = 0;
    virtual bool Visible() = 0;
    virtual void setVisible(bool value) = 0;
    /// 1-based place among its siblings.
    virtual int Index() = 0;
    virtual void Delete() = 0;
    /// Buttons: the add-in's own picture (its bitmap resource of that id) becomes the face, and the
    /// user's clipboard is as it was afterwards. Raises when the face cannot be set.
    virtual void setPicture(int resourceId) = 0;
    /// Popups: the controls inside.
    virtual std::shared_ptr<CommandBarControls> Controls() = 0;
    using ClickHandler = std::function<void(std::shared_ptr<CommandBarControl>, bool&)>;
    /// Buttons: the handler hears the user's click on any button carrying this button's Tag (the
    /// empty Tag is shared like any other), with the clicked button and the cancel-default flag. It
    /// hears them for as long as the subscription lives: the subscription holds what the listening
    /// needs, so nobody has to keep this control for it.
    [[nodiscard]] virtual Subscription onClick(ClickHandler handler) = 0;
};

class CommandBarControls {
public:
    virtual ~CommandBarControls() = default;
    virtual int Count() = 0;
    /// 1-based.
    virtual std::shared_ptr<CommandBarControl> Item(int index) = 0;
    /// A new control of a type, before the control at `before` (0: at the end). A temporary
    /// control is gone when the client next starts.
    virtual std::shared_ptr<CommandBarControl> Add(int type, int id, const std::string& parameter, int before,
                                                   bool temporary) = 0;
};

class CommandBar {
public:
    virtual ~CommandBar() = default;
    virtual std::string Name() = 0;
    virtual std::shared_ptr<CommandBarControls> Controls() = 0;
    /// The first control matching every given criterion (type 0, id 0 and an empty tag match
    /// any; visibleOnly skips hidden controls), looking into popups when recursive; nothing when none.
    virtual std::shared_ptr<CommandBarControl> FindControl(int type, int id, const std::string& tag, bool visibleOnly,
                                                           bool recursive) = 0;
    virtual int Position() = 0;
    virtual void setPosition(int value) = 0;
    virtual int Left() = 0;
    virtual void setLeft(int value) = 0;
    virtual int Top() = 0;
    virtual void setTop(int value) = 0;
    virtual int RowIndex() = 0;
    virtual void setRowIndex(int value) = 0;
    virtual bool Visible() = 0;
    virtual void setVisible(bool value) = 0;
    virtual void Delete() = 0;
};

/// The bars of one window (an explorer or an inspector).
class CommandBars {
public:
    virtual ~CommandBars() = default;
    virtual int Count() = 0;
    /// The bar of that name (any case); raises when there is none.
    virtual std::shared_ptr<CommandBar> Item(const std::string& name) = 0;
    /// A new bar; a temporary bar is gone when the client next starts. Raises when the name is taken.
    virtual std::shared_ptr<CommandBar> Add(const std::string& name, int position, bool menuBar, bool temporary) = 0;
};

}  // namespace tw::office
