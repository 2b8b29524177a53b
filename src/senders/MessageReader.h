// What the sender lists read of a message: its sender, headers and body; the message reader of the add-in provides it.
#pragma once

#include <memory>
#include <string>

#include "platform/Outlook.h"

namespace tw::senders {

/// Each operation traps its own errors and answers what it could read.
class MessageReader {
public:
    virtual ~MessageReader() = default;
    virtual std::string getMessageHeaders(outlook::Item& item) = 0;
    virtual std::string getMessageBody(const std::shared_ptr<outlook::Item>& item, const std::string& boundary) = 0;
    virtual void senderaddress(const std::shared_ptr<outlook::Item>& item, std::string& address,
                               std::string& senderName) = 0;
    /// The multipart boundary named in a message's headers ("" when none).
    virtual std::string boundaryOf(const std::string& headers) = 0;

protected:
    MessageReader() = default;
    MessageReader(const MessageReader&) = default;
    MessageReader& operator=(const MessageReader&) = default;
};

}  // namespace tw::senders
