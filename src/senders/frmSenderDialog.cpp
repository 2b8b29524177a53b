// The sender dialog's texts, lists, options area and buttons.
#include "senders/frmSenderDialog.h"

#include "core/StringTable.h"
#include "core/Text.h"
#include "senders/ApproveBlock.h"
#include "settings/SettingsLists.h"
#include "settings/SettingsWriters.h"

namespace tw::senders {

namespace {
using platform::ControlKind;
using platform::checkList;
using platform::control;
constexpr int kOkId = 204;
constexpr int kCancelId = 205;
constexpr int kDontShowId = 281;
constexpr int kApproveMessageId = 900, kApproveDomainId = 901, kBlockMessageId = 902, kBlockDomainId = 903;
constexpr int kQ1 = 904, kQ2 = 905, kQ3 = 906, kQ4 = 907, kF1 = 908, kF2 = 909, kT1 = 910;
constexpr int kApproveCountriesId = 911, kBlockCountriesId = 912;
constexpr int kHideOptionsId = 913, kShowOptionsId = 914;

bool blockAction(int32_t dialogAction) { return dialogAction == dialogBlock || dialogAction == dialogBlockReport; }
}  // namespace

const platform::FormDecl& frmSenderDialog::declaration() {
    static const platform::FormDecl decl{
        "frmSenderDialog", 0, 5700, kCollapsedHeight,
        {
            control(ControlKind::Label, "lblDescription", 0, 120, 120, 5460, 1215),
            control(ControlKind::ListBox, "lstSenders", 0, 120, 1440, 5460, 1620, 2),
            control(ControlKind::CheckBox, "chkDontShow", kDontShowId, 120, 3120, 5460, 300, 3),
            // With the options button shown the three share the row, ending where the lists end.
            control(ControlKind::CommandButton, "cmdYes", kOkId, 1200, 3540, 1455, 375, 0, true),
            control(ControlKind::CommandButton, "cmdNo", kCancelId, 3240, 3540, 1455, 375, 1, false, true),
            control(ControlKind::CommandButton, "cmdOptions", kShowOptionsId, 3960, 3540, 1620, 375, 4),
            control(ControlKind::Label, "lblCountries", 0, 120, 4200, 5460, 735),
            checkList("ListCountries", 120, 5040, 5460, 1620, 5),
        }};
    return decl;
}

frmSenderDialog::frmSenderDialog(ApproveBlock& commands)
    : commands_(commands), ui_(commands.host().platform().ui), connection_(commands.host().connection()),
      controls_(declaration()) {
    controls_.onClick("cmdYes", [this] { cmdYes_Click(); });
    controls_.onClick("cmdNo", [this] { cmdNo_Click(); });
    controls_.onClick("cmdOptions", [this] { cmdOptions_Click(); });
}

std::string frmSenderDialog::textKey(bool plural, bool block, bool domain, bool noReporting) {
    std::string key;
    for (bool digit : {plural, block, domain, noReporting}) key += digit ? '1' : '0';
    return key;
}

void frmSenderDialog::senderloadparameters(int32_t domainFlag, int32_t dialogAction, const KeyedSet& senders,
                                           const KeyedSet& countries, bool& ok) {
    auto& host = commands_.host();
    auto& s = host.settings();
    domainFlag_ = domainFlag;
    dialogAction_ = dialogAction;
    const bool plural = senders.Count() != 1;
    const bool block = blockAction(dialogAction);
    const bool domain = domainFlag == 1;
    const bool noReporting = s.reportspam == 0;

    static const int captions[2][2] = {{kApproveMessageId, kApproveDomainId}, {kBlockMessageId, kBlockDomainId}};
    controls_.caption = loadString(captions[block][domain]);
    int question = plural ? (block ? kQ4 : kQ3) : (block ? kQ2 : kQ1);
    int closing = noReporting ? kT1 : (plural ? kF2 : kF1);
    // The question's second sentence goes on in the closing words ("... will be blocked, and the
    // ..."): a line break between them would cut that sentence in two.
    controls_["lblDescription"].caption = loadString(question) + loadString(closing);

    // The checks are those of the selection action the Yes button runs.
    bool report = false;
    int32_t action = selectionActionFor(domainFlag, dialogAction, report);
    controls_.clearList("lstSenders");
    for (const auto& key : senders)
        if (!commands_.isExcludedSender(key, action, true)) controls_.addItem("lstSenders", key);

    controls_.clearList("ListCountries");
    if (auto* table = host.countries()) {
        const bool approve = !block;
        controls_["lblCountries"].caption = loadString(approve ? kApproveCountriesId : kBlockCountriesId);
        for (const auto& code : countries) {
            bool isBlocked = s.blockedCountries.Exists(code);
            if (approve ? !isBlocked : s.home_country_list.Exists(code)) continue;
            std::string name = table->GetNameFromCode(code);
            if (name.empty()) continue;
            controls_.addItem("ListCountries", name, false, !approve && isBlocked);
        }
    }
    countriesListed_ = !controls_["ListCountries"].items.empty();
    controls_["cmdOptions"].visible = countriesListed_;
    controls_["cmdYes"].left = countriesListed_ ? 480 : 1320;
    controls_["cmdNo"].left = countriesListed_ ? 2160 : 3360;
    applyOptions();
    ok = true;
}

void frmSenderDialog::applyOptions() {
    bool open = commands_.host().settings().showApproveOptions;
    controls_.height = open && countriesListed_ ? kExpandedHeight : kCollapsedHeight;
    controls_["cmdOptions"].caption = loadString(open ? kHideOptionsId : kShowOptionsId);
    controls_["lblCountries"].visible = open && countriesListed_;
    controls_["ListCountries"].visible = open && countriesListed_;
}

void frmSenderDialog::cmdOptions_Click() {
    if (!connection_.alive()) return unload();
    auto& host = commands_.host();
    try {
        auto& s = host.settings();
        s.showApproveOptions = !s.showApproveOptions;
        host.settingsKey().writeFlag(s.showApproveOptions, "showApproveOptions");
        applyOptions();
    } catch (...) {
        host.log().logError("cmdOptions_Click");
    }
}

void frmSenderDialog::saveDontShowAgain() {
    auto& host = commands_.host();
    if (controls_["chkDontShow"].value)
        settings::SettingsWriters(host.settingsKey(), host.settings()).writeShowSenderDialog(1);
}

void frmSenderDialog::unload() { ui_.hideForm(*this); }

void frmSenderDialog::cmdYes_Click() {
    // The client may have torn the add-in down while the dialog was open: nothing is left to act on.
    if (!connection_.alive()) return unload();
    auto& host = commands_.host();
    bool report = false;
    int32_t action = selectionActionFor(domainFlag_, dialogAction_, report);
    // Hidden first: a message box the command shows must not sit under the dialog.
    unload();
    Outcome outcome;
    if (message_) {
        std::shared_ptr<outlook::Folder> folder;
        try {
            folder = message_->Parent();
        } catch (...) {
        }
        outcome = commands_.processItems({message_}, folder, action, report, false);
    } else {
        outcome = commands_.processSelection(action, report, false);
    }
    if (!connection_.alive()) return;
    try {
        saveDontShowAgain();
        auto& s = host.settings();
        std::vector<std::string> codes;
        if (auto* table = host.countries())
            for (const auto& name : controls_.checkedItems("ListCountries")) {
                std::string code = table->GetCodeFromName(name);
                if (!code.empty()) codes.push_back(code);
            }
        if (settings::mergeSettingsIntoCollection(codes, s.blockedCountries, blockAction(dialogAction_)) > 0) {
            host.settingsKey().writeList(s.blockedCountries, "blockedCountries");
            host.refreshEngineOptions();
        }
    } catch (...) {
        host.log().logError("cmdYes_Click");
    }
    if (outcome.failed) commands_.reportFailure(outcome);
}

void frmSenderDialog::cmdNo_Click() {
    if (!connection_.alive()) return unload();
    try {
        saveDontShowAgain();
    } catch (...) {
        commands_.host().log().logError("cmdNo_Click");
    }
    unload();
}

}  // namespace tw::senders
