// The add-in's facts the message queues work with, beyond those of the filter; the add-in object provides them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "classify/ClassifyHost.h"
#include "core/OleDate.h"
#include "scan/NetworkCheck.h"

namespace tw::scan {

class MsgQueue;

class ScanHost : public classify::ClassifyHost, public NetworkCheck {
public:
    /// When the Inbox last reported new mail.
    virtual OleDate lastItemAdd() const = 0;
    virtual void setLastItemAdd(OleDate when) = 0;
    /// The mail client's major version.
    virtual int32_t outlookVersion() const = 0;
    /// The per-user data folder ("" when none was found).
    virtual const std::string& dataFolder() const = 0;
    /// The Inbox queue; nothing before start-up made it or after teardown.
    virtual std::shared_ptr<MsgQueue> inboxQueue() const = 0;
};

}  // namespace tw::scan
