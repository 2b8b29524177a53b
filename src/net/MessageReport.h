// Reporting messages to the network service as spam, legitimate mail, fraud or a virus: the report mail, its sending and the training.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "net/ReportHost.h"
#include "platform/Outlook.h"

namespace tw::net {

/// The report kinds; any other number is refused.
inline constexpr int32_t kReportSpam = 1, kReportLegitimate = 2, kReportFraud = 3, kReportVirus = 4;
/// Training weights of a report: legitimate mail trains as ham, every other kind as spam.
inline constexpr int32_t kReportSpamWeight = 200, kReportLegitimateWeight = -200;

bool isReportKind(int32_t kind);
int32_t reportWeight(int32_t kind);

/// The header block of one reported message, numbered as the report numbers it.
std::string reportHeaderBlock(int number, const std::string& headers);
/// The settings block that ends every report body.
std::string reportSettingsBlock(const std::string& summary);

/// Holds no state: each call composes, sends and trains at once.
class MessageReports {
public:
    explicit MessageReports(ReportHost& host) : host_(host) {}

    /// The explorer's report command of a kind: asks first when the user wants that, then
    /// reports the selection with training.
    void explorerReportCommand(int32_t kind);
    /// The message window's entry: asks first when the user wants that, then reports that message.
    void ReportMessageWithConfirmation(const std::shared_ptr<outlook::Item>& item, int32_t kind, bool train);

    /// Reports the mail items of the active explorer's selection; true when a report was sent.
    bool ReportSpamSelection(int32_t kind, bool train);
    /// Reports one message; true when a report was sent.
    bool ReportSingleMessage(const std::shared_ptr<outlook::Item>& item, int32_t kind, bool train);
    /// Reports the mail items among these; the selection's numbering. True when a report was sent.
    bool reportItems(const std::vector<std::shared_ptr<outlook::Item>>& items, int32_t kind, bool train);

private:
    /// Composes and sends one report; the first message is numbered firstNumber. Errors are
    /// logged under caller and told to the user. The number of messages reported, 0 when none was sent.
    int32_t send(const std::vector<std::shared_ptr<outlook::Item>>& items, int32_t kind, bool train, int firstNumber,
              const std::string& caller);
    void tell(int stringId);
    /// Counts a report the user made as a mistake of the filter: spam from outside the junk folder
    /// was missed; legitimate mail is counted wherever it lay.
    void countReported(int32_t kind, const std::shared_ptr<outlook::Folder>& folder, int32_t count);

    ReportHost& host_;
};

}  // namespace tw::net
