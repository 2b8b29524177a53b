// The options dialog's controls, its opening, the strength page and its buttons.
#include "options/frmOrvennaOptions.h"

#include <algorithm>

#include "core/StringTable.h"
#include "options/CountryLists.h"
#include "options/OptionsPages.h"
#include "options/OptionsTree.h"
#include "options/frmGenericEntry.h"
#include "scan/MsgQueue.h"
#include "options/SenderListPages.h"
#include "options/StrengthScale.h"
#include "senders/frmImportAddresses.h"
#include "settings/NumberText.h"

namespace tw::options {

namespace {
using platform::ControlKind;
using platform::control;
constexpr int kOkId = 204, kCancelId = 205, kTitleId = 1120, kFormCaptionId = 1175;
constexpr int kCountryTldId = 1176, kIntervalLabelId = 1177, kStatusWindowId = 1178, kImportId = 1179,
              kJunkLabelId = 1180, kAddId = 1181, kEditId = 1182, kDeleteId = 1183,
              kSelectAllId = 1188, kClearAllId = 1189, kResetId = 1190;
constexpr int kHelpId = 1233, kProxyServerId = 1234, kProxyPortId = 1235, kMinTrainingId = 1236,
              kMaxWordEntriesId = 1237, kTrainingWeightId = 1238, kRblTimeoutId = 1239, kRblMaxIpsId = 1240,
              kRblMultiHitId = 1241, kAutoTrainingId = 1242, kNetcheckId = 1243, kRblId = 1244;

/// The country check list a page shows; empty for the other pages.
std::string countryListOf(const std::string& page) {
    if (page == "CountryBlocking") return "lstBlockedCountries";
    if (page == "IgnoredCountries") return "lstHomeCountries";
    return {};
}
constexpr int kStrengthOptions = 4;

std::string optionName(int option) { return "optStrength" + std::to_string(option); }
}  // namespace

const platform::FormDecl& frmOrvennaOptions::declaration() {
    // The right side holds every page's controls; only the page shown and the common ones are visible.
    static const platform::FormDecl decl{
        "frmOrvennaOptions", kFormCaptionId, 9000, 6600,
        {
            control(ControlKind::TreeView, "tvwOptions", 0, 120, 120, 3000, 5700, 0),
            control(ControlKind::Label, "lblPageTitle", 0, 3240, 120, 5640, 300),
            control(ControlKind::Label, "lblPageText", 0, 3240, 480, 5640, 600),
            // The spam filter strength.
            control(ControlKind::OptionButton, "optStrength1", 1150, 3240, 1200, 1300, 300, 1),
            control(ControlKind::OptionButton, "optStrength2", 1151, 4640, 1200, 1300, 300, 2),
            control(ControlKind::OptionButton, "optStrength3", 1152, 6040, 1200, 1300, 300, 3),
            control(ControlKind::OptionButton, "optStrength4", 1153, 7440, 1200, 1300, 300, 4),
            control(ControlKind::TextBox, "txtThreshold", 0, 3240, 1620, 600, 300, 5),
            control(ControlKind::UpDown, "updThreshold", 0, 3840, 1620, 240, 300),
            control(ControlKind::Slider, "sldThreshold", 0, 4200, 1620, 4680, 400, 6),
            control(ControlKind::Label, "lblStrengthDesc", 0, 3240, 2100, 5640, 1200),
            // The junk destination and the approved page's import.
            control(ControlKind::Label, "lblJunkFolder", kJunkLabelId, 3240, 1200, 1400, 300),
            control(ControlKind::ComboBox, "cboJunkFolder", 0, 4680, 1200, 4200, 300, 7),
            control(ControlKind::CommandButton, "cmdImport", kImportId, 7560, 2640, 1215, 375, 8),
            // The folder scan and the country suffix.
            control(ControlKind::Label, "lblScanInterval", kIntervalLabelId, 3240, 1200, 2400, 300),
            control(ControlKind::TextBox, "txtScanInterval", 0, 5760, 1200, 800, 300, 9),
            control(ControlKind::CheckBox, "chkAutoScanStatus", kStatusWindowId, 3240, 1620, 5640, 300, 10),
            control(ControlKind::CheckBox, "chkCountryTld", kCountryTldId, 3240, 5460, 5640, 300, 11),
            // The proxy server.
            control(ControlKind::Label, "lblProxyServer", kProxyServerId, 3240, 1200, 1400, 300),
            control(ControlKind::TextBox, "txtProxyServer", 0, 4680, 1200, 3000, 300, 12),
            control(ControlKind::Label, "lblProxyPort", kProxyPortId, 3240, 1620, 1400, 300),
            control(ControlKind::TextBox, "txtProxyPort", 0, 4680, 1620, 1000, 300, 13),
            // The training fields and the expert values.
            control(ControlKind::Label, "lblMinTraining", kMinTrainingId, 3240, 1200, 2800, 300),
            control(ControlKind::TextBox, "txtMinTraining", 0, 6120, 1200, 1000, 300, 14),
            control(ControlKind::Label, "lblRblTimeout", kRblTimeoutId, 3240, 1200, 2800, 300),
            control(ControlKind::TextBox, "txtRblTimeout", 0, 6120, 1200, 1000, 300, 15),
            control(ControlKind::Label, "lblRblMaxIps", kRblMaxIpsId, 3240, 1620, 2800, 300),
            control(ControlKind::TextBox, "txtRblMaxIps", 0, 6120, 1620, 1000, 300, 16),
            control(ControlKind::Label, "lblMaxWordEntries", kMaxWordEntriesId, 3240, 1620, 2800, 300),
            control(ControlKind::TextBox, "txtMaxWordEntries", 0, 6120, 1620, 1000, 300, 17),
            control(ControlKind::CheckBox, "chkRblMultiHit", kRblMultiHitId, 3240, 2040, 5640, 300, 18),
            control(ControlKind::Label, "lblAutoTraining", kAutoTrainingId, 3240, 1200, 2800, 300),
            control(ControlKind::TextBox, "txtAutoTrainingLow", 0, 6120, 1200, 600, 300, 19),
            control(ControlKind::TextBox, "txtAutoTrainingHigh", 0, 6840, 1200, 600, 300, 20),
            control(ControlKind::Label, "lblNetcheck", kNetcheckId, 3240, 1620, 2800, 300),
            control(ControlKind::TextBox, "txtNetcheckLow", 0, 6120, 1620, 600, 300, 21),
            control(ControlKind::TextBox, "txtNetcheckHigh", 0, 6840, 1620, 600, 300, 22),
            control(ControlKind::Label, "lblRbl", kRblId, 3240, 2040, 2800, 300),
            control(ControlKind::TextBox, "txtRblLow", 0, 6120, 2040, 600, 300, 23),
            control(ControlKind::TextBox, "txtRblHigh", 0, 6840, 2040, 600, 300, 24),
            control(ControlKind::Label, "lblTrainingWeight", kTrainingWeightId, 3240, 2040, 2800, 300),
            control(ControlKind::TextBox, "txtTrainingWeight", 0, 6120, 2040, 1000, 300, 25),
            // The list pages.
            control(ControlKind::ListBox, "lstEntries", 0, 3240, 1200, 4200, 4560, 28, false, false, true),
            control(ControlKind::CommandButton, "cmdAdd", kAddId, 7560, 1200, 1215, 375, 29),
            control(ControlKind::CommandButton, "cmdEdit", kEditId, 7560, 1680, 1215, 375, 30),
            control(ControlKind::CommandButton, "cmdDelete", kDeleteId, 7560, 2160, 1215, 375, 31),
            // The country check lists.
            control(ControlKind::ListBox, "lstBlockedCountries", 0, 3240, 1200, 4200, 4140, 32, false, false, true),
            control(ControlKind::ListBox, "lstHomeCountries", 0, 3240, 1200, 4200, 4560, 33, false, false, true),
            control(ControlKind::CommandButton, "cmdSelectAll", kSelectAllId, 7560, 1200, 1215, 375, 34),
            control(ControlKind::CommandButton, "cmdClearAll", kClearAllId, 7560, 1680, 1215, 375, 35),
            control(ControlKind::CommandButton, "cmdReset", kResetId, 7560, 2160, 1215, 375, 36),
            // The folders the auto-scan watches.
            control(ControlKind::ListBox, "lstFolders", 0, 3240, 2040, 4200, 3720, 37),
            control(ControlKind::CommandButton, "cmdAddFolder", kAddId, 7560, 2040, 1215, 375, 38),
            control(ControlKind::CommandButton, "cmdRemoveFolder", kDeleteId, 7560, 2520, 1215, 375, 39),
            control(ControlKind::CommandButton, "cmdOK", kOkId, 4920, 6000, 1215, 375, 26, true),
            control(ControlKind::CommandButton, "cmdCancel", kCancelId, 6240, 6000, 1215, 375, 27, false, true),
            control(ControlKind::CommandButton, "cmdHelp", kHelpId, 7560, 6000, 1215, 375, 40),
        }};
    return decl;
}

frmOrvennaOptions::frmOrvennaOptions(OptionsHost& host) : host_(host), controls_(declaration()) {
    controls_.on("tvwOptions", "MouseDown", [this] { tvwOptions_MouseDown(controls_["tvwOptions"].number == 1); });
    controls_.on("tvwOptions", "NodeClick", [this] { tvwOptions_NodeClick(controls_["tvwOptions"].text); });
    controls_.on("txtThreshold", "Change", [this] { txtThreshold_Change(); });
    controls_.on("sldThreshold", "Change", [this] { sldThreshold_Change(); });
    controls_.on("updThreshold", "UpClick", [this] { updThreshold_Step(1); });
    controls_.on("updThreshold", "DownClick", [this] { updThreshold_Step(-1); });
    for (int option = 1; option <= kStrengthOptions; ++option) {
        controls_.on(optionName(option), "GotFocus", [this, option] { optStrength_GotFocus(option); });
        controls_.onClick(optionName(option), [this, option] { optStrength_Click(option); });
    }
    controls_.on("cboJunkFolder", "Click", [this] { cboJunkFolder_Click(); });
    controls_.onClick("cmdImport", [this] { cmdImport_Click(); });
    controls_.onClick("cmdAdd", [this] { cmdAdd_Click(); });
    controls_.onClick("cmdEdit", [this] { cmdEdit_Click(); });
    controls_.onClick("cmdDelete", [this] { cmdDelete_Click(); });
    controls_.onClick("cmdSelectAll", [this] { countryButton_Click(true, false); });
    controls_.onClick("cmdClearAll", [this] { countryButton_Click(false, false); });
    controls_.onClick("cmdReset", [this] { countryButton_Click(false, true); });
    controls_.onClick("cmdAddFolder", [this] { cmdAddFolder_Click(); });
    controls_.onClick("cmdRemoveFolder", [this] { cmdRemoveFolder_Click(); });
    controls_.onClick("cmdOK", [this] { cmdOK_Click(); });
    controls_.onClick("cmdCancel", [this] { cmdCancel_Click(); });
    controls_.onClick("cmdHelp", [this] { cmdHelp_Click(); });
}

void frmOrvennaOptions::showModal(OptionsHost& host) {
    frmOrvennaOptions form(host);
    form.Form_Load();
    host.platform().ui.showForm(form, true);
}

void frmOrvennaOptions::Form_Load() {
    try {
        const auto& s = host_.settings();
        auto& tree = controls_["tvwOptions"].nodes;
        tree.clear();
        for (const auto& n : optionsNodes())
            tree.push_back({n.key, loadString(n.captionId), n.parent,
                            n.kind == NodeKind::Check ? checkImageFor(n.key, s) : 0});
        rblInUse_ = s.rbl_list;

        controls_["sldThreshold"].number = 1;
        controls_.type("txtThreshold", settings::decimalText(s.threshold2));

        fillJunkFolder();
        controls_["txtScanInterval"].text = std::to_string(s.autoscan_interval);
        controls_["chkAutoScanStatus"].value = s.enable_autoscan_status;
        controls_["chkCountryTld"].value = s.blocked_countries_tld;
        controls_["txtProxyServer"].text = s.proxyServer;
        controls_["txtProxyPort"].text = s.proxyServerPort;
        fillExpertFields();
        fillFolders();
        if (const auto* table = host_.countries()) {
            fillCountryList(controls_, "lstBlockedCountries", *table, s.blockedCountries);
            fillCountryList(controls_, "lstHomeCountries", *table, s.home_country_list);
        }
        // Filled while every control is visible, so that the strength controls follow the threshold.
        showPage(page_);
    } catch (...) {
        host_.log().logError("Form_Load");
    }
}

void frmOrvennaOptions::fillJunkFolder() {
    const auto& s = host_.settings();
    junk_ = std::make_unique<JunkDestination>(s.junkfolder, s.junkfolderName);
    auto& combo = controls_["cboJunkFolder"];
    combo.items = junk_->items();
    combo.listIndex = junk_->selected();
}

void frmOrvennaOptions::fillExpertFields() {
    const auto& s = host_.settings();
    controls_["txtMinTraining"].text = std::to_string(s.min_training);
    controls_["txtRblTimeout"].text = std::to_string(s.rbl_timeout);
    controls_["txtRblMaxIps"].text = std::to_string(s.rbl_max_ips);
    controls_["txtMaxWordEntries"].text = std::to_string(s.max_word_entries);
    controls_["chkRblMultiHit"].value = s.rbl_multi_hit;
    controls_["txtTrainingWeight"].text = std::to_string(s.trainingWeight);
    auto split = [this](const std::string& range, const char* low, const char* high) {
        const size_t colon = range.find(':');
        controls_[low].text = range.substr(0, colon);
        controls_[high].text = colon == std::string::npos ? std::string() : range.substr(colon + 1);
    };
    split(s.auto_training_threshold, "txtAutoTrainingLow", "txtAutoTrainingHigh");
    split(s.netcheck_threshold, "txtNetcheckLow", "txtNetcheckHigh");
    split(s.rbl_threshold, "txtRblLow", "txtRblHigh");
}

platform::TreeNode* frmOrvennaOptions::node(const std::string& key) {
    for (auto& n : controls_["tvwOptions"].nodes)
        if (n.key == key) return &n;
    return nullptr;
}

void frmOrvennaOptions::showPage(const std::string& key) {
    const auto* n = findOptionsNode(key);
    if (!n) return;
    page_ = key;
    controls_["lblPageTitle"].caption = loadString(n->captionId);
    controls_["lblPageText"].caption = loadString(n->descriptionId);
    for (const auto& name : controls_.names()) controls_[name].visible = showsOnPage(name, key);
}

int frmOrvennaOptions::nodeImage(const std::string& key) const {
    for (const auto& n : controls_["tvwOptions"].nodes)
        if (n.key == key) return n.image;
    return 0;
}

void frmOrvennaOptions::tvwOptions_NodeClick(const std::string& key) {
    try {
        const bool toggle = toggleNextClick_;
        toggleNextClick_ = false;
        auto* n = node(key);
        if (!n) return;
        if (toggle && n->image != 0) n->image = n->image == kImageTicked ? kImageCleared : kImageTicked;
        rblInUse_ = blacklistsInUse();
        showPage(key);
        fillSenderList();
    } catch (...) {
        host_.log().logError("tvwOptions_NodeClick");
    }
}

void frmOrvennaOptions::txtThreshold_Change() {
    auto& box = controls_["txtThreshold"];
    if (box.text.empty()) {
        controls_.type("txtThreshold", "0");
        return;
    }
    const auto value = settings::parseDecimalText(box.text);
    if (!value) return;
    const int threshold = static_cast<int>(*value);
    controls_["sldThreshold"].number = std::clamp(threshold, 1, 100);
    const auto choice = strengthFor(threshold);
    if (!choice) return;
    for (int option = 1; option <= kStrengthOptions; ++option) controls_[optionName(option)].value = option == choice->option;
    controls_["lblStrengthDesc"].caption = loadString(choice->descriptionId);
}

void frmOrvennaOptions::sldThreshold_Change() {
    controls_.type("txtThreshold", std::to_string(controls_["sldThreshold"].number));
}

void frmOrvennaOptions::updThreshold_Step(int delta) {
    const auto value = settings::parseDecimalText(controls_["txtThreshold"].text);
    controls_.type("txtThreshold", std::to_string(stepThreshold(value ? static_cast<int>(*value) : 0, delta)));
}

void frmOrvennaOptions::optStrength_GotFocus(int option) {
    controls_.type("txtThreshold", std::to_string(strengthPreset(option)));
}

void frmOrvennaOptions::optStrength_Click(int option) {
    for (int other = 1; other <= kStrengthOptions; ++other) controls_[optionName(other)].value = other == option;
    controls_["lblStrengthDesc"].caption = loadString(strengthNameId(option));
}

void frmOrvennaOptions::cboJunkFolder_Click() {
    try {
        junk_->select(controls_["cboJunkFolder"].listIndex);
        if (junk_->otherSelected()) {
            auto ns = host_.nameSpace();
            auto folder = ns ? ns->PickFolder() : nullptr;
            if (folder) junk_->pickFolder(host_.folderPath(*folder), folder->Name());
        }
        auto& combo = controls_["cboJunkFolder"];
        combo.items = junk_->items();
        combo.listIndex = junk_->selected();
    } catch (...) {
        host_.log().logError("cboJunkFolder_Click");
    }
}

void frmOrvennaOptions::fillSenderList() {
    controls_.clearList("lstEntries");
    if (const int kind = genericKindFor(page_); kind >= 0) {
        // The blacklist servers are a check list: ticked while in use.
        const bool servers = kind == kBlacklistServers;
        controls_["lstEntries"].checkBoxes = servers;
        for (const auto& entry : genericList(host_.settings(), kind))
            controls_.addItem("lstEntries", entry, false, servers && rblInUse_.Exists(entry));
        return;
    }
    auto* lists = host_.senders();
    const SenderPage page = senderPageFor(page_);
    if (!lists || page == SenderPage::none) return;
    for (const auto& entry : senderPageEntries(*lists, page)) controls_.addItem("lstEntries", entry);
}

KeyedSet frmOrvennaOptions::blacklistsInUse() const {
    if (genericKindFor(page_) != kBlacklistServers) return rblInUse_;
    KeyedSet ticked;
    for (const auto& server : controls_.checkedItems("lstEntries")) ticked.insert(server);
    return ticked;
}

void frmOrvennaOptions::openGenericEntry(int kind, const std::string& edited) {
    rblInUse_ = blacklistsInUse();
    frmGenericEntry dialog(host_, kind, edited);
    dialog.onListChanged([this] { fillSenderList(); });
    dialog.show();
    // A ticked server keeps its tick under its new name.
    if (!dialog.renamedTo().empty() && rblInUse_.Exists(edited)) renameInPlace(rblInUse_, edited, dialog.renamedTo());
}

void frmOrvennaOptions::cmdImport_Click() {
    try {
        auto* lists = host_.senders();
        if (!lists) return;
        senders::frmImportAddresses dialog(*lists, host_.platform().ui, host_.log());
        dialog.onListsChanged([this] { fillSenderList(); });
        dialog.Open();
        fillSenderList();
    } catch (...) {
        host_.log().logError("cmdImport_Click");
    }
}

void frmOrvennaOptions::cmdAdd_Click() {
    try {
        if (const int kind = genericKindFor(page_); kind >= 0) openGenericEntry(kind, {});
        else openSenderEntry(host_, senderPageFor(page_), false, {}, [this] { fillSenderList(); });
        fillSenderList();
    } catch (...) {
        host_.log().logError("cmdAdd_Click");
    }
}

void frmOrvennaOptions::cmdEdit_Click() {
    try {
        const auto chosen = controls_.selectedItems("lstEntries");
        const std::string edited = chosen.empty() ? std::string() : chosen.front();
        if (const int kind = genericKindFor(page_); kind >= 0) openGenericEntry(kind + kEditKinds, edited);
        else openSenderEntry(host_, senderPageFor(page_), true, edited, [this] { fillSenderList(); });
        fillSenderList();
    } catch (...) {
        host_.log().logError("cmdEdit_Click");
    }
}

void frmOrvennaOptions::cmdDelete_Click() {
    try {
        auto* lists = host_.senders();
        const auto chosen = controls_.selectedItems("lstEntries");
        if (const int kind = genericKindFor(page_); kind >= 0 && !chosen.empty()) {
            auto& s = host_.settings();
            auto& list = genericList(s, kind);
            for (const auto& entry : chosen) list.erase(entry);
            host_.settingsKey().writeList(list, genericListName(kind));
            if (kind == kBlacklistServers) {
                // A server that is gone is no longer in use, also when the dialog is cancelled.
                rblInUse_ = blacklistsInUse();
                bool wasInUse = false;
                for (const auto& entry : chosen) {
                    rblInUse_.erase(entry);
                    wasInUse = s.rbl_list.erase(entry) || wasInUse;
                }
                if (wasInUse) host_.settingsKey().writeList(s.rbl_list, "rbl_list");
            }
            if (kind != kBlacklistServers) host_.refreshEngineOptions();
        } else if (lists && !chosen.empty()) {
            deleteSenderEntries(*lists, senderPageFor(page_), chosen);
        }
        fillSenderList();
    } catch (...) {
        host_.log().logError("cmdDelete_Click");
    }
}

OptionsEntries frmOrvennaOptions::entries() const {
    OptionsEntries e;
    for (const auto& n : controls_["tvwOptions"].nodes)
        if (n.image != 0) e.images[n.key] = n.image;
    e.threshold = controls_["txtThreshold"].text;
    if (junk_) e.junkPath = junk_->pathToStore();
    e.scanInterval = controls_["txtScanInterval"].text;
    e.autoScanStatus = controls_["chkAutoScanStatus"].value;
    e.countryTld = controls_["chkCountryTld"].value;
    e.proxyServer = controls_["txtProxyServer"].text;
    e.proxyPort = controls_["txtProxyPort"].text;
    e.minTraining = controls_["txtMinTraining"].text;
    e.rblTimeout = controls_["txtRblTimeout"].text;
    e.rblMaxIps = controls_["txtRblMaxIps"].text;
    e.maxWordEntries = controls_["txtMaxWordEntries"].text;
    e.rblMultiHit = controls_["chkRblMultiHit"].value;
    e.autoTrainingLow = controls_["txtAutoTrainingLow"].text;
    e.autoTrainingHigh = controls_["txtAutoTrainingHigh"].text;
    e.netcheckLow = controls_["txtNetcheckLow"].text;
    e.netcheckHigh = controls_["txtNetcheckHigh"].text;
    e.rblLow = controls_["txtRblLow"].text;
    e.rblHigh = controls_["txtRblHigh"].text;
    e.trainingWeight = controls_["txtTrainingWeight"].text;
    // Without the country table the lists stay as stored. The blacklist check list is not on the
    // dialog yet: the servers in use stay, renamed ones included.
    const auto& s = host_.settings();
    const auto* table = host_.countries();
    e.blockedCountries = table ? chosenCountries(controls_, "lstBlockedCountries", *table) : s.blockedCountries;
    e.homeCountries = table ? chosenCountries(controls_, "lstHomeCountries", *table) : s.home_country_list;
    e.rblList = blacklistsInUse();
    return e;
}

void frmOrvennaOptions::countryButton_Click(bool selectAll, bool reset) {
    try {
        const std::string list = countryListOf(page_);
        if (list.empty()) return;
        const auto* table = host_.countries();
        if (reset && table) {
            const auto& s = host_.settings();
            fillCountryList(controls_, list, *table,
                            list == "lstBlockedCountries" ? s.blockedCountries : s.home_country_list);
            return;
        }
        if (!reset) selectAllCountries(controls_, list, selectAll);
    } catch (...) {
        host_.log().logError("countryButton_Click");
    }
}

void frmOrvennaOptions::fillFolders() {
    controls_.clearList("lstFolders");
    auto& list = controls_["lstFolders"];
    list.horizontalExtent = 0;
    auto* scan = host_.autoScan();
    if (!scan) return;
    for (int32_t i = 1; i <= scan->listenerCount(); ++i) controls_.addItem("lstFolders", scan->listener(i)->folderPath());
    // Long folder paths scroll sideways as far as the widest one reaches.
    const auto& ui = host_.platform().ui;
    for (const auto& path : list.items) list.horizontalExtent = std::max(list.horizontalExtent, ui.textWidth(path));
}

void frmOrvennaOptions::cmdAddFolder_Click() {
    try {
        auto* scan = host_.autoScan();
        auto ns = host_.nameSpace();
        auto folder = scan && ns ? ns->PickFolder() : nullptr;
        if (!folder) return;
        int32_t index = 0;
        scan->addListener(folder, index);
        fillFolders();
    } catch (...) {
        host_.log().logError("cmdAddFolder_Click");
    }
}

void frmOrvennaOptions::cmdRemoveFolder_Click() {
    try {
        auto* scan = host_.autoScan();
        const auto& chosen = controls_["lstFolders"].selected;
        const auto at = std::find(chosen.begin(), chosen.end(), true);
        if (!scan || at == chosen.end()) return;
        const auto position = static_cast<int32_t>(at - chosen.begin()) + 1;
        if (position <= scan->listenerCount()) scan->deleteListener(scan->listener(position)->internalIndex());
        fillFolders();
    } catch (...) {
        host_.log().logError("cmdRemoveFolder_Click");
    }
}

void frmOrvennaOptions::cmdOK_Click() {
    try {
        if (int refused = commitOptions(host_, entries())) {
            host_.platform().ui.MsgBox(loadString(refused), platform::vbExclamation, loadString(kTitleId));
            return;
        }
        unload();
    } catch (...) {
        host_.log().logError("cmdOK_Click");
    }
}

void frmOrvennaOptions::cmdCancel_Click() { unload(); }

void frmOrvennaOptions::cmdHelp_Click() {
    try {
        const auto* n = findOptionsNode(page_);
        auto* help = host_.helpWindow();
        if (n && help) help->openTopic(loadString(n->helpTopicId));
    } catch (...) {
        host_.log().logError("cmdHelp_Click");
    }
}

void frmOrvennaOptions::unload() { host_.platform().ui.hideForm(*this); }

}  // namespace tw::options
