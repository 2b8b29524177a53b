// The add-in's facts the mail filter and training work with; the add-in object provides them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/Connection.h"
#include "diag/CErrorHandler.h"
#include "engineapi/EngineLibrary.h"
#include "platform/Outlook.h"
#include "platform/Platform.h"
#include "settings/RegistryAccess.h"
#include "settings/Settings.h"

namespace tw::senders {
class Senders;
}

namespace tw::classify {

class MessageContent;

class ClassifyHost {
public:
    virtual ~ClassifyHost() = default;

    virtual settings::Settings& settings() = 0;
    virtual settings::SettingsKey settingsKey() = 0;
    virtual platform::Platform& platform() = 0;
    virtual diag::CErrorHandler& log() = 0;
    /// The connection a step began in; a step that waited on the user asks it before going on.
    virtual ConnectionToken connection() const = 0;

    virtual engineapi::EngineLibrary& engine() = 0;
    /// 0 while there is no engine.
    virtual int32_t getEnginePointer() const = 0;
    /// Turns the engine's network lookups off while a message is trained (true) and back on (false).
    virtual void enableEngineTrainingSettings(bool enable) = 0;

    /// Nothing until start-up made them.
    virtual MessageContent* content() = 0;
    virtual senders::Senders* senders() = 0;
    virtual std::shared_ptr<outlook::Application> application() const = 0;
    virtual std::shared_ptr<outlook::NameSpace> nameSpace() const = 0;

    /// "\Personal Folders\Inbox" for a folder.
    virtual std::string folderPath(outlook::Folder& folder) = 0;
    /// The folder at a full path, created when asked; nothing when there is none.
    virtual std::shared_ptr<outlook::Folder> folderAtPath(const std::string& path, bool create) = 0;

protected:
    ClassifyHost() = default;
    ClassifyHost(const ClassifyHost&) = default;
    ClassifyHost& operator=(const ClassifyHost&) = default;
};

}  // namespace tw::classify
