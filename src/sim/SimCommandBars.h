// The simulated client's command bars: bars, popups and buttons of one window, the client's
// shared-Tag click events, and the bars a profile keeps from one run to the next.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/CommandBars.h"

namespace tw::sim {

class SimCommandBarControls;
class SimCommandBars;

/// What all windows of one client share: the click event of each Tag and the clipboard picture.
class SimCommandBarHub {
public:
    using ClickEvent = Event<std::shared_ptr<office::CommandBarControl>, bool&>;
    /// The one click event of every button carrying this Tag, the empty one included.
    ClickEvent& clickFor(const std::string& tag);
    /// Buttons refuse a picture given directly, as a client may that cannot read it.
    bool refusePictures = false;

private:
    std::map<std::string, std::unique_ptr<ClickEvent>> byTag_;
};

class SimCommandBarControl : public office::CommandBarControl,
                             public std::enable_shared_from_this<SimCommandBarControl> {
public:
    SimCommandBarControl(SimCommandBarHub& hub, int type, int id, bool temporary, SimCommandBarControls* owner);

    int Type() override { return type_; }
    int Id() override { return id_; }
    std::string Caption() override { return caption_; }
    void setCaption(const std::string& value) override { caption_ = value; }
    std::string Tag() override { return tag_; }
    void setTag(const std::string& value) override { tag_ = value; }
    std::string TooltipText() override { return tooltip_; }
    void setTooltipText(const std::string& value) override { tooltip_ = value; }
    int Style() override;
    void setStyle(int value) override;
    bool BeginGroup() override { return beginGroup_; }
    void setBeginGroup(bool value) override { beginGroup_ = value; }
    bool Visible() override { return visible_; }
    void setVisible(bool value) override { visible_ = value; }
    int Index() override;
    void Delete() override;
    void setPicture(int resourceId) override;
    std::shared_ptr<office::CommandBarControls> Controls() override;
    Subscription onClick(ClickHandler handler) override;

    /// A user's click: raises the click event of this button's Tag.
    void click();
    bool temporary() const { return temporary_; }
    /// The pasted picture; 0 for none.
    int face() const { return face_; }
    void setFace(int face) { face_ = face; }
    std::shared_ptr<SimCommandBarControls> popupControls() const { return controls_; }
    void detachFromOwner() { owner_ = nullptr; }

private:
    SimCommandBarHub& hub_;
    int type_;
    int id_;
    bool temporary_;
    SimCommandBarControls* owner_;
    std::string caption_, tag_, tooltip_;
    int style_ = office::msoButtonAutomatic;
    bool beginGroup_ = false;
    bool visible_ = true;
    int face_ = 0;
    std::shared_ptr<SimCommandBarControls> controls_;
};

class SimCommandBarControls : public office::CommandBarControls {
public:
    explicit SimCommandBarControls(SimCommandBarHub& hub) : hub_(hub) {}
    ~SimCommandBarControls() override;
    int Count() override { return static_cast<int>(controls_.size()); }
    std::shared_ptr<office::CommandBarControl> Item(int index) override;
    std::shared_ptr<office::CommandBarControl> Add(int type, int id, const std::string& parameter, int before,
                                                   bool temporary) override;

    const std::vector<std::shared_ptr<SimCommandBarControl>>& all() const { return controls_; }
    /// The first control of that caption, looking into popups; nothing when none.
    std::shared_ptr<SimCommandBarControl> byCaption(const std::string& caption) const;
    std::shared_ptr<SimCommandBarControl> find(int type, int id, const std::string& tag, bool visibleOnly,
                                               bool recursive) const;
    int indexOf(const SimCommandBarControl& control) const;
    void remove(const SimCommandBarControl& control);

private:
    SimCommandBarHub& hub_;
    std::vector<std::shared_ptr<SimCommandBarControl>> controls_;
};

class SimCommandBar : public office::CommandBar {
public:
    SimCommandBar(SimCommandBarHub& hub, SimCommandBars* owner, std::string name, int position, bool menuBar,
                  bool temporary);

    std::string Name() override { return name_; }
    std::shared_ptr<office::CommandBarControls> Controls() override { return controls_; }
    std::shared_ptr<office::CommandBarControl> FindControl(int type, int id, const std::string& tag, bool visibleOnly,
                                                           bool recursive) override;
    int Position() override { return position_; }
    void setPosition(int value) override;
    int Left() override { return left_; }
    void setLeft(int value) override { left_ = value; }
    int Top() override { return top_; }
    void setTop(int value) override { top_ = value; }
    int RowIndex() override { return rowIndex_; }
    void setRowIndex(int value) override { rowIndex_ = value; }
    bool Visible() override { return visible_; }
    void setVisible(bool value) override { visible_ = value; }
    void Delete() override;

    std::shared_ptr<SimCommandBarControls> controls() const { return controls_; }
    bool temporary() const { return temporary_; }
    bool builtIn() const { return builtIn_; }
    void setBuiltIn(bool builtIn) { builtIn_ = builtIn; }
    bool menuBar() const { return menuBar_; }
    void detachFromOwner() { owner_ = nullptr; }

private:
    SimCommandBarHub& hub_;
    SimCommandBars* owner_;
    std::string name_;
    int position_;
    bool menuBar_;
    bool temporary_;
    bool builtIn_ = false;
    int left_ = 0, top_ = 0, rowIndex_ = 0;
    bool visible_ = true;
    std::shared_ptr<SimCommandBarControls> controls_;
};

/// The bars of one window. A new window starts with the client's own bars ("Menu Bar" with its
/// "&Help" menu, "Standard") and the bars the profile kept.
class SimCommandBars : public office::CommandBars {
public:
    explicit SimCommandBars(SimCommandBarHub& hub) : hub_(hub) {}
    ~SimCommandBars() override;
    int Count() override { return static_cast<int>(bars_.size()); }
    std::shared_ptr<office::CommandBar> Item(const std::string& name) override;
    std::shared_ptr<office::CommandBar> Add(const std::string& name, int position, bool menuBar,
                                            bool temporary) override;

    /// The bar of that name, or nothing.
    std::shared_ptr<SimCommandBar> bar(const std::string& name) const;
    void remove(const SimCommandBar& bar);
    /// The client's own bars of a fresh window.
    void addBuiltInBars();
    /// The bars as text: all of them (a new window copies the active one's), or only what a
    /// profile keeps: the bars made non-temporary, with their non-temporary controls.
    std::string save(bool keptOnly) const;
    /// Adds the bars of a text save wrote; a bar of a name present is skipped.
    void load(const std::string& text);

private:
    SimCommandBarHub& hub_;
    std::vector<std::shared_ptr<SimCommandBar>> bars_;
};

}  // namespace tw::sim
