// What message reports need from the add-in: the network checks' context, the mail client, the transport, headers, training and the settings summary.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/Connection.h"
#include "net/NetContext.h"
#include "platform/Outlook.h"
#include "platform/SafeMail.h"

namespace tw::net {

class ReportHost {
public:
    virtual ~ReportHost() = default;

    virtual NetContext netContext() = 0;
    /// Ends at teardown; a command that comes back from a modal form asks it before going on.
    virtual ConnectionToken connection() const = 0;
    virtual std::shared_ptr<outlook::Application> application() const = 0;
    /// The MAPI utilities made at start-up; nothing before that.
    virtual std::shared_ptr<safemail::MAPIUtils> reportMapiUtils() = 0;
    /// The message's Internet headers as they are.
    virtual std::string reportHeaders(outlook::Item& item) = 0;
    virtual void trainOnMessage(const std::shared_ptr<outlook::Item>& item, int32_t weight) = 0;
    /// The folder's path as the settings name folders ("\Mailbox\Junk"), to tell the junk folder.
    virtual std::string folderPath(outlook::Folder& folder) = 0;
    /// The short settings text a report carries.
    virtual std::string reportSettingsSummary() = 0;

protected:
    ReportHost() = default;
    ReportHost(const ReportHost&) = default;
    ReportHost& operator=(const ReportHost&) = default;
};

}  // namespace tw::net
