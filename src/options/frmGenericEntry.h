// The small entry dialog of the IP address lists and the blacklist servers: adds an entry, or
// renames one in place, and stores the list at once.
#pragma once

#include <functional>
#include <string>

#include "core/KeyedSet.h"
#include "options/OptionsHost.h"
#include "platform/FormControls.h"
#include "platform/UserInterface.h"

namespace tw::options {

/// The lists by kind: 0 blocked IPs, 1 ignored IPs, 2 approved IPs, 3 blacklist servers; the same
/// plus 4 in edit mode.
inline constexpr int kBlacklistServers = 3;
inline constexpr int kEditKinds = 4;

/// The list kind a tree node shows (0 to 3); -1 for the other nodes.
int genericKindFor(const std::string& nodeKey);
KeyedSet& genericList(settings::Settings& s, int kind);
/// The registry value the list is stored under.
const char* genericListName(int kind);
/// Puts `to` where `from` stood; when `to` is listed already `from` only goes.
void renameInPlace(KeyedSet& list, const std::string& from, const std::string& to);

class frmGenericEntry : public platform::FormView {
public:
    frmGenericEntry(OptionsHost& host, int kind, std::string edited);

    static const platform::FormDecl& declaration();
    std::string formName() const override { return "frmGenericEntry"; }
    platform::FormControls* controls() override { return &controls_; }

    /// Runs after the list changed, so the options dialog shows it anew.
    void onListChanged(std::function<void()> refresh) { refresh_ = std::move(refresh); }
    /// After an edit that renamed the entry: its new text; empty otherwise.
    const std::string& renamedTo() const { return renamedTo_; }
    void show();
    void cmdOK_Click();
    void cmdCancel_Click();

private:
    void store(int base);
    void unload();

    OptionsHost& host_;
    int kind_;
    std::string edited_;
    std::string renamedTo_;
    platform::FormControls controls_;
    std::function<void()> refresh_;
};

}  // namespace tw::options
