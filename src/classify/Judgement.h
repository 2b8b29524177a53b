// What decided whether a message is spam, and the same told in plain words for the user.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "senders/Senders.h"

namespace tw::classify {

struct Judgement {
    enum class By {
        noSender,     ///< no sender address while exclusive mode is on
        lists,        ///< the sender lists, Contacts, the country rule or exclusive mode (see `lists`)
        mailingList,  ///< sent to one of the user's mailing-list addresses
        engineOff,    ///< the scoring engine is switched off
        score,        ///< the engine's score against the threshold
        failed,       ///< an error ended the decision; the message was kept
    };
    By by = By::failed;
    bool spam = false;
    std::string sender;              ///< lower case; empty when the message has none
    senders::SenderDecision lists;   ///< what the lists said, also when they left it to the score
    int32_t score = -1;
    double threshold = 0;
    std::string clues;               ///< the engine's clues, as TW_explainLastScore gives them
};

/// The decision and its reasons, one sentence a line: which list and entry decided, or the score,
/// the threshold and the strongest clues with what each means.
std::vector<std::string> judgementInWords(const Judgement& judgement);

/// What the sender lists decided, in one sentence; empty when they left the message to the score.
std::string senderDecisionInWords(const std::string& sender, const senders::SenderDecision& decision);

/// One clue line of the engine's explanation in plain words ("the word "viagra" in the subject:
/// in 97 spam and 1 legitimate message you trained"); empty for a line it cannot read.
std::string clueInWords(const std::string& clueLine);

}  // namespace tw::classify
