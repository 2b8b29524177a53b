// Telling the user why the filter judged a message as it did.
#include "classify/Judgement.h"

#include <cstdlib>

#include "core/Text.h"

namespace tw::classify {

namespace {

/// Where a word was found, as the engine names the place ("subject", "body", "url-host").
std::string placeInWords(const std::string& place) {
    if (place == "body") return "in the text";
    if (place == "subject") return "in the subject";
    if (place == "url-host") return "in a link's host";
    if (place == "url-path" || place == "url-kind") return "in a link";
    if (place == "from" || place == "from-address" || place == "from-domain") return "in the sender";
    if (place == "tag") return "as an HTML tag";
    if (place == "media-type" || place == "charset" || place == "file-type" || place == "shape") return "in the message's form";
    return "in the header " + place;
}

}  // namespace

std::string senderDecisionInWords(const std::string& sender, const senders::SenderDecision& decision) {
    using Why = senders::SenderDecision::Why;
    const std::string& entry = decision.entry;
    switch (decision.why) {
        case Why::blockedAddress: return "The sender " + sender + " is on your blocked senders list.";
        case Why::blockedCountry: return "The sender's address ends in ." + entry + ", a country you block.";
        case Why::blockedDomain: return "The sender's domain matches \"" + entry + "\" on your blocked senders list.";
        case Why::exclusive: return "Exclusive mode is on, and " + sender + " is not an approved sender.";
        case Why::approvedAddress: return "The sender " + sender + " is on your approved senders list.";
        case Why::approvedDomain: return "The sender's domain matches \"" + entry + "\" on your approved senders list.";
        case Why::contact: return "The sender " + sender + " is one of your contacts.";
        case Why::none: break;
    }
    return "";
}

std::string clueInWords(const std::string& clueLine) {
    const auto f = text::split(clueLine, "\t");
    if (f.size() < 4) return "";
    const bool spammy = std::atof(f[2].c_str()) >= 0.5;
    if (f[0] == "relay")
        return "the sending server " + f[1] + " is on your " +
               (f[3] == "approved_ip_list" ? "approved" : "blocked") + " IP addresses list";
    if (f[0] == "rbl") return "the sending server " + f[1] + " is listed by the block list " + f[3];
    if (f[0] != "token" || f.size() < 6) return "";
    const size_t colon = f[1].find(':');
    std::string place = colon == std::string::npos ? "body" : f[1].substr(0, colon);
    const std::string word = colon == std::string::npos ? f[1] : f[1].substr(colon + 1);
    // A long word is kept as its first letter and a length band; an address field's parts by the field.
    const bool longWord = text::endsWith(place, "-long");
    for (const char* suffix : {"-long", "-address", "-domain"})
        if (text::endsWith(place, suffix) && place != "from-address" && place != "from-domain")
            place.resize(place.size() - std::string(suffix).size());
    std::string said = (longWord ? "a long word starting with \"" + word.substr(0, 1) + "\" "
                                 : "the word \"" + word + "\" ") + placeInWords(place) + ": ";
    if (f[3] == "shipped rules")
        return said + "typical of " + (spammy ? "spam" : "legitimate mail") + " in the rules Tarnwick ships";
    return said + "in " + f[4] + " spam and " + f[5] + (f[5] == "1" ? " legitimate message" : " legitimate messages") +
           " you trained";
}

std::vector<std::string> judgementInWords(const Judgement& j) {
    std::vector<std::string> lines;
    switch (j.by) {
        case Judgement::By::noSender:
            lines.push_back("The message has no sender address, and exclusive mode lets only approved senders through.");
            break;
        case Judgement::By::lists:
            lines.push_back(senderDecisionInWords(j.sender, j.lists));
            break;
        case Judgement::By::mailingList:
            lines.push_back("The message came through one of your mailing lists.");
            break;
        case Judgement::By::engineOff:
            lines.push_back("The scoring engine is switched off, so the message was kept.");
            break;
        case Judgement::By::failed:
            lines.push_back("The filter could not judge the message and kept it; the log says why.");
            break;
        case Judgement::By::score: {
            const std::string threshold = text::formatDouble(j.threshold);
            lines.push_back("No list decided, so the engine scored the message: " + std::to_string(j.score) +
                            (j.spam ? " reaches " : " is below ") + "the threshold of " + threshold + ".");
            std::vector<std::string> clues;
            for (const auto& line : text::split(j.clues, "\n"))
                if (auto words = clueInWords(line); !words.empty()) clues.push_back(words);
            if (clues.empty()) lines.push_back("No word weighed much either way.");
            else lines.push_back("What weighed most:");
            for (size_t i = 0; i < clues.size() && i < 5; ++i) lines.push_back("- " + clues[i]);
            break;
        }
    }
    lines.insert(lines.begin(), j.spam ? "Judged as spam." : "Judged as legitimate mail.");
    return lines;
}

}  // namespace tw::classify
