// Adding and renaming IP addresses and blacklist servers.
#include "options/frmGenericEntry.h"

#include "core/StringTable.h"
#include "core/Text.h"

namespace tw::options {

namespace {
using platform::ControlKind;
using platform::control;
constexpr int kOkId = 204, kCancelId = 205, kTitleId = 1120, kNoServerId = 1184, kNoAddressId = 1185,
              kAddressPromptId = 1186, kServerPromptId = 1187;
/// Each list's dialog names what is entered, by kind: blocked, ignored and approved IPs, servers.
constexpr int kKindTitleIds[] = {944, 945, 946, 947};
}  // namespace

int genericKindFor(const std::string& nodeKey) {
    if (nodeKey == "BlockedIP") return 0;
    if (nodeKey == "IgnoreIPs") return 1;
    if (nodeKey == "ApprovedIP") return 2;
    if (nodeKey == "RBLs") return kBlacklistServers;
    return -1;
}

KeyedSet& genericList(settings::Settings& s, int kind) {
    switch (kind % kEditKinds) {
        case 0: return s.blocked_ip_list;
        case 1: return s.ignored_ip_list;
        case 2: return s.approved_ip_list;
        default: return s.allblacklists;
    }
}

const char* genericListName(int kind) {
    static const char* const names[] = {"blocked_ip_list", "ignored_ip_list", "approved_ip_list", "allblacklists"};
    return names[kind % kEditKinds];
}

void renameInPlace(KeyedSet& list, const std::string& from, const std::string& to) {
    const bool merge = list.Exists(to);
    KeyedSet renamed;
    for (const auto& key : list) {
        if (key != from) renamed.insert(key);
        else if (!merge) renamed.insert(to);
    }
    list = renamed;
}

const platform::FormDecl& frmGenericEntry::declaration() {
    static const platform::FormDecl decl{
        "frmGenericEntry", kTitleId, 4800, 2025,
        {
            control(ControlKind::Label, "lblPrompt", 0, 120, 120, 4440, 495),
            control(ControlKind::TextBox, "txtEntry", 0, 120, 720, 4440, 315, 0),
            control(ControlKind::CommandButton, "cmdOK", kOkId, 1320, 1200, 1095, 375, 1, true),
            control(ControlKind::CommandButton, "cmdCancel", kCancelId, 2520, 1200, 1095, 375, 2, false, true),
        }};
    return decl;
}

frmGenericEntry::frmGenericEntry(OptionsHost& host, int kind, std::string edited)
    : host_(host), kind_(kind), edited_(std::move(edited)), controls_(declaration()) {
    controls_.onClick("cmdOK", [this] { cmdOK_Click(); });
    controls_.onClick("cmdCancel", [this] { cmdCancel_Click(); });
    const bool servers = kind_ % kEditKinds == kBlacklistServers;
    if (kind_ >= 0) controls_.caption = loadString(kKindTitleIds[kind_ % kEditKinds]);
    controls_["lblPrompt"].caption = loadString(servers ? kServerPromptId : kAddressPromptId);
    if (kind_ >= kEditKinds) controls_["txtEntry"].text = edited_;
}

void frmGenericEntry::show() { host_.platform().ui.showForm(*this, true); }

void frmGenericEntry::cmdOK_Click() {
    try {
        const int base = kind_ % kEditKinds;
        const std::string entry = text::lower(text::trim(controls_["txtEntry"].text));
        if (entry.empty()) {
            host_.platform().ui.MsgBox(loadString(base == kBlacklistServers ? kNoServerId : kNoAddressId),
                                       platform::vbOKOnly, loadString(kTitleId));
            return;
        }
        auto& s = host_.settings();
        KeyedSet& list = genericList(s, base);
        const bool edit = kind_ >= kEditKinds;
        if (edit && entry == edited_) return unload();
        if (edit && list.Exists(edited_)) {
            // Renamed where it stood; a server in use stays in use under its new name.
            renameInPlace(list, edited_, entry);
            renamedTo_ = entry;
            if (base == kBlacklistServers && s.rbl_list.Exists(edited_)) {
                renameInPlace(s.rbl_list, edited_, entry);
                host_.settingsKey().writeList(s.rbl_list, "rbl_list");
            }
        } else if (!list.Exists(entry)) {
            list.Add(entry);
        } else {
            return unload();
        }
        store(base);
        unload();
    } catch (...) {
        host_.log().logError("cmdOK_Click");
    }
}

void frmGenericEntry::store(int base) {
    host_.settingsKey().writeList(genericList(host_.settings(), base), genericListName(base));
    if (base != kBlacklistServers) host_.refreshEngineOptions();
    if (refresh_) refresh_();
}

void frmGenericEntry::cmdCancel_Click() { unload(); }

void frmGenericEntry::unload() { host_.platform().ui.hideForm(*this); }

}  // namespace tw::options
