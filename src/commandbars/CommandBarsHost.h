// The add-in's facts and services the window wrappers, the toolbar and its handlers work with; the add-in object provides them.
#pragma once

#include <cstdint>
#include <memory>

#include "classify/ClassifyHost.h"
#include "diag/CErrorHandler.h"
#include "help/HelpWindow.h"
#include "options/OptionsHost.h"
#include "senders/ApproveBlock.h"
#include "platform/Outlook.h"
#include "platform/Platform.h"
#include "scan/ManualScan.h"
#include "settings/RegistryAccess.h"
#include "settings/Settings.h"

namespace tw::commandbars {

class ExplWrap;
class ExplorerBars;
class InspWrap;

class CommandBarsHost {
public:
    virtual ~CommandBarsHost() = default;

    virtual settings::Settings& settings() = 0;
    virtual settings::SettingsKey settingsKey() = 0;
    virtual platform::Platform& platform() = 0;
    virtual diag::CErrorHandler& log() = 0;
    virtual std::shared_ptr<outlook::Application> application() const = 0;

    /// Tears the add-in down; safe to run more than once.
    virtual void UnInitHandler() = 0;
    /// Take a closing window's wrapper off the add-in's lists; raise when the key names another wrapper.
    virtual void KillExpl(int16_t key, const ExplWrap& wrapper) = 0;
    virtual void KillInsp(int16_t key, const InspWrap& wrapper) = 0;

    /// The approve and block commands.
    virtual senders::ApproveBlock& commands() = 0;
    /// Nothing before start-up made it.
    virtual help::HelpWindow* helpWindow() = 0;
    /// Set by the new-explorer handler until the new window's first selection change.
    virtual bool& newExplorerFlag() = 0;
    /// The explorer toolbar and menu the add-in built, for the wrappers to refresh.
    virtual ExplorerBars* explorerBars() = 0;
    /// The report command of a kind (1 spam, 2 legitimate, 3 fraud, 4 virus) on the active explorer.
    virtual void reportCommand(int32_t kind) = 0;
    /// The message window's report command of a kind on that window's message (asks first when
    /// the user wants that).
    virtual void reportMessageCommand(const std::shared_ptr<outlook::Item>& item, int32_t kind) = 0;
    /// The scan-folder command and the manual scan it runs.
    virtual scan::ManualScan& manualScan() = 0;
    /// What the options dialog works with.
    virtual options::OptionsHost& optionsHost() = 0;
    /// What judging a message works with.
    virtual classify::ClassifyHost& classifyHost() = 0;

protected:
    CommandBarsHost() = default;
    CommandBarsHost(const CommandBarsHost&) = default;
    CommandBarsHost& operator=(const CommandBarsHost&) = default;
};

}  // namespace tw::commandbars
