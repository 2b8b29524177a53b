// The add-in's services the options dialog works with; the add-in object provides them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/Connection.h"
#include "diag/CErrorHandler.h"
#include "engineapi/EngineLibrary.h"
#include "help/HelpWindow.h"
#include "platform/Outlook.h"
#include "platform/Platform.h"
#include "scan/AutoScan.h"
#include "senders/Senders.h"
#include "settings/Countries.h"
#include "settings/RegistryAccess.h"
#include "settings/Settings.h"

namespace tw::scan {
class MsgQueue;
}

namespace tw::options {

class OptionsHost {
public:
    virtual ~OptionsHost() = default;

    virtual settings::Settings& settings() = 0;
    virtual settings::SettingsKey settingsKey() = 0;
    virtual platform::Platform& platform() = 0;
    virtual diag::CErrorHandler& log() = 0;
    /// Ends at teardown; a command that comes back from a modal form asks it before going on.
    virtual ConnectionToken connection() const = 0;
    /// Nothing before start-up made them.
    virtual senders::Senders* senders() = 0;
    virtual settings::Countries* countries() = 0;
    virtual scan::AutoScan* autoScan() const = 0;
    virtual engineapi::EngineLibrary& engine() = 0;
    virtual std::shared_ptr<outlook::NameSpace> nameSpace() const = 0;
    /// The folder's path as the settings keep it ("\Personal Folders\Tarnwick").
    virtual std::string folderPath(outlook::Folder& folder) = 0;
    virtual int32_t getEnginePointer() const = 0;
    /// Hands the engine every option again, keeping the same engine.
    virtual void refreshEngineOptions() = 0;
    /// The help viewer's topics; null before start-up made it.
    virtual help::HelpWindow* helpWindow() = 0;
    /// The running Inbox queue, which follows a changed setting at once; null when none runs.
    virtual std::shared_ptr<scan::MsgQueue> inboxQueue() const { return nullptr; }

protected:
    OptionsHost() = default;
    OptionsHost(const OptionsHost&) = default;
    OptionsHost& operator=(const OptionsHost&) = default;
};

}  // namespace tw::options
