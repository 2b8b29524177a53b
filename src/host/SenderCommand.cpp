// Runs approve and block over messages chosen by number, the way a user does it from the toolbar.
#include "host/SenderCommand.h"

#include <algorithm>
#include <iomanip>
#include <sstream>

#include "addin/FolderPaths.h"
#include "addin/OrvennaOutAddIn.h"
#include "commandbars/ExplorerBars.h"
#include "core/Error.h"
#include "core/StringTable.h"
#include "core/Text.h"
#include "host/TrainCommand.h"
#include "senders/Senders.h"

namespace tw::host {

namespace {

/// What the command may change, taken before and after it.
struct Snapshot {
    KeyedSet approved, blocked;
    double threshold = 0;
    int spamTrained = 0, hamTrained = 0;
    std::string blockedCountries;
    int showsenderdialog = 0;
};

Snapshot snapshot(addin::OrvennaOutAddIn& addin) {
    Snapshot s;
    if (auto* lists = addin.senders()) {
        s.approved = lists->approvedSenders().entries;
        s.blocked = lists->blockedSenders().entries;
    }
    const auto& settings = addin.library().settings;
    s.threshold = settings.threshold;
    s.blockedCountries = text::join(settings.blockedCountries.Keys(), ",");
    s.showsenderdialog = settings.showsenderdialog;
    s.spamTrained = engineStoreTotal(addin, "wordtraining_totalspam");
    s.hamTrained = engineStoreTotal(addin, "wordtraining_totalham");
    return s;
}

std::string number(double value) {
    std::ostringstream out;
    out << std::setprecision(6) << value;
    return out.str();
}

void listChange(std::ostream& out, const char* name, const KeyedSet& before, const KeyedSet& after) {
    std::vector<std::string> added, removed;
    for (const auto& key : after)
        if (!before.Exists(key)) added.push_back(key);
    for (const auto& key : before)
        if (!after.Exists(key)) removed.push_back(key);
    out << "  " << name << ": " << after.Count() << (after.Count() == 1 ? " entry" : " entries");
    if (!added.empty()) out << ", added " << text::join(added, ", ");
    if (!removed.empty()) out << ", removed " << text::join(removed, ", ");
    if (added.empty() && removed.empty()) out << ", unchanged";
    out << "\n";
}

/// A control's caption as the user reads it, without the accelerator's "&".
std::string shownCaption(std::string caption) {
    caption.erase(std::remove(caption.begin(), caption.end(), '&'), caption.end());
    return caption;
}

std::string folderOf(sim::SimItem& item) {
    auto folder = item.parentFolder();
    return folder ? addin::getFolderPath(*folder) : std::string("(no folder)");
}

/// Prints the sender dialog as it stands, then answers it; false when no answer could be had.
bool answerDialog(platform::FormView& form, const SenderRequest& request, const AskUser& ask, std::ostream& out,
                  sim::SimUserInterface& ui) {
    auto& c = *form.controls();
    out << "The sender dialog \"" << c.caption << "\" asks:\n";
    for (const auto& line : text::split(c["lblDescription"].caption, "\r\n")) out << "  " << line << "\n";
    out << "  Senders:";
    if (c["lstSenders"].items.empty()) out << " (none listed)";
    out << "\n";
    for (const auto& entry : c["lstSenders"].items) out << "    " << entry << "\n";
    const auto& countries = c["ListCountries"];
    if (!countries.items.empty()) {
        out << "  " << c["lblCountries"].caption << "\n";
        for (size_t i = 0; i < countries.items.size(); ++i)
            out << "    [" << (i < countries.checked.size() && countries.checked[i] ? "x" : " ") << "] "
                << countries.items[i] << "\n";
    }
    std::optional<bool> answer = request.answer;
    if (!answer && ask) answer = ask();
    if (!answer) {
        ui.hideForm(form);
        return false;
    }
    if (request.dontAskAgain) c["chkDontShow"].value = true;
    out << "Answered " << (*answer ? "OK" : "Cancel") << (request.dontAskAgain ? ", not to be asked again" : "")
        << "\n";
    c.click(*answer ? "cmdYes" : "cmdNo");
    return true;
}

}  // namespace

std::string windowCaptionFor(const SenderRequest& request) {
    controlWordFor(request);
    if (request.domain) return loadString(request.block ? 965 : 964);
    if (request.report) return loadString(request.block ? 967 : 966);
    return loadString(request.block ? 902 : 900);
}

int runSenderCommand(HostSession& session, const SenderRequest& request, const AskUser& ask, std::ostream& out,
                     std::ostream& err) {
    const std::string word = controlWordFor(request);
    auto items = selectedItems(session.client(), request.selection);
    auto folder = findFolder(session.client(), request.selection.folder);

    if (request.inWindow && items.size() != 1)
        throw Error(5, "tarnwick", "--in-window opens one message: give one message number");
    session.startAddin();
    auto* addin = session.addin();
    auto explorer = session.client().activeExplorer();
    std::vector<std::string> from;
    for (const auto& item : items) from.push_back(folderOf(*item));
    std::shared_ptr<sim::SimInspector> window;
    std::shared_ptr<sim::SimCommandBarControl> control;
    if (addin && request.inWindow) {
        window = session.client().openInspector(items.front());
        auto bar = window->bars()->bar(commandbars::toolbarName());
        control = bar ? bar->controls()->byCaption(windowCaptionFor(request)) : nullptr;
    } else if (addin && explorer) {
        auto bar = explorer->bars()->bar(commandbars::toolbarName());
        control = bar ? bar->controls()->find(0, 0, commandbars::controlTag(word), false, true) : nullptr;
    }
    if (!addin || !control) {
        if (window) session.client().closeInspector(window);
        session.stopAddin();
        throw Error(91, "tarnwick",
                    request.inWindow ? "The add-in gave the message's window no toolbar (a sent message or a draft "
                                       "gets none); see the log in the profile."
                                     : "The add-in did not start or has no toolbar; see the log in the profile.");
    }

    Snapshot before = snapshot(*addin);
    if (!window) {
        explorer->switchTo(folder);
        explorer->select({items.begin(), items.end()});
    }

    auto& ui = session.ui();
    const size_t boxesBefore = ui.boxes.size();
    bool unanswered = false;
    ui.onModal("frmSenderDialog", [&](platform::FormView& form) {
        if (!answerDialog(form, request, ask, out, ui)) unanswered = true;
    });
    if (window)
        out << "Pressed \"" << shownCaption(control->Caption()) << "\" in the window of message "
            << request.selection.numbers.front() << " of " << addin::getFolderPath(*folder) << "\n";
    else
        out << "Pressed \"" << shownCaption(control->Caption()) << "\" with " << items.size()
            << (items.size() == 1 ? " message" : " messages") << " selected in " << addin::getFolderPath(*folder)
            << "\n";
    control->click();
    ui.onModal("frmSenderDialog", nullptr);
    if (window) session.client().closeInspector(window);
    for (size_t i = boxesBefore; i < ui.boxes.size(); ++i)
        out << "Message box \"" << ui.boxes[i].title << "\": " << ui.boxes[i].prompt << "\n";

    if (unanswered) {
        session.stopAddin();
        err << "tarnwick: the sender dialog needs an answer and there is no terminal to ask on: give --yes (OK) or "
               "--no (Cancel). Nothing was done.\n";
        return 1;
    }

    Snapshot after = snapshot(*addin);
    out << "Messages:\n";
    for (size_t i = 0; i < items.size(); ++i) {
        std::string to = folderOf(*items[i]);
        out << "  " << request.selection.numbers[i] << ". " << senderOf(*items[i]) << "  " << items[i]->Subject()
            << ": " << (to == from[i] ? "stays in " + to : "moved from " + from[i] + " to " + to)
            << (items[i]->UnRead() ? "" : ", read") << "\n";
    }
    out << "Lists:\n";
    listChange(out, "approved senders", before.approved, after.approved);
    listChange(out, "blocked senders", before.blocked, after.blocked);
    if (after.blockedCountries != before.blockedCountries)
        out << "  blocked countries: " << (after.blockedCountries.empty() ? "none" : after.blockedCountries) << "\n";
    out << "Threshold: "
        << (after.threshold == before.threshold ? number(after.threshold) + ", unchanged"
                                                : number(before.threshold) + " -> " + number(after.threshold))
        << "\n";
    out << "Training store: " << after.spamTrained << " spam (" << std::showpos << after.spamTrained - before.spamTrained
        << std::noshowpos << "), " << after.hamTrained << " legitimate (" << std::showpos
        << after.hamTrained - before.hamTrained << std::noshowpos << ")\n";
    if (after.showsenderdialog != before.showsenderdialog && after.showsenderdialog != 0)
        out << "The sender dialog will not be shown again (set showsenderdialog=0 to bring it back).\n";
    session.stopAddin();
    return 0;
}

}  // namespace tw::host
