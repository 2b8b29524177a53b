// The eight approve and block commands of the main window and the single-message variant of the
// mail window: they collect the messages, may ask through the sender dialog, update the lists,
// train, adapt the threshold and move the messages.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/KeyedSet.h"
#include "platform/Outlook.h"
#include "senders/CommandHost.h"

namespace tw::senders {

/// Selection actions (what processSelection does) and dialog actions (what the sender dialog asks).
enum SelectionAction : int32_t { approveSender = 1, approveDomain = 2, blockSender = 3, blockDomain = 4 };
enum DialogAction : int32_t { dialogApprove = 0, dialogBlock = 1, dialogApproveReport = 2, dialogBlockReport = 3 };

/// Training weights of the commands.
inline constexpr int32_t kApproveWeight = -200;
inline constexpr int32_t kBlockWeight = 200;
/// Thresholds the adaptation stops at: approvals raise it to 92 at most, blocks keep it at 88 at least.
inline constexpr double kApproveCap = 92.0;
inline constexpr double kBlockFloor = 88.0;

/// The selection action a dialog action runs, with whether it reports.
int32_t selectionActionFor(int32_t domainFlag, int32_t dialogAction, bool& report);
/// The key a message's sender is listed under: the lower-case address, or its domain.
std::string senderKey(const std::string& address, bool domain);
/// The threshold after one approval or block, as the commands adapt it.
double adaptedThreshold(double threshold, double treduce, bool approve);

/// What a pass over messages got done before it ended.
struct Outcome {
    bool failed = false;
    /// Whether the list update had been made.
    bool listed = false;
    /// Messages trained (and moved, where they go somewhere).
    int32_t done = 0;
};

class ApproveBlock {
public:
    using Items = std::vector<std::shared_ptr<outlook::Item>>;

    explicit ApproveBlock(CommandHost& host) : host_(host) {}

    void cmdApproveSender_Click();
    void cmdBlockSender_Click();
    void cmdApproveSenderMenuItem_Click();
    void cmdApproveSenderReportMenuItem_Click();
    void cmdBlockSenderMenuItem_Click();
    void cmdBlockSenderReportMenuItem_Click();
    void cmdApproveDomainMenuItem_Click();
    void cmdBlockDomainMenuItem_Click();

    /// True when the active explorer's first selected item is a mail message.
    bool isMailItem();
    /// Collects the selection's senders and countries and asks through the sender dialog.
    void IterateSelection(int32_t domainFlag, int32_t dialogAction);
    /// Applies a selection action to the active explorer's selection.
    Outcome processSelection(int32_t action, bool report, bool showMessages);
    /// The same over given messages shown in a given folder.
    Outcome processItems(const Items& items, const std::shared_ptr<outlook::Folder>& current, int32_t action,
                         bool report, bool showMessages);
    /// The command for one message of a mail window.
    void AddSingleSender(int32_t domainFlag, int32_t dialogAction, const std::shared_ptr<outlook::Item>& item);
    /// Whether an address (or a domain, for the domain actions) stays off the lists for a
    /// selection action; says why when asked to.
    bool isExcludedSender(const std::string& address, int32_t action, bool showMessages);

    CommandHost& host() { return host_; }
    /// Tells the user the command stopped, and how far it had got.
    void reportFailure(const Outcome& outcome);

private:
    void runCommand(const char* handler, const char* logLine, int32_t action, bool report, int32_t domainFlag,
                    int32_t dialogAction);
    /// Counts what the user's command says the filter got wrong: an approval out of the junk folder,
    /// a block from any other folder, and legitimate reports. Never raises.
    void countMistakes(bool approve, bool fromJunkFolder, bool reportedLegitimate, int32_t count);
    bool isJunkFolder(const std::shared_ptr<outlook::Folder>& folder);
    void showSenderDialog(int32_t domainFlag, int32_t dialogAction, const KeyedSet& senders, const KeyedSet& countries,
                          const std::shared_ptr<outlook::Item>& single);

    CommandHost& host_;
};

}  // namespace tw::senders
