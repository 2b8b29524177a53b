// Command-bar port over the client's CommandBars objects, late-bound, with a button's click through
// its event interface (the client raises it for every button that shares the clicked one's Tag).
#pragma once

#include "platform/CommandBars.h"
#include "win32/com/EventConnection.h"
#include "win32/outlook/ComObject.h"

namespace tw::win32::office {

namespace mso = tw::office;
using outlook::ComObject;

/// {000C0351-0000-0000-C000-000000000046}: _CommandBarButtonEvents, whose Click has dispatch id 1.
inline constexpr IID DIID_CommandBarButtonEvents = {0x000C0351, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr DISPID DISPID_Click = 1;

class ComCommandBarControl final : public mso::CommandBarControl, public ComObject {
public:
    using ComObject::ComObject;
    int Type() override { return d_.get("Type").toInt(); }
    int Id() override { return d_.get("Id").toInt(); }
    std::string Caption() override { return d_.get("Caption").toString(); }
    void setCaption(const std::string& value) override { d_.put("Caption", value); }
    std::string Tag() override { return d_.get("Tag").toString(); }
    void setTag(const std::string& value) override { d_.put("Tag", value); }
    std::string TooltipText() override { return d_.get("TooltipText").toString(); }
    void setTooltipText(const std::string& value) override { d_.put("TooltipText", value); }
    int Style() override { return d_.get("Style").toInt(); }
    void setStyle(int value) override { d_.put("Style", static_cast<int32_t>(value)); }
    bool BeginGroup() override { return d_.get("BeginGroup").toBool(); }
    void setBeginGroup(bool value) override { d_.put("BeginGroup", value); }
    bool Visible() override { return d_.get("Visible").toBool(); }
    void setVisible(bool value) override { d_.put("Visible", value); }
    int Index() override { return d_.get("Index").toInt(); }
    void Delete() override { d_.call("Delete"); }
    /// Sets the Picture where the client has it, else pastes through the clipboard and restores it.
    void setPicture(int resourceId) override;
    std::shared_ptr<mso::CommandBarControls> Controls() override;
    /// The button's event connection is shared by this adapter and every subscription made through
    /// it, and ends with the last of them.
    Subscription onClick(ClickHandler handler) override;

private:
    struct ClickSource;
    std::shared_ptr<ClickSource> clickSource();
    std::shared_ptr<ClickSource> click_;
};

class ComCommandBarControls final : public mso::CommandBarControls, public ComObject {
public:
    using ComObject::ComObject;
    int Count() override { return d_.get("Count").toInt(); }
    std::shared_ptr<mso::CommandBarControl> Item(int index) override {
        return outlook::wrapped<ComCommandBarControl>(d_.get("Item", static_cast<int32_t>(index)));
    }
    std::shared_ptr<mso::CommandBarControl> Add(int type, int id, const std::string& parameter, int before,
                                                bool temporary) override;
};

class ComCommandBar final : public mso::CommandBar, public ComObject {
public:
    using ComObject::ComObject;
    std::string Name() override { return d_.get("Name").toString(); }
    std::shared_ptr<mso::CommandBarControls> Controls() override {
        return outlook::wrapped<ComCommandBarControls>(d_.get("Controls"));
    }
    std::shared_ptr<mso::CommandBarControl> FindControl(int type, int id, const std::string& tag, bool visibleOnly,
                                                        bool recursive) override;
    int Position() override { return d_.get("Position").toInt(); }
    void setPosition(int value) override { d_.put("Position", static_cast<int32_t>(value)); }
    int Left() override { return d_.get("Left").toInt(); }
    void setLeft(int value) override { d_.put("Left", static_cast<int32_t>(value)); }
    int Top() override { return d_.get("Top").toInt(); }
    void setTop(int value) override { d_.put("Top", static_cast<int32_t>(value)); }
    int RowIndex() override { return d_.get("RowIndex").toInt(); }
    void setRowIndex(int value) override { d_.put("RowIndex", static_cast<int32_t>(value)); }
    bool Visible() override { return d_.get("Visible").toBool(); }
    void setVisible(bool value) override { d_.put("Visible", value); }
    void Delete() override { d_.call("Delete"); }
};

class ComCommandBars final : public mso::CommandBars, public ComObject {
public:
    using ComObject::ComObject;
    int Count() override { return d_.get("Count").toInt(); }
    std::shared_ptr<mso::CommandBar> Item(const std::string& name) override {
        return outlook::wrapped<ComCommandBar>(d_.get("Item", name));
    }
    std::shared_ptr<mso::CommandBar> Add(const std::string& name, int position, bool menuBar, bool temporary) override {
        return outlook::wrapped<ComCommandBar>(d_.call("Add", name, static_cast<int32_t>(position), menuBar, temporary));
    }
};

}  // namespace tw::win32::office
