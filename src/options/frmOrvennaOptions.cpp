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
constexpr int kNotAvailableId = 1102;
constexpr int kCountryTldId = 1176, kIntervalLabelId = 1177, kStatusWindowId = 1178, kImportId = 1179,
              kJunkLabelId = 1180, kAddId = 1181, kEditId = 1182, kDeleteId = 1183,
              kSelectAllId = 1188, kClearAllId = 1189, kResetId = 1190;
constexpr int kHelpId = 1233, kProxyServerId = 1234, kProxyPortId = 1235, kMinTrainingId = 1236,
              kMaxWordEntriesId = 1237, kTrainingWeightId = 1238, kRblTimeoutId = 1239, kRblMaxIpsId = 1240,
              kRblMultiHitId = 1241, kAutoTrainingId = 1242, kNetcheckId = 1243, kRblId = 1244;

/// The list of sender or address entries a page shows: the servers' tick list or the plain list.
std::string entryListOf(const std::string& page) {
    return genericKindFor(page) == kBlacklistServers ? "lstServers" : "lstEntries";
}

/// The country tick list a page shows; empty for the other pages.
std::string countryListOf(const std::string& page) {
    if (page == "CountryBlocking") return "lstBlockedCountries";
    if (page == "IgnoredCountries") return "lstHomeCountries";
    return {};
}
constexpr int kStrengthOptions = 4;

std::string optionName(int option) { return "optStrength" + std::to_string(option); }
}  // namespace

