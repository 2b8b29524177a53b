// isJunkMail, the junk folder and the new-item handlers of the Inbox and Sent Items.
#include "classify/IncomingFilter.h"

#include "classify/AddinParts.h"
#include "classify/ClassifyHost.h"
#include "classify/MessageContent.h"
#include "classify/Training.h"
#include "core/Error.h"
#include "core/StringTable.h"
#include "core/Text.h"
#include "senders/Senders.h"
#include "settings/ServiceAddresses.h"
#include "settings/SettingsWriters.h"

namespace tw::classify {

namespace {
constexpr int kProductTitleId = 134;
constexpr int kChooseJunkFolderId = 136;
}  // namespace

int32_t scoreFlags(int32_t myAddressCount, bool toOneOfMine, const KeyedSet& recipients, const std::string& sender) {
    if (myAddressCount <= 0) return 0;
    int32_t flags = toOneOfMine ? toOneOfMyAddresses : toNoneOfMyAddresses;
    if (recipients.Count() == 1 && *recipients.begin() == sender) flags |= onlyToItsSender;
    return flags;
}

double junkThreshold(const settings::Settings& settings) {
    return settings.EnableSpamFilterStrength ? settings.threshold2 : settings.threshold;
}

std::vector<std::string> describeClues(const std::string& explanation, size_t count) {
    std::vector<std::string> described;
    for (const auto& line : text::split(explanation, "\n")) {
        if (described.size() == count) break;
        const auto fields = text::split(line, "\t");
        if (fields.size() < 3) continue;
        std::string clue = fields[1] + " " + fields[2];
        if (fields[0] == "token" && fields.size() >= 6)
            clue += " (" + fields[3] + ": " + fields[4] + " spam, " + fields[5] + " legitimate)";
        else if (fields.size() >= 4)
            clue = fields[0] + " " + clue + " (" + fields[3] + ")";
        described.push_back(clue);
    }
    return described;
}

bool filteringEnabled(const settings::Settings& s) {
    return s.filteringState == settings::filteringEnabled;
}

int32_t IncomingFilter::engineScore(const std::shared_ptr<outlook::Item>& item, const std::string& sender,
                                    const std::string& senderName, const KeyedSet& recipients) {
    auto& log = host_.log();
    MessageContent& content = messageContentOf(host_);
    senders::Senders& senders = sendersOf(host_);
    log.LogErrorMessage("isJunkMail about to reset batch");
    log.LogErrorMessage("isJunkMail about to get message headers");
    std::string headers = content.getMessageHeaders(*item);
    log.LogErrorMessage("isJunkMail about to get message body");
    std::string body = content.getMessageBody(item, getMultiPartBoundary(headers));
    log.LogErrorMessage("about to add message to spamengine with sender " + senderName);

    int32_t myCount = senders.getToMeCount();
    bool toMine = myCount > 0 && senders.isRecipientToMe(recipients, false);
    if (myCount > 0 && !toMine) log.LogErrorMessage("message not to me");
    int32_t flags = scoreFlags(myCount, toMine, recipients, sender);

    log.LogErrorMessage("about to get score");
    int32_t engine = engineHandleOf(host_);
    int32_t score = 0;
    int32_t status = host_.engine().TW_score(engine, headers, body, sender, flags, senderName, score);
    // A score the engine could not compute must not pass for a real one.
    if (status != 0) throw Error(status, "tarnengine", "The engine could not score the message.");
    // Asking for the clues costs the engine a second reading of the message: only when every line is logged.
    if (log.Enabled() == diag::oAll)
        for (const auto& clue : describeClues(host_.engine().TW_explainLastScore(engine), 3))
            log.LogErrorMessage("score clue: " + clue);
    return score;
}

bool IncomingFilter::isJunkMail(const std::shared_ptr<outlook::Item>& item) { return judge(item, false).spam; }

Judgement IncomingFilter::judge(const std::shared_ptr<outlook::Item>& item, bool withClues) {
    auto& log = host_.log();
    Judgement judgement;
    auto decided = [&](Judgement::By by, bool spam) {
        judgement.by = by;
        judgement.spam = spam;
        return judgement;
    };
    try {
        MessageContent& content = messageContentOf(host_);
        senders::Senders& senders = sendersOf(host_);
        const settings::Settings& s = host_.settings();

        std::string sender, senderName;
        content.senderaddress(item, sender, senderName);
        KeyedSet recipients;
        content.GetRecipientAddresses(item, recipients);

        if (sender.empty()) {
            if (senders.exclusive()) return decided(Judgement::By::noSender, true);
        } else {
            sender = text::lower(sender);
            judgement.sender = sender;
            log.LogErrorMessage("checking email from " + sender);
            try {
                judgement.lists = senders.decide(sender, getDomain(sender));
            } catch (...) {
                // Lists that cannot be read decide nothing: the message is scored.
                log.logError("isBlocked");
            }
            if (judgement.lists.blocks()) {
                log.LogErrorMessage("message from blocked sender");
                return decided(Judgement::By::lists, true);
            }
            if (senders.isRecipientToMe(recipients, true)) {
                log.LogErrorMessage("message to mailing list addr.");
                return decided(Judgement::By::mailingList, false);
            }
            if (judgement.lists.approves()) {
                log.LogErrorMessage("message from approved sender.");
                content.GetRecipientAddresses(item, recipients);
                senders.AddPreviousFrom(recipients);
                return decided(Judgement::By::lists, false);
            }
        }

        log.LogErrorMessage("not approved, do spam scoring");
        if (s.nospamengine == 1) {
            log.LogErrorMessage("spam engine is disabled. Assume message is OK");
            return decided(Judgement::By::engineOff, false);
        }
        judgement.score = engineScore(item, sender, senderName, recipients);
        judgement.threshold = junkThreshold(s);
        log.LogErrorMessage("comparing junk score " + std::to_string(judgement.score) + " to " +
                            text::formatDouble(judgement.threshold));
        if (withClues) judgement.clues = host_.engine().TW_explainLastScore(engineHandleOf(host_));
        return decided(Judgement::By::score, judgement.score >= judgement.threshold);
    } catch (...) {
        log.logError("isJunkMail");
        return decided(Judgement::By::failed, false);
    }
}

std::shared_ptr<outlook::Folder> IncomingFilter::getJunkFolder() {
    auto& log = host_.log();
    try {
        auto& s = host_.settings();
        auto application = host_.application();
        if (!application) return nullptr;
        if (auto folder = host_.folderAtPath(s.junkfolder, true)) return folder;

        log.LogErrorMessage("Unable to create folder for caught spam: " + s.junkfolder);
        // The client may close around the box and the folder picker; nothing is stored after that.
        const ConnectionToken connection = host_.connection();
        host_.platform().ui.MsgBox(loadString(kChooseJunkFolderId), platform::vbOKOnly,
                                              loadString(kProductTitleId));
        if (!connection.alive()) return nullptr;
        auto nameSpace = host_.nameSpace();
        auto picked = nameSpace ? nameSpace->PickFolder() : nullptr;
        if (!picked || !connection.alive()) return nullptr;
        settings::SettingsWriters(host_.settingsKey(), s).writeJunkFolder(host_.folderPath(*picked));
        return picked;
    } catch (...) {
        log.logError("getJunkFolder");
        return nullptr;
    }
}

void IncomingFilter::processJunkMail(const std::shared_ptr<outlook::Item>& item) {
    auto& log = host_.log();
    try {
        auto folder = getJunkFolder();
        if (!folder) {
            log.logError("processJunkMail unable to process junk message",
                         PendingError{76, "Tarnwick", "No folder for caught spam: " + host_.settings().junkfolder});
            return;
        }
        if (host_.settings().MarkSpamAsRead) item->setUnRead(false);
        item->Move(*folder);
    } catch (...) {
        log.logError("processJunkMail");
    }
}

// A report mail carries the reported messages and their headers: training on it as the user's own
// mail would teach the engine that spam is legitimate, and its mailbox is no correspondent.
bool IncomingFilter::isReportMail(const KeyedSet& recipients) {
    if (recipients.Count() == 0) return false;
    auto addresses = settings::serviceAddresses(host_.platform().registry);
    for (const std::string& address : recipients.Keys())
        if (!addresses.isReportAddress(address)) return false;
    return true;
}

void IncomingFilter::mSentItems_ItemAdd(const std::shared_ptr<outlook::Item>& item) {
    if (!filteringEnabled(host_.settings())) return;
    try {
        if (item->Class() != outlook::olMail) return;
        KeyedSet recipients;
        messageContentOf(host_).GetRecipientAddresses(item, recipients);
        if (isReportMail(recipients)) return;
        sendersOf(host_).AddPreviousTo(recipients);
        Training(host_).trainOnMessage(item, kSentMailWeight);
    } catch (...) {
        host_.log().logError("SentItemAdd");
    }
}

}  // namespace tw::classify
