// Every window of the add-in, opened the way the add-in opens it, with realistic content.
#include "sheet/Scenes.h"

#include "commandbars/ExplorerBars.h"
#include "commandbars/frmAboutOrvenna.h"
#include "core/StringTable.h"
#include "core/Text.h"
#include "net/MessageReport.h"
#include "net/frmConfirmReportSpam.h"
#include "net/frmConnect.h"
#include "net/frmNewRelease.h"
#include "options/OptionsTree.h"
#include "options/frmOrvennaOptions.h"
#include "scan/AutoScan.h"
#include "scan/frmAutoScanStatus.h"
#include "scan/ManualScan.h"
#include "senders/ApproveBlock.h"
#include "senders/frmSenderDialog.h"
#include "settings/ServiceAddresses.h"
#include "sheet/SheetWorld.h"

namespace tw::sheet {
namespace {

constexpr int kCannotConnectId = 283;
constexpr int kProxyHintId = 284;

Step selectNode(std::string key) {
    return [key](Stage& stage) { stage.selectNode(key); };
}
Step pickFirst(std::string list) {
    return [list](Stage& stage) { stage.pickFirst(list); };
}
std::vector<Step> photoAndClose(const std::string& stem, const std::string& label) { return {photo(stem, label), closeIt()}; }

/// The options dialog, page by page, with the entry dialogs its list pages open.
void optionsDialog(Camera& camera, addin::OrvennaOutAddIn& addin) {
    std::vector<Step> steps;
    for (const auto& node : options::optionsNodes()) {
        const std::string key = node.key;
        if (key != "Root") steps.push_back(selectNode(key));
        steps.push_back(photo("frmOrvennaOptions-" + key, "frmOrvennaOptions: " + loadString(node.captionId) + " [" + key + "]"));
        if (key == "ApprovedSenders") {
            steps.push_back(press("cmdAdd"));
            camera.script("frmEnterEmailDomain", photoAndClose("frmEnterEmailDomain-add", "frmEnterEmailDomain: add an approved sender"));
            steps.push_back(press("cmdImport"));
            // The import itself, so its report shows too.
            camera.script("frmImportAddresses",
                          {photo("frmImportAddresses", "frmImportAddresses: the profile's address books"), pickFirst("ImportList"),
                           [&camera](Stage&) {
                               camera.script("MsgBox", photoAndClose("MsgBox-import-report", "Message box: the import's report"));
                           },
                           press("cmdOK")});
        } else if (key == "BlockedSenders") {
            steps.push_back(pickFirst("lstEntries"));
            steps.push_back(press("cmdEdit"));
            camera.script("frmEnterEmailDomain", photoAndClose("frmEnterEmailDomain-edit", "frmEnterEmailDomain: edit a blocked sender"));
        } else if (key == "NotSentToMe") {
            steps.push_back(press("cmdAdd"));
            camera.script("frmToMe", photoAndClose("frmToMe-add", "frmToMe: add one of my addresses"));
        } else if (key == "MailingLists") {
            steps.push_back(pickFirst("lstEntries"));
            steps.push_back(press("cmdEdit"));
            camera.script("frmToMe", photoAndClose("frmToMe-edit", "frmToMe: edit a mailing list"));
        } else if (key == "BlockedIP") {
            steps.push_back(press("cmdAdd"));
            camera.script("frmGenericEntry", photoAndClose("frmGenericEntry-add", "frmGenericEntry: add a blocked I.P. address"));
        } else if (key == "RBLs") {
            steps.push_back(pickFirst("lstEntries"));
            steps.push_back(press("cmdEdit"));
            camera.script("frmGenericEntry", photoAndClose("frmGenericEntry-edit", "frmGenericEntry: edit a blacklist server"));
        }
    }
    steps.push_back(closeIt());
    camera.script("frmOrvennaOptions", std::move(steps));
    if (auto* bars = addin.explorerBars()) bars->cmdOrvenna_Click();
    else options::frmOrvennaOptions::showModal(addin);
}

void senderDialogs(Camera& camera, addin::OrvennaOutAddIn& addin) {
    {
        // It opens with its countries shown or hidden as the user last left them; the button turns them round.
        camera.script("frmSenderDialog", {photo("frmSenderDialog-block", "frmSenderDialog: block two senders, as it opens"),
                                          press("cmdOptions"),
                                          photo("frmSenderDialog-block-options", "frmSenderDialog: block two senders, after its Options button"),
                                          closeIt()});
        senders::frmSenderDialog dialog(addin.commands());
        KeyedSet addresses, countries;
        addresses.Add("promo@discount-watches.example");
        addresses.Add("info@prize-notice.example");
        for (const char* code : {"ru", "cn", "ng"}) countries.Add(code);
        bool ok = false;
        dialog.senderloadparameters(0, senders::dialogBlock, addresses, countries, ok);
        if (ok) camera.showForm(dialog, true);
        else camera.album().problem("frmSenderDialog: the dialog chose not to show for two senders to block");
    }
    {
        camera.script("frmSenderDialog", photoAndClose("frmSenderDialog-approve-domain", "frmSenderDialog: approve a domain"));
        senders::frmSenderDialog dialog(addin.commands());
        KeyedSet addresses, countries;
        addresses.Add("partner-firm.example");
        countries.Add("br");
        bool ok = false;
        dialog.senderloadparameters(1, senders::dialogApprove, addresses, countries, ok);
        if (ok) camera.showForm(dialog, true);
        else camera.album().problem("frmSenderDialog: the dialog chose not to show for a domain to approve");
    }
}

void reportQuestions(Camera& camera, addin::OrvennaOutAddIn& addin) {
    for (const auto& [kind, name] : {std::pair{net::kReportSpam, "spam"}, std::pair{net::kReportLegitimate, "not-spam"}}) {
        camera.script("frmConfirmReportSpam", photoAndClose(std::string("frmConfirmReportSpam-") + name,
                                                            std::string("frmConfirmReportSpam: report as ") + name));
        net::frmConfirmReportSpam form(addin);
        form.Form_Load();
        form.setReportKind(kind, true);
        camera.showForm(form, true);
        if (camera.isFormVisible(form)) camera.hideForm(form);
    }
}

void scanWindows(Camera& camera, addin::OrvennaOutAddIn& addin) {
    auto& progress = addin.manualScan().progressWindow();
    progress.setSubset(scan::ManualScan::kUnreadSubset);
    progress.setTotal(412);
    progress.setProcessed(137);
    progress.centreOn(camera.screenWidth(), camera.screenHeight());
    camera.showForm(progress, false);
    camera.photographOpen(progress, "frmScanning", "frmScanning: a folder scan under way");
    camera.hideForm(progress);

    auto& results = addin.manualScan().resultWindow();
    results.fill({128, 17, 42}, addin.folderAtPath(kInbox, false), scan::ManualScan::kUnreadSubset);
    camera.showForm(results, false);
    camera.photographOpen(results, "frmScanResults", "frmScanResults: 128 checked, 17 caught");
    results.unload();

    if (auto* autoScan = addin.autoScan()) {
        auto& status = autoScan->statusWindow();
        status.bind(*autoScan);
        status.setFolderText(text::fillPlaceholder(loadString(scan::AutoScan::kCheckingFolderId), kWatchedFolder));
        status.showCount(23);
        camera.photographOpen(status, "frmAutoScanStatus", "frmAutoScanStatus: checking a watched folder");
        status.hide();
    }
}

void networkWindows(Camera& camera, addin::OrvennaOutAddIn& addin) {
    net::NetContext context = addin.netContext();
    {
        camera.script("frmConnect", photoAndClose("frmConnect", "frmConnect: the service cannot be reached"));
        net::frmConnect form(context);
        form.Form_Load(loadString(kCannotConnectId) + "\r\n\r\n" + loadString(kProxyHintId));
        camera.showForm(form, true);
        if (camera.isFormVisible(form)) camera.hideForm(form);
    }
    {
        camera.script("frmNewRelease", photoAndClose("frmNewRelease", "frmNewRelease: a newer release"));
        const auto addresses = settings::serviceAddresses(context.platform.registry);
        net::frmNewRelease form(context, "1.4.2", addresses.releaseDownloadPage);
        form.Form_Load();
        camera.showForm(form, true);
        if (camera.isFormVisible(form)) camera.hideForm(form);
    }
}

}  // namespace

void takeSheet(Camera& camera, addin::OrvennaOutAddIn& addin) {
    auto* bars = addin.explorerBars();
    if (bars == nullptr) camera.album().problem("the add-in made no toolbar: the windows it opens are opened directly");

    camera.script("frmAboutOrvenna", photoAndClose("frmAboutOrvenna", "frmAboutOrvenna: About"));
    if (bars) bars->cmdAboutMenuItem_Click();
    else commandbars::frmAboutOrvenna(addin.platform(), addin.log()).show();

    optionsDialog(camera, addin);
    senderDialogs(camera, addin);
    reportQuestions(camera, addin);
    scanWindows(camera, addin);

    // The statistics and log windows, from the add-in's menu.
    camera.script("frmStats", photoAndClose("frmStats", "frmStats: 1284 checked, 317 caught; twelve weeks charted"));
    camera.script("frmViewLog", photoAndClose("frmViewLog", "frmViewLog: the add-in's log"));
    if (bars) {
        bars->cmdViewStats_Click();
        bars->cmdViewLogReport_Click();
    }
    networkWindows(camera, addin);
}

}  // namespace tw::sheet
