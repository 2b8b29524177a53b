// Composing the report mail, sending it from the user's mailbox and training on each reported message.
#include "net/MessageReport.h"

#include "classify/MessageContent.h"
#include "core/StringTable.h"
#include "net/frmConfirmReportSpam.h"
#include "platform/UserInterface.h"
#include "core/Text.h"
#include "settings/ServiceAddresses.h"
#include "settings/WeeklyStats.h"

namespace tw::net {

namespace {
constexpr int kSelectMailId = 133;
constexpr int kProductTitleId = 134;
constexpr int kReportFailedId = 987;
const char* const kLineEnd = "\r\n";

bool isMail(const std::shared_ptr<outlook::Item>& item) {
    try {
        return item && item->Class() == outlook::olMail;
    } catch (...) {
        return false;
    }
}
}  // namespace

bool isReportKind(int32_t kind) { return kind >= kReportSpam && kind <= kReportVirus; }

int32_t reportWeight(int32_t kind) { return kind == kReportLegitimate ? kReportLegitimateWeight : kReportSpamWeight; }

std::string reportHeaderBlock(int number, const std::string& headers) {
    const std::string n = std::to_string(number);
    return "==BEGIN MESSAGE HEADER " + n + kLineEnd + headers + kLineEnd + "== END MESSAGE HEADER " + n + kLineEnd;
}

std::string reportSettingsBlock(const std::string& summary) {
    std::string block = std::string("==BEGIN SETTINGS") + kLineEnd + summary;
    // The end marker keeps a line of its own whatever the summary ends with.
    if (block.size() < 2 || block.compare(block.size() - 2, 2, kLineEnd) != 0) block += kLineEnd;
    return block + "== END SETTINGS" + kLineEnd;
}

void MessageReports::tell(int stringId) {
    try {
        host_.netContext().platform.ui.MsgBox(loadString(stringId), platform::vbOKOnly, loadString(kProductTitleId));
    } catch (...) {
    }
}

int32_t MessageReports::send(const std::vector<std::shared_ptr<outlook::Item>>& items, int32_t kind, bool train,
                          int firstNumber, const std::string& caller) {
    auto context = host_.netContext();
    if (!isReportKind(kind)) {
        context.log.LogSeriousErrorMessage(caller + ": unknown report kind " + std::to_string(kind) +
                                           ", nothing reported");
        return 0;
    }
    std::vector<std::shared_ptr<outlook::Item>> mail;
    for (const auto& item : items)
        if (isMail(item)) mail.push_back(item);
    if (mail.empty()) {
        tell(kSelectMailId);
        return 0;
    }
    try {
        auto safe = context.platform.safeMail.CreateSafeMailItem(classify::safeMailProgId("SafeMailItem"));
        auto report = host_.application()->CreateItem(outlook::olMailItem);
        safe->setItem(report);
        const int32_t weight = reportWeight(kind);
        std::string body;
        int number = firstNumber;
        for (const auto& item : mail) {
            report->Attachments()->Add(item, outlook::olEmbeddeditem);
            body += reportHeaderBlock(number++, host_.reportHeaders(*item));
            if (train) host_.trainOnMessage(item, weight);
        }
        body += reportSettingsBlock(host_.reportSettingsSummary());
        safe->setBody(body);
        safe->Recipients()->Add(settings::serviceAddresses(context.platform.registry).reportAddress(kind));
        safe->Send();
        if (auto utils = host_.reportMapiUtils()) utils->DeliverNow(0, 0);
        return static_cast<int32_t>(mail.size());
    } catch (...) {
        context.log.logError(caller);
        tell(kReportFailedId);
        return 0;
    }
}

void MessageReports::countReported(int32_t kind, const std::shared_ptr<outlook::Folder>& folder, int32_t count) {
    auto context = host_.netContext();
    try {
        const OleDate now = context.platform.clock.now();
        if (kind == kReportLegitimate) {
            settings::recordMistakes(context.key, context.settings, settings::Mistake::legitimateReport, count, now);
        } else if (kind == kReportSpam) {
            const std::string& junk = context.settings.junkfolder;
            const bool fromJunkFolder =
                folder && !junk.empty() && text::lower(host_.folderPath(*folder)) == text::lower(junk);
            if (!fromJunkFolder)
                settings::recordMistakes(context.key, context.settings, settings::Mistake::missedSpam, count, now);
        }
    } catch (...) {
        context.log.logError("countReported");
    }
}

bool MessageReports::reportItems(const std::vector<std::shared_ptr<outlook::Item>>& items, int32_t kind, bool train) {
    return send(items, kind, train, 0, "ReportSpamSelection") > 0;
}

bool MessageReports::ReportSpamSelection(int32_t kind, bool train) {
    std::vector<std::shared_ptr<outlook::Item>> items;
    std::shared_ptr<outlook::Folder> folder;
    try {
        auto explorer = host_.application()->ActiveExplorer();
        if (!explorer) return false;
        folder = explorer->CurrentFolder();
        if (!folder || folder->DefaultItemType() != outlook::olMailItem) return false;
        auto selection = explorer->Selection();
        for (int i = 1; i <= selection->Count(); ++i) items.push_back(selection->Item(i));
    } catch (...) {
        host_.netContext().log.logError("ReportSpamSelection");
        tell(kReportFailedId);
        return false;
    }
    const int32_t reported = send(items, kind, train, 0, "ReportSpamSelection");
    countReported(kind, folder, reported);
    return reported > 0;
}

bool MessageReports::ReportSingleMessage(const std::shared_ptr<outlook::Item>& item, int32_t kind, bool train) {
    const int32_t reported = send({item}, kind, train, 1, "ReportSingleMessage");
    if (reported > 0) {
        std::shared_ptr<outlook::Folder> folder;
        try {
            folder = item->Parent();
        } catch (...) {
        }
        countReported(kind, folder, reported);
    }
    return reported > 0;
}

void MessageReports::explorerReportCommand(int32_t kind) {
    auto context = host_.netContext();
    try {
        auto explorer = host_.application()->ActiveExplorer();
        auto selection = explorer ? explorer->Selection() : nullptr;
        if (!selection || selection->Count() == 0 || !isMail(selection->Item(1))) {
            tell(kSelectMailId);
            return;
        }
        if (context.settings.ShowReportSpamConfirmation) {
            frmConfirmReportSpam form(host_);
            form.Form_Load();
            form.setReportKind(kind, true);
            context.platform.ui.showForm(form, true);
            if (context.platform.ui.isFormVisible(form)) context.platform.ui.hideForm(form);
            return;
        }
    } catch (...) {
        context.log.logError("cmdReport_Click");
        return;
    }
    ReportSpamSelection(kind, true);
}

void MessageReports::ReportMessageWithConfirmation(const std::shared_ptr<outlook::Item>& item, int32_t kind,
                                                   bool train) {
    auto context = host_.netContext();
    if (!context.settings.ShowReportSpamConfirmation) {
        ReportSingleMessage(item, kind, train);
        return;
    }
    try {
        frmConfirmReportSpam form(host_);
        form.Form_Load();
        form.setReportKind(kind, train);
        // Yes reports the window's own message, never the main window's selection.
        form.setMessage(item);
        context.platform.ui.showForm(form, true);
        if (context.platform.ui.isFormVisible(form)) context.platform.ui.hideForm(form);
    } catch (...) {
        context.log.logError("ReportMessageWithConfirmation");
    }
}

}  // namespace tw::net
