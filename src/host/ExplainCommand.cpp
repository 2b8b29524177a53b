// Scoring one message for the explain command, judging it for the why command, and printing what decided it.
#include "host/ExplainCommand.h"

#include "addin/OrvennaOutAddIn.h"
#include "classify/AddinParts.h"
#include "classify/IncomingFilter.h"
#include "classify/Judgement.h"
#include "classify/MessageContent.h"
#include "core/Error.h"
#include "core/Text.h"
#include "host/FolderListing.h"
#include "senders/Senders.h"

namespace tw::host {

namespace {

/// What the sender lists make of the message before the engine is asked; empty when they leave it
/// to the score.
std::string listsVerdict(addin::OrvennaOutAddIn& addin, const std::string& sender, const KeyedSet& recipients) {
    if (sender.empty()) return "";
    auto& senders = classify::sendersOf(addin);
    const auto decision = senders.decide(sender, classify::getDomain(sender));
    if (decision.blocks()) return classify::senderDecisionInWords(sender, decision) + " The filter moves it whatever its score.";
    if (senders.isRecipientToMe(recipients, true))
        return "The message came through one of your mailing lists: the filter keeps it whatever its score.";
    if (decision.approves()) return classify::senderDecisionInWords(sender, decision) + " The filter keeps it whatever its score.";
    return "";
}

/// The one message a selection names, with the add-in started; null (after telling `err`) when the
/// add-in or its engine did not start.
std::shared_ptr<sim::SimItem> startWithMessage(HostSession& session, const MessageSelection& selection, std::ostream& err) {
    auto item = selectedItems(session.client(), selection).front();
    session.startAddin();
    auto* addin = session.addin();
    if (addin && addin->getEnginePointer() != 0) return item;
    err << "tarnwick: the add-in or its scoring engine did not start; see the log in the profile\n";
    session.stopAddin();
    return nullptr;
}

}  // namespace

int runExplainCommand(HostSession& session, const MessageSelection& selection, std::ostream& out, std::ostream& err) {
    auto item = startWithMessage(session, selection, err);
    if (!item) return 1;
    auto* addin = session.addin();
    int status = 0;
    try {
        std::string sender, senderName;
        KeyedSet recipients;
        classify::messageContentOf(*addin).senderaddress(item, sender, senderName);
        classify::messageContentOf(*addin).GetRecipientAddresses(item, recipients);
        sender = text::lower(sender);

        out << "Message " << selection.numbers.front() << " of " << selection.folder << ": \"" << item->Subject()
            << "\" from " << senderOf(*item) << "\n";
        if (const auto lists = listsVerdict(*addin, sender, recipients); !lists.empty()) out << lists << "\n";

        classify::IncomingFilter filter(*addin);
        const int32_t score = filter.engineScore(item, sender, senderName, recipients);
        const double threshold = classify::junkThreshold(addin->settings());
        out << "Score " << score << ", threshold " << text::formatDouble(threshold) << ": "
            << (score >= threshold ? "spam by its score" : "not spam by its score") << "\n";
        const auto clues = classify::describeClues(addin->engine().TW_explainLastScore(addin->getEnginePointer()), 10);
        if (clues.empty()) out << "No clue counted: the engine had too little to go on.\n";
        else out << "Strongest clues, strongest first:\n";
        for (const auto& clue : clues) out << "  " << clue << "\n";
    } catch (const Error& e) {
        err << "tarnwick: " << e.description() << "\n";
        status = 1;
    }
    session.stopAddin();
    return status;
}

int runWhyCommand(HostSession& session, const MessageSelection& selection, std::ostream& out, std::ostream& err) {
    auto item = startWithMessage(session, selection, err);
    if (!item) return 1;
    out << "Message " << selection.numbers.front() << " of " << selection.folder << ": \"" << item->Subject()
        << "\" from " << senderOf(*item) << "\n";
    for (const auto& line : classify::judgementInWords(classify::IncomingFilter(*session.addin()).judge(item, true)))
        out << line << "\n";
    session.stopAddin();
    return 0;
}

}  // namespace tw::host
