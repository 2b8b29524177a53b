// The approve and block commands: collecting the messages, the exclusions, the list updates,
// training, the threshold and the moves.
#include "senders/ApproveBlock.h"

#include <algorithm>

#include "core/Error.h"
#include "core/StringTable.h"
#include "core/Text.h"
#include "senders/Senders.h"
#include "senders/frmSenderDialog.h"
#include "settings/SettingsWriters.h"
#include "settings/WeeklyStats.h"

namespace tw::senders {

namespace {
constexpr int kMustSelectMailId = 133;
constexpr int kProductTitleId = 134;
constexpr int kApproveTitleId = 900;
constexpr int kBlockTitleId = 902;
constexpr int kSelectToApproveId = 915;
constexpr int kSelectToBlockId = 916;
constexpr int kPreferredRecipientId = 917;
constexpr int kInContactsId = 918;
constexpr int kInApprovedId = 919;
constexpr int kCommandFailedId = 920;
constexpr int kPartlyDoneId = 921;
constexpr int kNothingDoneId = 922;
constexpr int kListedOnlyId = 931;

bool isApprove(int32_t action) { return action == approveSender || action == approveDomain; }
bool isBlockDialog(int32_t dialogAction) { return dialogAction == dialogBlock || dialogAction == dialogBlockReport; }

std::string domainPart(const std::string& addressOrDomain) {
    auto at = addressOrDomain.find('@');
    return at == std::string::npos ? addressOrDomain : addressOrDomain.substr(at + 1);
}
}  // namespace

int32_t selectionActionFor(int32_t domainFlag, int32_t dialogAction, bool& report) {
    report = dialogAction == dialogApproveReport || dialogAction == dialogBlockReport;
    if (domainFlag != 0) return dialogAction == dialogApprove ? approveDomain : blockDomain;
    return isBlockDialog(dialogAction) ? blockSender : approveSender;
}

std::string senderKey(const std::string& address, bool domain) {
    std::string lower = text::lower(address);
    if (!domain) return lower;
    auto at = lower.find('@');
    return at == std::string::npos ? std::string() : lower.substr(at + 1);
}

double adaptedThreshold(double threshold, double treduce, bool approve) {
    double step = threshold * treduce / 100.0;
    // An approval makes the filter more lenient: it never lowers a threshold already above the cap.
    if (approve) return std::max(threshold, std::min(threshold + step, kApproveCap));
    double lowered = threshold - step;
    return lowered < kBlockFloor ? kBlockFloor : lowered;
}

void ApproveBlock::runCommand(const char* handler, const char* logLine, int32_t action, bool report,
                              int32_t domainFlag, int32_t dialogAction) {
    auto& ui = host_.platform().ui;
    try {
        if (!isMailItem()) {
            ui.MsgBox(loadString(kMustSelectMailId), platform::vbOKOnly, loadString(kProductTitleId));
            return;
        }
        if (host_.settings().showsenderdialog != 0) {
            Outcome outcome = processSelection(action, report, true);
            if (outcome.failed) reportFailure(outcome);
        } else {
            IterateSelection(domainFlag, dialogAction);
        }
    } catch (...) {
        host_.log().logError(handler);
        host_.log().LogSeriousErrorMessage(logLine);
        reportFailure(Outcome{true, false, 0});
    }
}

void ApproveBlock::reportFailure(const Outcome& outcome) {
    std::string howFar = outcome.done > 0 ? text::fillPlaceholder(loadString(kPartlyDoneId), std::to_string(outcome.done))
                         : outcome.listed ? loadString(kListedOnlyId)
                                          : loadString(kNothingDoneId);
    host_.platform().ui.MsgBox(text::fillPlaceholder(loadString(kCommandFailedId), howFar), platform::vbExclamation,
                               loadString(kProductTitleId));
}

void ApproveBlock::cmdApproveSender_Click() {
    runCommand("cmdApproveSender_Click", "cmdApproveSender_Click : User selected too many items", approveSender, false,
               0, dialogApprove);
}
void ApproveBlock::cmdBlockSender_Click() {
    runCommand("cmdBlockSender_Click", "cmdBlockSender_Click : User selected too many items.", blockSender, false, 0,
               dialogBlock);
}
void ApproveBlock::cmdApproveSenderMenuItem_Click() {
    runCommand("cmdApproveSenderMenuItem_Click", "cmdApproveSenderMenuItem_Click : User seleted too many items.",
               approveSender, false, 0, dialogApprove);
}
void ApproveBlock::cmdApproveSenderReportMenuItem_Click() {
    runCommand("cmdApproveSenderReportMenuItem_Click",
               "cmdApproveSenderReportMenuItem_Click : User seleted too many items.", approveSender, true, 0,
               dialogApproveReport);
}
void ApproveBlock::cmdBlockSenderMenuItem_Click() {
    runCommand("cmdBlockSenderMenuItem_Click", "cmdBlockSenderMenuItem_Click : User selected too many items.",
               blockSender, false, 0, dialogBlock);
}
void ApproveBlock::cmdBlockSenderReportMenuItem_Click() {
    runCommand("cmdBlockSenderReportMenuItem_Click",
               "cmdBlockSenderReportMenuItem_Click : User selected too many items.", blockSender, true, 0,
               dialogBlockReport);
}
void ApproveBlock::cmdApproveDomainMenuItem_Click() {
    runCommand("cmdApproveDomainMenuItem_Click", "cmdApproveDomainMenuItem_Click : User selected too many items",
               approveDomain, false, 1, dialogApprove);
}
void ApproveBlock::cmdBlockDomainMenuItem_Click() {
    runCommand("cmdBlockDomainMenuItem_Click", "cmdBlockDomainMenuItem_Click : User selected too many items",
               blockDomain, false, 1, dialogBlock);
}

bool ApproveBlock::isMailItem() {
    try {
        auto application = host_.application();
        auto explorer = application ? application->ActiveExplorer() : nullptr;
        if (!explorer) return false;
        auto selection = explorer->Selection();
        return selection->Count() > 0 && selection->Item(1)->Class() == outlook::olMail;
    } catch (...) {
        host_.log().logError("isMailItem()");
        return false;
    }
}

void ApproveBlock::IterateSelection(int32_t domainFlag, int32_t dialogAction) {
    auto& log = host_.log();
    auto selection = host_.application()->ActiveExplorer()->Selection();
    int count = selection->Count();
    log.LogErrorMessage("intTotalCount = " + std::to_string(count));
    KeyedSet senders, countries;
    try {
        for (int i = 1; i <= count; ++i) {
            auto item = selection->Item(i);
            if (item->Class() != outlook::olMail) throw Error(13, "Tarnwick", "Type mismatch: the item is not a message.");
            std::string key = senderKey(host_.senderAddressOf(item), domainFlag != 0);
            if (!senders.Exists(key)) senders.Add(key);
            host_.getMessageCountries(item, countries);
        }
    } catch (...) {
        log.logError("IterateSelection");
    }
    log.LogErrorMessage("Finished Iterating thru selection");
    if (senders.Count() == 0) {
        bool approve = dialogAction == dialogApprove || dialogAction == dialogApproveReport;
        host_.platform().ui.MsgBox(loadString(approve ? kSelectToApproveId : kSelectToBlockId), platform::vbOKOnly,
                                   loadString(approve ? kApproveTitleId : kBlockTitleId));
        return;
    }
    log.LogErrorMessage("About to load sender dialog");
    int32_t action = domainFlag != 0 ? (dialogAction != dialogApprove ? dialogBlock : dialogApprove) : dialogAction;
    showSenderDialog(domainFlag, action, senders, countries, nullptr);
}

void ApproveBlock::showSenderDialog(int32_t domainFlag, int32_t dialogAction, const KeyedSet& senders,
                                    const KeyedSet& countries, const std::shared_ptr<outlook::Item>& single) {
    auto dialog = std::make_shared<frmSenderDialog>(*this);
    if (single) dialog->setMessage(single);
    bool ok = false;
    dialog->senderloadparameters(domainFlag, dialogAction, senders, countries, ok);
    if (!ok) return;
    auto connection = host_.connection();
    host_.platform().ui.showForm(*dialog, true);
    if (connection.alive()) host_.log().LogErrorMessage("Finished loading sender dialog");
}

bool ApproveBlock::isJunkFolder(const std::shared_ptr<outlook::Folder>& folder) {
    const std::string& junk = host_.settings().junkfolder;
    return folder && !junk.empty() && text::lower(host_.folderPath(*folder)) == text::lower(junk);
}

void ApproveBlock::countMistakes(bool approve, bool fromJunkFolder, bool reportedLegitimate, int32_t count) {
    using settings::Mistake;
    try {
        auto& s = host_.settings();
        const auto key = host_.settingsKey();
        const OleDate now = host_.platform().clock.now();
        if (approve && fromJunkFolder) settings::recordMistakes(key, s, Mistake::falsePositive, count, now);
        if (!approve && !fromJunkFolder) settings::recordMistakes(key, s, Mistake::missedSpam, count, now);
        if (approve && reportedLegitimate) settings::recordMistakes(key, s, Mistake::legitimateReport, count, now);
    } catch (...) {
        host_.log().logError("countMistakes");
    }
}

Outcome ApproveBlock::processSelection(int32_t action, bool report, bool showMessages) {
    try {
        auto explorer = host_.application()->ActiveExplorer();
        auto selection = explorer->Selection();
        Items items;
        for (int i = 1; i <= selection->Count(); ++i) items.push_back(selection->Item(i));
        return processItems(items, explorer->CurrentFolder(), action, report, showMessages);
    } catch (...) {
        host_.log().logError("processSelection");
        return Outcome{true, 0};
    }
}

Outcome ApproveBlock::processItems(const Items& selected, const std::shared_ptr<outlook::Folder>& current,
                                   int32_t action, bool report, bool showMessages) {
    auto& s = host_.settings();
    auto& log = host_.log();
    Outcome outcome;
    bool trainingReached = false;
    // A report confirmation or a message box may be open while the client closes; after that
    // nothing of the add-in is touched, not even this object.
    const ConnectionToken connection = host_.connection();
    try {
        trainingReached = s.use_training && s.enable_word_training && host_.hasReachedMinimumTraining();
        if (current && current->DefaultItemType() == outlook::olMailItem) {
            auto ns = host_.nameSpace();
            const bool approve = isApprove(action);
            std::shared_ptr<outlook::Folder> destination;
            std::string currentPath = text::lower(host_.folderPath(*current));
            const bool fromJunkFolder = isJunkFolder(current);
            if (approve) {
                if (fromJunkFolder) destination = ns->GetDefaultFolder(outlook::olFolderInbox);
            } else {
                auto deleted = ns->GetDefaultFolder(outlook::olFolderDeletedItems);
                if (currentPath != text::lower(host_.folderPath(*deleted))) destination = deleted;
            }
            log.LogErrorMessage("Begin processSelection");
            const bool checkOnly = s.nospamengine == 2;
            Senders* lists = host_.senders();
            if (!lists) throw Error(91, "Tarnwick", "Object variable or With block variable not set");
            if (checkOnly) lists->updateCachedLists();
            if (!approve && (report || s.reportBlocked)) host_.reportMessages(selected, reportSpam);
            if (approve && report) host_.reportMessages(selected, reportLegitimate);
            if (!connection.alive()) return outcome;

            std::vector<std::string> entries;
            Items kept, unlisted;
            int32_t checkedOnly = 0;
            for (const auto& item : selected) {
                if (!item || item->Class() != outlook::olMail) continue;
                if (checkOnly) {
                    if (host_.isJunkMail(item) && action == blockSender) host_.processJunkMail(item);
                    ++checkedOnly;
                    continue;
                }
                std::string address = text::lower(host_.senderAddressOf(item));
                const bool excluded = address.empty() || isExcludedSender(address, action, showMessages);
                if (!connection.alive()) return outcome;
                if (excluded) {
                    unlisted.push_back(item);
                    continue;
                }
                entries.push_back(action == approveDomain || action == blockDomain ? senderKey(address, true) : address);
                kept.push_back(item);
                if (!approve) item->setUnRead(false);
            }
            log.LogErrorMessage("End processSelection");
            if (checkOnly) {
                countMistakes(approve, fromJunkFolder, report, checkedOnly);
                return outcome;
            }

            bool removed = false;
            if (approve) lists->AddApprovedSenders(entries, removed, true, kept);
            else lists->AddBlockedSenders(entries, removed, true, kept);
            outcome.listed = true;

            if (!kept.empty() && !s.EnableSpamFilterStrength)
                settings::SettingsWriters(host_.settingsKey(), s)
                    .writeThreshold(adaptedThreshold(s.threshold, s.treduce, approve), false);

            const int32_t weight = approve ? kApproveWeight : kBlockWeight;
            for (const Items* group : {&kept, &unlisted})
                for (const auto& item : *group) {
                    host_.trainOnMessage(item, weight);
                    if (destination) item->Move(*destination);
                    ++outcome.done;
                }
            countMistakes(approve, fromJunkFolder, report, outcome.done);
        }
    } catch (...) {
        log.logError("processSelection");
        outcome.failed = true;
        return outcome;
    }
    if (connection.alive() && s.use_training && !trainingReached) host_.checkIfUserWantsMinTraining();
    return outcome;
}

bool ApproveBlock::isExcludedSender(const std::string& address, int32_t action, bool showMessages) {
    Senders* lists = host_.senders();
    if (!lists) return false;
    auto& ui = host_.platform().ui;
    const std::string title = loadString(kProductTitleId);
    auto tell = [&](int id) {
        if (showMessages) ui.MsgBox(text::fillPlaceholder(loadString(id), address), platform::vbOKOnly, title);
    };
    const bool senderAction = action == approveSender || action == blockSender;
    if (lists->getToMeCount() > 0 && lists->isSingleRecipientToMe(address, false)) {
        if (senderAction) tell(kPreferredRecipientId);
        return true;
    }
    if (senderAction) {
        if (lists->isEmailAddressInContacts(address)) {
            tell(kInContactsId);
            return true;
        }
        if (lists->isApprovedSender(address)) {
            tell(kInApprovedId);
            return true;
        }
        return lists->isIgnoredSender(address);
    }
    return lists->isIgnoredSender(domainPart(address));
}

void ApproveBlock::AddSingleSender(int32_t domainFlag, int32_t dialogAction, const std::shared_ptr<outlook::Item>& item) {
    auto& s = host_.settings();
    try {
        std::string address = text::lower(host_.senderAddressOf(item));
        std::string key = senderKey(address, domainFlag != 0);
        if (s.showsenderdialog != 0) {
            const bool block = isBlockDialog(dialogAction);
            bool report = false;
            int32_t action = selectionActionFor(domainFlag, dialogAction, report);
            Senders* lists = host_.senders();
            if (!lists) throw Error(91, "Tarnwick", "Object variable or With block variable not set");
            const ConnectionToken connection = host_.connection();
            const bool excluded = isExcludedSender(action == approveDomain || action == blockDomain ? key : address, action, true);
            if (!connection.alive()) return;
            if (!excluded) {
                bool removed = false;
                if (block) {
                    lists->AddBlockedSenders({key}, removed, false, {item});
                    if (dialogAction == dialogBlockReport || s.reportBlocked) host_.reportMessages({item}, reportSpam);
                } else {
                    if (dialogAction == dialogApproveReport) host_.reportMessages({item}, reportLegitimate);
                    if (!connection.alive()) return;
                    lists->AddApprovedSenders({key}, removed, false, {item});
                }
                if (!connection.alive()) return;
            }
            host_.trainOnMessage(item, block ? kBlockWeight : kApproveWeight);
            std::shared_ptr<outlook::Folder> folder;
            try {
                folder = item->Parent();
            } catch (...) {
            }
            countMistakes(!block, isJunkFolder(folder), dialogAction == dialogApproveReport, 1);
            return;
        }
        KeyedSet senders, countries;
        senders.Add(key);
        host_.getMessageCountries(item, countries);
        showSenderDialog(domainFlag, dialogAction, senders, countries, item);
    } catch (...) {
        host_.log().logError("AddSingleSender");
    }
}

}  // namespace tw::senders