const platform::FormDecl& frmOrvennaOptions::declaration() {
    // The tree on the left is wide enough for its longest caption; the right side holds every
    // page's controls, of which only the page shown and the common ones are visible. The focus runs
    // from the tree through the page shown, top left first, to OK, Cancel and Help.
    constexpr int L = 5400;       // the left of the pages
    constexpr int B = L + 4680;   // the left of a list page's buttons
    constexpr int F = L + 3000;   // the left of the expert fields
    static const platform::FormDecl decl{
        "frmOrvennaOptions", kFormCaptionId, 11520, 7200,
        {
            control(ControlKind::TreeView, "tvwOptions", 0, 120, 120, 5100, 6960, 0),
            control(ControlKind::Label, "lblPageTitle", 0, L, 120, 6000, 300),
            control(ControlKind::Label, "lblPageText", 0, L, 480, 6000, 720),
            // The spam filter strength.
            control(ControlKind::OptionButton, "optStrength1", 1150, L, 1260, 1400, 300, 1),
            control(ControlKind::OptionButton, "optStrength2", 1151, L + 1500, 1260, 1400, 300, 2),
            control(ControlKind::OptionButton, "optStrength3", 1152, L + 3000, 1260, 1400, 300, 3),
            control(ControlKind::OptionButton, "optStrength4", 1153, L + 4500, 1260, 1400, 300, 4),
            control(ControlKind::TextBox, "txtThreshold", 0, L, 1680, 600, 315, 5),
            control(ControlKind::UpDown, "updThreshold", 0, L + 600, 1680, 255, 315),
            control(ControlKind::Slider, "sldThreshold", 0, L + 960, 1680, 5040, 420, 6),
            control(ControlKind::Label, "lblStrengthDesc", 0, L, 2220, 6000, 1500),
            // The junk destination.
            control(ControlKind::Label, "lblJunkFolder", kJunkLabelId, L, 1305, 1400, 300),
            control(ControlKind::ComboBox, "cboJunkFolder", 0, L + 1500, 1260, 4500, 315, 7),
            // The list pages; the blacklist servers' list ticks the servers in use.
            control(ControlKind::ListBox, "lstEntries", 0, L, 1260, 4500, 5325, 8, false, false, true),
            platform::checkList("lstServers", L, 1260, 4500, 5325, 9, true),
            control(ControlKind::CommandButton, "cmdAdd", kAddId, B, 1260, 1320, 375, 10),
            control(ControlKind::CommandButton, "cmdEdit", kEditId, B, 1740, 1320, 375, 11),
            control(ControlKind::CommandButton, "cmdDelete", kDeleteId, B, 2220, 1320, 375, 12),
            control(ControlKind::CommandButton, "cmdImport", kImportId, B, 2700, 1320, 375, 13),
            // The country tick lists and the country suffix.
            platform::checkList("lstBlockedCountries", L, 1260, 4500, 4800, 14),
            platform::checkList("lstHomeCountries", L, 1260, 4500, 5325, 15),
            control(ControlKind::CommandButton, "cmdSelectAll", kSelectAllId, B, 1260, 1320, 375, 16),
            control(ControlKind::CommandButton, "cmdClearAll", kClearAllId, B, 1740, 1320, 375, 17),
            control(ControlKind::CommandButton, "cmdReset", kResetId, B, 2220, 1320, 375, 18),
            control(ControlKind::CheckBox, "chkCountryTld", kCountryTldId, L, 6210, 6000, 300, 19),
            // The folder scan and the folders it watches.
            control(ControlKind::Label, "lblScanInterval", kIntervalLabelId, L, 1305, 2400, 300),
            control(ControlKind::TextBox, "txtScanInterval", 0, L + 2500, 1260, 800, 315, 20),
            control(ControlKind::CheckBox, "chkAutoScanStatus", kStatusWindowId, L, 1680, 6000, 300, 21),
            control(ControlKind::ListBox, "lstFolders", 0, L, 2100, 4500, 4485, 22),
            control(ControlKind::CommandButton, "cmdAddFolder", kAddId, B, 2100, 1320, 375, 23),
            control(ControlKind::CommandButton, "cmdRemoveFolder", kDeleteId, B, 2580, 1320, 375, 24),
            // The proxy server.
            control(ControlKind::Label, "lblProxyServer", kProxyServerId, L, 1305, 1400, 300),
            control(ControlKind::TextBox, "txtProxyServer", 0, L + 1500, 1260, 3600, 315, 25),
            control(ControlKind::Label, "lblProxyPort", kProxyPortId, L, 1725, 1400, 300),
            control(ControlKind::TextBox, "txtProxyPort", 0, L + 1500, 1680, 1000, 315, 26),
            // The training fields.
            control(ControlKind::Label, "lblMinTraining", kMinTrainingId, L, 1305, 2900, 300),
            control(ControlKind::TextBox, "txtMinTraining", 0, F, 1260, 1000, 315, 27),
            control(ControlKind::Label, "lblMaxWordEntries", kMaxWordEntriesId, L, 1725, 2900, 300),
            control(ControlKind::TextBox, "txtMaxWordEntries", 0, F, 1680, 1000, 315, 28),
            control(ControlKind::Label, "lblTrainingWeight", kTrainingWeightId, L, 2145, 2900, 300),
            control(ControlKind::TextBox, "txtTrainingWeight", 0, F, 2100, 1000, 315, 29),
            // The blacklist expert values.
            control(ControlKind::Label, "lblRblTimeout", kRblTimeoutId, L, 1305, 2900, 300),
            control(ControlKind::TextBox, "txtRblTimeout", 0, F, 1260, 1000, 315, 30),
            control(ControlKind::Label, "lblRblMaxIps", kRblMaxIpsId, L, 1725, 2900, 300),
            control(ControlKind::TextBox, "txtRblMaxIps", 0, F, 1680, 1000, 315, 31),
            control(ControlKind::CheckBox, "chkRblMultiHit", kRblMultiHitId, L, 2100, 6000, 300, 32),
            // The expert score ranges: low and high side by side after a label wide enough for one line.
            control(ControlKind::Label, "lblAutoTraining", kAutoTrainingId, L, 1305, 3400, 300),
            control(ControlKind::TextBox, "txtAutoTrainingLow", 0, L + 3500, 1260, 700, 315, 33),
            control(ControlKind::TextBox, "txtAutoTrainingHigh", 0, L + 4320, 1260, 700, 315, 34),
            control(ControlKind::Label, "lblNetcheck", kNetcheckId, L, 1725, 3400, 300),
            control(ControlKind::TextBox, "txtNetcheckLow", 0, L + 3500, 1680, 700, 315, 35),
            control(ControlKind::TextBox, "txtNetcheckHigh", 0, L + 4320, 1680, 700, 315, 36),
            control(ControlKind::Label, "lblRbl", kRblId, L, 2145, 3400, 300),
            control(ControlKind::TextBox, "txtRblLow", 0, L + 3500, 2100, 700, 315, 37),
            control(ControlKind::TextBox, "txtRblHigh", 0, L + 4320, 2100, 700, 315, 38),
            control(ControlKind::CommandButton, "cmdOK", kOkId, 7515, 6705, 1215, 375, 40, true),
            control(ControlKind::CommandButton, "cmdCancel", kCancelId, 8850, 6705, 1215, 375, 41, false, true),
            control(ControlKind::CommandButton, "cmdHelp", kHelpId, 10185, 6705, 1215, 375, 42),
        }};
    return decl;
}

