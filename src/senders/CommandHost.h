// The add-in's facts and services the approve and block commands work with; the add-in object provides them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/Connection.h"
#include "core/KeyedSet.h"
#include "diag/CErrorHandler.h"
#include "platform/Outlook.h"
#include "platform/Platform.h"
#include "settings/Countries.h"
#include "settings/RegistryAccess.h"
#include "settings/Settings.h"

namespace tw::senders {

class Senders;

/// Report kinds of the network service.
enum ReportKind : int32_t { reportSpam = 1, reportLegitimate = 2, reportFraud = 3, reportVirus = 4 };

class CommandHost {
public:
    virtual ~CommandHost() = default;

    virtual settings::Settings& settings() = 0;
    virtual settings::SettingsKey settingsKey() = 0;
    virtual platform::Platform& platform() = 0;
    virtual diag::CErrorHandler& log() = 0;
    /// Ends at teardown; a command that comes back from a modal form asks it before going on.
    virtual ConnectionToken connection() const = 0;
    /// Nothing until start-up made them.
    virtual Senders* senders() = 0;
    virtual settings::Countries* countries() = 0;
    virtual std::shared_ptr<outlook::Application> application() const = 0;
    virtual std::shared_ptr<outlook::NameSpace> nameSpace() const = 0;
    virtual std::string folderPath(outlook::Folder& folder) = 0;

    // What the filter and training do with one message.
    /// The sender's address as the filter reads it ("" when there is none).
    virtual std::string senderAddressOf(const std::shared_ptr<outlook::Item>& item) = 0;
    /// Adds the countries the engine finds in the message.
    virtual void getMessageCountries(const std::shared_ptr<outlook::Item>& item, KeyedSet& countries) = 0;
    virtual void trainOnMessage(const std::shared_ptr<outlook::Item>& item, int32_t weight) = 0;
    virtual bool hasReachedMinimumTraining() = 0;
    virtual void checkIfUserWantsMinTraining() = 0;
    virtual bool isJunkMail(const std::shared_ptr<outlook::Item>& item) = 0;
    virtual void processJunkMail(const std::shared_ptr<outlook::Item>& item) = 0;
    /// Hands messages to the network service's report of that kind.
    virtual void reportMessages(const std::vector<std::shared_ptr<outlook::Item>>& items, int32_t kind) = 0;
    /// Hands the engine the options again after a setting it uses changed.
    virtual void refreshEngineOptions() = 0;

protected:
    CommandHost() = default;
    CommandHost(const CommandHost&) = default;
    CommandHost& operator=(const CommandHost&) = default;
};

}  // namespace tw::senders
