// The decision whether one message is spam, the moving of spam to the junk folder, and the two
// new-item handlers that feed them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "classify/Judgement.h"
#include "core/KeyedSet.h"
#include "platform/Outlook.h"
#include "settings/Settings.h"


namespace tw::classify {

class ClassifyHost;

/// Score-flag bits handed to the engine with each message.
enum ScoreFlag : int32_t { toOneOfMyAddresses = 1, toNoneOfMyAddresses = 2, onlyToItsSender = 4 };

/// The flags for a message: 0 while the user lists no own address.
int32_t scoreFlags(int32_t myAddressCount, bool toOneOfMine, const KeyedSet& recipients, const std::string& sender);

/// The threshold in force: threshold2 when the filter-strength setting is on.
double junkThreshold(const settings::Settings& settings);

/// The first `count` clues of the engine's explanation of a score, each as one readable line:
/// "body:viagra 0.990 (user store: 97 spam, 1 legitimate)" or "relay 203.0.113.7 1.000 (blocked_ip_list)".
std::vector<std::string> describeClues(const std::string& explanation, size_t count);

/// Whether the user has filtering on.
bool filteringEnabled(const settings::Settings& s);

/// Holds no state: every call works on the add-in's settings, lists, engine and folders. No call
/// raises; errors are logged and end the decision as "not spam".
class IncomingFilter {
public:
    explicit IncomingFilter(ClassifyHost& host) : host_(host) {}

    /// True for spam: by the lists first, otherwise by the engine's score against the threshold.
    bool isJunkMail(const std::shared_ptr<outlook::Item>& item);
    /// The same decision with what made it; with `withClues` the engine's clues behind a score too.
    Judgement judge(const std::shared_ptr<outlook::Item>& item, bool withClues);
    /// The engine's score for the message, from its headers, body and the score flags its recipients
    /// give. Raises when the engine could not score it. Logs the three strongest clues when the log
    /// takes every line.
    int32_t engineScore(const std::shared_ptr<outlook::Item>& item, const std::string& sender,
                        const std::string& senderName, const KeyedSet& recipients);
    /// The junk folder, created when missing; when it cannot be, the user picks one (kept as the
    /// new junk folder setting). Nothing when the user cancels.
    std::shared_ptr<outlook::Folder> getJunkFolder();
    /// Marks spam read when asked and moves it to the junk folder; without one it stays put.
    void processJunkMail(const std::shared_ptr<outlook::Item>& item);

    /// A new Sent Items mail: its recipients become known correspondents and it trains as legitimate.
    /// A report mail to the network service does neither.
    void mSentItems_ItemAdd(const std::shared_ptr<outlook::Item>& item);

    /// Every recipient is a report mailbox of the network service.
    bool isReportMail(const KeyedSet& recipients);

private:

    ClassifyHost& host_;
};

}  // namespace tw::classify