frmOrvennaOptions::frmOrvennaOptions(OptionsHost& host)
    : host_(host), ui_(host.platform().ui), connection_(host.connection()), controls_(declaration()) {
    controls_.on("tvwOptions", "MouseDown", guarded([this] { tvwOptions_MouseDown(controls_["tvwOptions"].number == 1); }));
    controls_.on("tvwOptions", "NodeClick", guarded([this] { tvwOptions_NodeClick(controls_["tvwOptions"].text); }));
    controls_.on("txtThreshold", "Change", guarded([this] { txtThreshold_Change(); }));
    controls_.on("sldThreshold", "Change", guarded([this] { sldThreshold_Change(); }));
    controls_.on("updThreshold", "UpClick", guarded([this] { updThreshold_Step(1); }));
    controls_.on("updThreshold", "DownClick", guarded([this] { updThreshold_Step(-1); }));
    for (int option = 1; option <= kStrengthOptions; ++option)
        controls_.onClick(optionName(option), guarded([this, option] { optStrength_Click(option); }));
    controls_.on("cboJunkFolder", "Click", guarded([this] { cboJunkFolder_Click(); }));
    controls_.onClick("cmdImport", guarded([this] { cmdImport_Click(); }));
    controls_.onClick("cmdAdd", guarded([this] { cmdAdd_Click(); }));
    controls_.onClick("cmdEdit", guarded([this] { cmdEdit_Click(); }));
    controls_.onClick("cmdDelete", guarded([this] { cmdDelete_Click(); }));
    controls_.onClick("cmdSelectAll", guarded([this] { countryButton_Click(true, false); }));
    controls_.onClick("cmdClearAll", guarded([this] { countryButton_Click(false, false); }));
    controls_.onClick("cmdReset", guarded([this] { countryButton_Click(false, true); }));
    controls_.onClick("cmdAddFolder", guarded([this] { cmdAddFolder_Click(); }));
    controls_.onClick("cmdRemoveFolder", guarded([this] { cmdRemoveFolder_Click(); }));
    controls_.onClick("cmdOK", guarded([this] { cmdOK_Click(); }));
    controls_.onClick("cmdCancel", guarded([this] { cmdCancel_Click(); }));
    controls_.onClick("cmdHelp", guarded([this] { cmdHelp_Click(); }));
}

std::function<void()> frmOrvennaOptions::guarded(std::function<void()> handler) {
    // The client may tear the add-in down while this dialog, or one it opened, is up: then it only closes.
    return [this, handler = std::move(handler)] {
        if (connection_.alive()) handler();
        else unload();
    };
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

void frmOrvennaOptions::optStrength_Click(int option) {
    // Choosing a preset (a click, or an arrow key that moves the choice) applies it; the focus
    // alone, as Tab passes through the page, changes nothing.
    controls_.type("txtThreshold", std::to_string(strengthPreset(option)));
    for (int other = 1; other <= kStrengthOptions; ++other) controls_[optionName(other)].value = other == option;
    controls_["lblStrengthDesc"].caption = loadString(strengthNameId(option));
}

void frmOrvennaOptions::cboJunkFolder_Click() {
    try {
        junk_->select(controls_["cboJunkFolder"].listIndex);
        if (junk_->otherSelected()) {
            auto ns = host_.nameSpace();
            auto folder = ns ? ns->PickFolder() : nullptr;
            if (!connection_.alive()) return;
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
    // Also runs when an entry dialog opened from here returns, perhaps after the add-in was torn down.
    if (!connection_.alive()) return;
    const std::string name = entryListOf(page_);
    controls_.clearList(name);
    if (const int kind = genericKindFor(page_); kind >= 0) {
        // The blacklist servers' tick list: ticked while in use.
        for (const auto& entry : genericList(host_.settings(), kind))
            controls_.addItem(name, entry, false, kind == kBlacklistServers && rblInUse_.Exists(entry));
    } else if (auto* lists = host_.senders(); lists && senderPageFor(page_) != SenderPage::none) {
        for (const auto& entry : senderPageEntries(*lists, senderPageFor(page_))) controls_.addItem(name, entry);
    }
    // Long addresses scroll sideways as far as the widest one reaches.
    auto& list = controls_[name];
    list.horizontalExtent = host_.platform().ui.widestText(list.items);
}

KeyedSet frmOrvennaOptions::blacklistsInUse() const {
    if (genericKindFor(page_) != kBlacklistServers) return rblInUse_;
    KeyedSet ticked;
    for (const auto& server : controls_.checkedItems(entryListOf(page_))) ticked.insert(server);
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
        const auto chosen = controls_.selectedItems(entryListOf(page_));
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
        const auto chosen = controls_.selectedItems(entryListOf(page_));
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
    // Without the country table the lists stay as stored. The servers in use are the ticks as the
    // servers' list was last left, renamed servers included.
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
        if (!reset) tickAllCountries(controls_, list, selectAll);
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
    // A folder whose store has not come back is still watched; the user sees it marked and may drop it.
    for (const auto& pending : scan->pendingFolders())
        controls_.addItem("lstFolders", (pending.path.empty() ? pending.entryID : pending.path) + loadString(kNotAvailableId));
    // Long folder paths scroll sideways as far as the widest one reaches.
    list.horizontalExtent = host_.platform().ui.widestText(list.items);
}

void frmOrvennaOptions::cmdAddFolder_Click() {
    try {
        auto* scan = host_.autoScan();
        auto ns = host_.nameSpace();
        auto folder = scan && ns ? ns->PickFolder() : nullptr;
        // The watched folders went with a teardown while the picker was open.
        if (!folder || !connection_.alive()) return;
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
        else scan->deletePendingFolder(static_cast<size_t>(position - scan->listenerCount() - 1));
        fillFolders();
    } catch (...) {
        host_.log().logError("cmdRemoveFolder_Click");
    }
}

void frmOrvennaOptions::cmdOK_Click() {
    if (!connection_.alive()) return unload();
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

void frmOrvennaOptions::unload() { ui_.hideForm(*this); }

}  // namespace tw::options
