// The scripted user interface: answered message boxes and modal forms driven by scripts or queued events.
#include <gtest/gtest.h>

#include "core/Error.h"
#include "sim/SimUserInterface.h"

namespace tw::sim {
namespace {

using namespace platform;

/// A form with a window: one OK button.
struct TestForm : FormView {
    explicit TestForm(std::string n) : name(std::move(n)), controls_(declaration()) {}
    static const FormDecl& declaration() {
        static const FormDecl decl{
            "frmTest", 0, 2400, 1200, {control(ControlKind::CommandButton, "cmdOK", 204, 600, 600, 1215, 375, 0, true, true)}};
        return decl;
    }
    std::string formName() const override { return name; }
    FormControls* controls() override { return &controls_; }
    std::string name;
    bool okClicked = false;

private:
    FormControls controls_;
};

/// A form that declares no controls: on Windows it has no window.
struct BareForm : FormView {
    std::string formName() const override { return "frmBare"; }
};

class SimUserInterfaceTest : public ::testing::Test {
protected:
    SimEventLoop loop{OleDate::fromCivil({2026, 12, 8, 9, 0, 0})};
    SimUserInterface ui{loop};
};

TEST_F(SimUserInterfaceTest, MessageBoxesTakeQueuedAnswersThenTheirDefaultButton) {
    ui.queueAnswer(vbNo);
    ui.queueAnswer(vbCancel);
    EXPECT_EQ(ui.MsgBox("Delete?", vbYesNo + vbQuestion, "Tarnwick"), vbNo);
    EXPECT_EQ(ui.MsgBox("Go on?", vbOKCancel, "Tarnwick"), vbCancel);
    EXPECT_EQ(ui.MsgBox("Done.", vbOKOnly + vbInformation, "Tarnwick"), vbOK);
    EXPECT_EQ(ui.MsgBox("Failed.", vbAbortRetryIgnore + vbCritical, "T"), vbAbort);
    EXPECT_EQ(ui.MsgBox("Really?", vbYesNo + 256, "T"), vbNo) << "the second button is the default";
    EXPECT_EQ(ui.MsgBox("Really?", vbYesNoCancel + 512, "T"), vbCancel) << "the third button is the default";

    ASSERT_EQ(ui.boxes.size(), 6u);
    EXPECT_EQ(ui.boxes[0].prompt, "Delete?");
    EXPECT_EQ(ui.boxes[0].style, vbYesNo + vbQuestion);
    EXPECT_EQ(ui.boxes[0].title, "Tarnwick");
    EXPECT_EQ(ui.boxes[0].answer, vbNo);
}

TEST_F(SimUserInterfaceTest, AModalShowRunsTheFormsScriptBeforeReturning) {
    TestForm dialog("frmSenderDialog");
    ui.onModal("frmSenderDialog", [&](FormView& form) {
        EXPECT_TRUE(ui.isFormVisible(form));
        dialog.okClicked = true;
        ui.hideForm(form);
    });
    ui.showForm(dialog, true);
    EXPECT_TRUE(dialog.okClicked);
    EXPECT_FALSE(ui.isFormVisible(dialog));
    ASSERT_EQ(ui.formShows.size(), 1u);
    EXPECT_TRUE(ui.formShows[0].modal);
    EXPECT_FALSE(ui.formShows[0].closedBySim);

    TestForm scanning("frmScanning");
    ui.showForm(scanning, false);
    EXPECT_TRUE(ui.isFormVisible("frmScanning"));
    EXPECT_FALSE(ui.isFormVisible("frmSenderDialog"));
}

TEST_F(SimUserInterfaceTest, QueuedEventsDriveAModalFormAndAnUndrivenOneIsReportedAndClosed) {
    std::vector<std::string> unanswered;
    ui.onUnansweredModal = [&](const std::string& name) { unanswered.push_back(name); };
    TestForm options("frmOrvennaOptions");
    loop.post([&] { options.okClicked = true; });
    loop.post([&] { ui.hideForm(options); });
    ui.showForm(options, true);
    EXPECT_TRUE(options.okClicked);
    EXPECT_FALSE(ui.formShows.back().closedBySim);

    TestForm about("frmAbout");
    ui.showForm(about, true);
    EXPECT_FALSE(ui.isFormVisible(about));
    EXPECT_TRUE(ui.formShows.back().closedBySim);
    EXPECT_EQ(unanswered, std::vector<std::string>{"frmAbout"});

    // Closing it is an answer a test may give.
    ui.closeWhenShown("frmAbout");
    ui.showForm(about, true);
    EXPECT_FALSE(ui.formShows.back().closedBySim);
    EXPECT_EQ(unanswered.size(), 1u);
}

TEST_F(SimUserInterfaceTest, AModalShowOfAFormWithoutControlsIsRefusedAtOnceAsOnWindows) {
    BareForm bare;
    bool scriptRan = false;
    ui.onModal("frmBare", [&](FormView& form) {
        scriptRan = true;
        ui.hideForm(form);
    });
    try {
        ui.showForm(bare, true);
        ADD_FAILURE() << "a form nobody could see was shown modally";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), kNoWindowToWaitOn);
        EXPECT_NE(error.description().find("frmBare"), std::string::npos) << error.description();
    }
    EXPECT_FALSE(scriptRan) << "no script may answer a form that cannot appear";
    EXPECT_FALSE(ui.isFormVisible(bare));

    ui.showForm(bare, false);  // a window-less form that does not block (a timer's) is only tracked
    EXPECT_TRUE(ui.isFormVisible(bare));
}

}  // namespace
}  // namespace tw::sim
