// Message boxes answered from a script and forms whose modal shows run scripted handlers.
#include "sim/SimUserInterface.h"

#include "core/Error.h"

namespace tw::sim {

using platform::FormView;

namespace {

constexpr int kButtonsMask = 0xF;
constexpr int kDefaultButtonShift = 8;
constexpr int kMaxEventRounds = 1000;
constexpr long kUnspecifiedFailure = -2147467259;  // E_FAIL

int defaultAnswer(int style) {
    using namespace platform;
    static const std::vector<std::vector<int>> buttons = {
        {vbOK}, {vbOK, vbCancel}, {vbAbort, vbRetry, vbIgnore}, {vbYes, vbNo, vbCancel}, {vbYes, vbNo}, {vbRetry, vbCancel},
    };
    size_t set = static_cast<size_t>(style & kButtonsMask);
    if (set >= buttons.size()) return vbOK;
    size_t index = static_cast<size_t>((style >> kDefaultButtonShift) & 0x3);
    return index < buttons[set].size() ? buttons[set][index] : buttons[set][0];
}

}  // namespace

std::function<void(const std::string&)>& SimUserInterface::defaultUnansweredModal() {
    static std::function<void(const std::string&)> handler;
    return handler;
}

void SimUserInterface::setDefaultUnansweredModal(std::function<void(const std::string&)> handler) {
    defaultUnansweredModal() = std::move(handler);
}

void SimUserInterface::closeWhenShown(const std::string& formName) {
    onModal(formName, [this](FormView& form) { hideForm(form); });
}

void SimUserInterface::onModal(const std::string& formName, std::function<void(FormView&)> handler) {
    if (handler) modalScripts_[formName] = std::move(handler);
    else modalScripts_.erase(formName);
}

int SimUserInterface::MsgBox(const std::string& prompt, int style, const std::string& title) {
    if (whileBoxOpen) {
        auto hook = whileBoxOpen;  // a copy: the hook may replace itself
        hook(prompt);
    }
    int answer;
    if (!answers_.empty()) {
        answer = answers_.front();
        answers_.erase(answers_.begin());
    } else {
        answer = defaultAnswer(style);
    }
    boxes.push_back({prompt, style, title, answer});
    return answer;
}

void SimUserInterface::showForm(FormView& form, bool modal) {
    const std::string name = form.formName();
    if (faults_.trips("showForm", {name})) throw Error(kUnspecifiedFailure, "SimUserInterface", "Cannot show " + name);
    // No kinder than Windows: a form without controls has no window there, and waiting on it hangs.
    if (modal && form.controls() == nullptr) platform::refuseModalWithoutWindow(form, "SimUserInterface");
    visible_[&form] = name;
    formShows.push_back({name, modal, false});
    if (!modal) return;
    const size_t showIndex = formShows.size() - 1;

    auto script = modalScripts_.find(name);
    if (script != modalScripts_.end()) {
        auto handler = script->second;  // a copy, so the script may replace itself
        handler(form);
    }
    // Events queued before or by the script (a click, a typed text) get their turn while the form is open.
    for (int round = 0; round < kMaxEventRounds && isFormVisible(form) && loop_.pendingCount() > 0; ++round) loop_.runPending();
    if (isFormVisible(form)) {
        visible_.erase(&form);
        formShows[showIndex].closedBySim = true;
        if (onUnansweredModal) {
            auto report = onUnansweredModal;  // a copy: the handler may replace itself
            report(name);
        }
    }
}

void SimUserInterface::hideForm(FormView& form) {
    if (faults_.trips("hideForm", {form.formName()}))
        throw Error(kUnspecifiedFailure, "SimUserInterface", "Cannot hide " + form.formName());
    visible_.erase(&form);
}

bool SimUserInterface::isFormVisible(const FormView& form) const { return visible_.count(&form) != 0; }

bool SimUserInterface::isFormVisible(const std::string& formName) const {
    for (const auto& entry : visible_)
        if (entry.second == formName) return true;
    return false;
}

platform::FormView* SimUserInterface::visibleForm(const std::string& formName) const {
    for (const auto& entry : visible_)
        if (entry.second == formName) return const_cast<FormView*>(entry.first);
    return nullptr;
}

void SimUserInterface::doEvents() {
    if (onYield) {
        auto hook = onYield;  // a copy: the hook may replace itself
        hook();
    }
    loop_.doEvents();
}

}  // namespace tw::sim
