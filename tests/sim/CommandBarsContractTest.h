// The command-bar port's contract: bars and controls built, found and removed, and clicks shared by
// Tag across windows, the same through the simulated client and through the Windows adapter.
#pragma once

#include "OutlookContractTest.h"
#include "platform/CommandBars.h"

namespace tw::contract {

using office::msoBarTop;
using office::msoControlButton;
using office::msoControlPopup;

class CommandBarsContractTest : public OutlookContractTest {
protected:
    std::shared_ptr<office::CommandBar> newBar(int explorer, const std::string& name) {
        auto bar = app->Explorers()->Item(explorer)->CommandBars()->Add(name, msoBarTop, false, true);
        bar->setVisible(true);
        return bar;
    }
    static std::shared_ptr<office::CommandBarControl> button(office::CommandBarControls& controls, const std::string& tag,
                                                             int before = 0) {
        auto b = controls.Add(msoControlButton, 0, "", before, true);
        b->setTag(tag);
        b->setCaption(tag);
        b->setVisible(true);
        return b;
    }
};

TEST_P(CommandBarsContractTest, BarsAndControlsAreBuiltFoundInOrderAndDeleted) {
    world->openExplorer();
    auto bar = newBar(1, "Contract Bar");
    EXPECT_EQ(app->Explorers()->Item(1)->CommandBars()->Item("contract bar")->Name(), "Contract Bar");
    EXPECT_NE(errorOf([&] { app->Explorers()->Item(1)->CommandBars()->Item("No Such Bar"); }), 0);

    auto controls = bar->Controls();
    button(*controls, "second");
    button(*controls, "first", 1);
    ASSERT_EQ(controls->Count(), 2);
    EXPECT_EQ(controls->Item(1)->Tag(), "first");
    EXPECT_EQ(controls->Item(2)->Index(), 2);

    auto hidden = button(*controls, "hidden");
    hidden->setVisible(false);
    EXPECT_TRUE(bar->FindControl(msoControlButton, 0, "hidden", false, false));
    EXPECT_FALSE(bar->FindControl(msoControlButton, 0, "hidden", true, false)) << "a hidden control was found";

    auto popup = controls->Add(msoControlPopup, 0, "", 0, true);
    popup->setCaption("&Menu");
    popup->setTag("menu");
    button(*popup->Controls(), "inside");
    EXPECT_FALSE(bar->FindControl(0, 0, "inside", false, false)) << "a shallow search looked into a popup";
    ASSERT_TRUE(bar->FindControl(0, 0, "inside", false, true));
    EXPECT_EQ(bar->FindControl(msoControlPopup, 0, "", false, false)->Tag(), "menu");
    EXPECT_NE(errorOf([&] { popup->setPicture(101); }), 0) << "a popup took a face";

    controls->Item(1)->Delete();
    EXPECT_EQ(controls->Count(), 3);
    EXPECT_FALSE(bar->FindControl(0, 0, "first", false, true));
}

TEST_P(CommandBarsContractTest, AClickIsHeardByEveryButtonWithItsTagInAnyWindowAndNoOther) {
    world->openExplorer();
    world->openExplorer();
    auto one = newBar(1, "Bar One");
    auto two = newBar(2, "Bar Two");
    auto listening = button(*one->Controls(), "SharedTag");
    button(*two->Controls(), "SharedTag");
    button(*two->Controls(), "OtherTag");

    int heard = 0;
    std::string clickedTag;
    Subscription subscription = listening->onClick([&](std::shared_ptr<office::CommandBarControl> control, bool&) {
        ++heard;
        clickedTag = control->Tag();
    });
    // The add-in keeps the subscription, not the button it came from.
    listening.reset();
    world->click(2, "Bar Two", "SharedTag");
    EXPECT_EQ(heard, 1) << "a click on a button with the same Tag in another window was not heard";
    EXPECT_EQ(clickedTag, "SharedTag");
    world->click(2, "Bar Two", "OtherTag");
    EXPECT_EQ(heard, 1) << "a click on a button with another Tag was heard";

    subscription.reset();
    world->click(1, "Bar One", "SharedTag");
    EXPECT_EQ(heard, 1) << "a subscription let go still hears clicks";
}

TEST_P(CommandBarsContractTest, AMessageWindowShowsItsMessageWithBarsOfItsOwn) {
    world->openExplorer();
    const std::string id = world->deliver("ann@a.example", "In a window");
    std::shared_ptr<outlook::Inspector> opened;
    bool activatedAfterNew = false;
    Subscription onActivate;
    // The event lives as long as the collection it came from, as the add-in keeps it.
    auto inspectors = app->Inspectors();
    Subscription onNew = inspectors->NewInspector().connect([&](std::shared_ptr<outlook::Inspector> inspector) {
        opened = inspector;
        onActivate = inspector->Activate().connect([&] { activatedAfterNew = true; });
    });
    world->openInspector(id);
    ASSERT_TRUE(opened);
    EXPECT_TRUE(activatedAfterNew) << "the new window did not come up after NewInspector";
    EXPECT_EQ(app->Inspectors()->Count(), 1);
    EXPECT_EQ(opened->Caption(), "In a window");
    EXPECT_EQ(opened->EditorType(), outlook::olEditorText);
    auto message = opened->CurrentItem();
    EXPECT_EQ(message->Class(), outlook::olMail);
    EXPECT_EQ(message->EntryID(), id);
    EXPECT_EQ(message->Parent()->EntryID(), inbox->EntryID());

    auto bars = opened->CommandBars();
    EXPECT_TRUE(bars->Item("Menu Bar"));
    auto bar = bars->Add("Window Bar", msoBarTop, false, true);
    bar->setVisible(true);
    auto pressed = button(*bar->Controls(), "WindowTag");
    EXPECT_NE(errorOf([&] { app->Explorers()->Item(1)->CommandBars()->Item("Window Bar"); }), 0)
        << "a bar made in a message window showed up in the main window";
    int heard = 0;
    Subscription onClick = pressed->onClick([&](std::shared_ptr<office::CommandBarControl>, bool&) { ++heard; });
    pressed.reset();
    world->clickInInspector(1, "Window Bar", "WindowTag");
    EXPECT_EQ(heard, 1);

    int countDuringClose = -1;
    Subscription onClose = opened->Close().connect([&] { countDuringClose = app->Inspectors()->Count(); });
    world->closeLastInspector();
    EXPECT_EQ(countDuringClose, 1);
    EXPECT_EQ(app->Inspectors()->Count(), 0);
}

}  // namespace tw::contract
