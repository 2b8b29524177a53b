// Scoring one message for the explain command and printing what decided it.
#include "host/ExplainCommand.h"

#include "addin/OrvennaOutAddIn.h"
#include "classify/AddinParts.h"
#include "classify/IncomingFilter.h"
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
    bool approved = false;
    if (senders.isBlocked(sender, classify::getDomain(sender), approved))
        return "The sender " + sender + " is blocked: the filter moves this message whatever its score.";
    if (senders.isRecipientToMe(recipients, true))
        return "The message came through one of your mailing lists: the filter keeps it whatever its score.";
    if (approved) return "The sender " + sender + " is approved: the filter keeps this message whatever its score.";
    return "";
}

}  // namespace

int runExplainCommand(HostSession& session, const MessageSelection& selection, std::ostream& out, std::ostream& err) {
    auto item = selectedItems(session.client(), selection).front();
    session.startAddin();
    auto* addin = session.addin();
    if (!addin || addin->getEnginePointer() == 0) {
        err << "tarnwick: the add-in or its scoring engine did not start; see the log in the profile\n";
        session.stopAddin();
        return 1;
    }
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

}  // namespace tw::host
