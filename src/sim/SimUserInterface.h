// The scripted user interface: message boxes answered from a queue, forms tracked and driven by scripts.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/UserInterface.h"
#include "sim/FaultInjector.h"
#include "sim/SimEventLoop.h"

namespace tw::sim {

class SimUserInterface : public platform::UserInterface {
public:
    explicit SimUserInterface(SimEventLoop& loop) : loop_(loop) {}

    struct ShownBox {
        std::string prompt;
        int style = 0;
        std::string title;
        int answer = 0;
    };
    struct FormShow {
        std::string formName;
        bool modal = false;
        /// A modal show that nothing answered: no script hid the form, so the sim closed it and
        /// reported it through onUnansweredModal.
        bool closedBySim = false;
    };

    /// Every message box shown, in order, with the answer it got.
    std::vector<ShownBox> boxes;
    /// Every form shown, in order.
    std::vector<FormShow> formShows;

    /// The answer for the next message box. With none queued a box gets its default button:
    /// the first one, or the second or third when the style asks for it (vbDefaultButton2/3).
    void queueAnswer(int answer) { answers_.push_back(answer); }
    /// Runs while each message box is open, before it is answered, with its prompt: what the
    /// user or the client does meanwhile (the client may close its main window around a box).
    std::function<void(const std::string&)> whileBoxOpen;
    size_t queuedAnswers() const { return answers_.size(); }

    /// Runs each time the named form is shown modal, while it is "open"; it drives the form the
    /// way a user would and usually ends by hiding it. Pass an empty function to remove it.
    void onModal(const std::string& formName, std::function<void(platform::FormView&)> handler);

    /// The user closes the named form with its close box each time it is shown modal: the
    /// explicit answer for a test that only needs the form gone.
    void closeWhenShown(const std::string& formName);

    /// Told the name of a modal form still open after its script and the queued events. On Windows
    /// such a form waits for ever, so a test run installs a handler that fails the test
    /// (setDefaultUnansweredModal); a test that means to leave one unanswered replaces it.
    std::function<void(const std::string&)> onUnansweredModal = defaultUnansweredModal();
    static void setDefaultUnansweredModal(std::function<void(const std::string&)> handler);

    bool isFormVisible(const std::string& formName) const;
    /// A shown form by name, for a test or the host to act on a window that does not block; null
    /// when none of that name is visible.
    platform::FormView* visibleForm(const std::string& formName) const;
    /// Runs at each yield before the pending events, as a window repaints while the add-in lets
    /// messages run: the host draws its windows there, and a test may act during a long pass.
    std::function<void()> onYield;

    int MsgBox(const std::string& prompt, int style, const std::string& title) override;
    /// A modal show runs the form's script, then the events queued for the loop while the form
    /// stays visible; a form still visible after that is reported to onUnansweredModal and closed,
    /// so the code under test goes on. A modal show of a form that declares no controls raises
    /// Error, as on Windows.
    void showForm(platform::FormView& form, bool modal) override;
    void hideForm(platform::FormView& form) override;
    bool isFormVisible(const platform::FormView& form) const override;
    platform::TimerId setTimer(int intervalMs, std::function<void()> onTick) override { return loop_.setTimer(intervalMs, std::move(onTick)); }
    void killTimer(platform::TimerId id) override { loop_.killTimer(id); }
    void doEvents() override;
    int screenWidth() const override { return screenWidthTwips; }
    int screenHeight() const override { return screenHeightTwips; }

    /// The simulated screen, in twips (1024 by 768 pixels at 96 dots per inch unless a test changes it).
    int screenWidthTwips = 15360;
    int screenHeightTwips = 11520;

    /// Failures armed by name: "showForm" and "hideForm", the target being the form's name.
    FaultInjector& faults() { return faults_; }

    SimEventLoop& loop() { return loop_; }

private:
    static std::function<void(const std::string&)>& defaultUnansweredModal();

    SimEventLoop& loop_;
    FaultInjector faults_;
    std::vector<int> answers_;
    std::map<std::string, std::function<void(platform::FormView&)>> modalScripts_;
    /// Visible forms by identity, with the name each had when shown.
    std::map<const platform::FormView*, std::string> visible_;
};

}  // namespace tw::sim
