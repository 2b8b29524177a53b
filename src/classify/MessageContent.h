// Turns a mail item into the texts the engine and the sender lists judge: transport headers,
// multipart boundary, composed body, sender and recipients.
#pragma once

#include <memory>
#include <string>

#include "core/KeyedSet.h"
#include "diag/CErrorHandler.h"
#include "platform/Outlook.h"
#include "platform/SafeMail.h"
#include "senders/MessageReader.h"

namespace tw::classify {

/// The ProgID of a safe-mail class in the product's own build of the outside library:
/// "TarnwickRedemption.Tarnwick" + className.
std::string safeMailProgId(const std::string& className);

/// The domain of an address: the text after the first at sign, up to a second one; empty without one.
std::string getDomain(const std::string& address);

/// The boundary of a multipart/alternative message, recognised only in its one exact header form.
std::string getMultiPartBoundary(const std::string& headers);

/// What reading a message needs from the add-in. Every operation traps its errors, logs them under
/// its own name and returns what it had.
class MessageContent : public senders::MessageReader {
public:
    MessageContent(safemail::SafeMail& safeMail, diag::CErrorHandler& log) : safeMail_(safeMail), log_(log) {}

    /// The utilities object kept by the add-in for reading the transport headers; null when absent.
    void setMapiUtils(std::shared_ptr<safemail::MAPIUtils> utils) { utils_ = std::move(utils); }
    /// The HTML body is read through the safe route on version 11 and wherever the client guards it.
    void setVersion(int majorVersion, bool isHighSecurity) {
        majorVersion_ = majorVersion;
        isHighSecurity_ = isHighSecurity;
    }

    std::string getMessageHeaders(outlook::Item& item) override;
    std::string getMessageBody(const std::shared_ptr<outlook::Item>& item, const std::string& boundary) override;
    void senderaddress(const std::shared_ptr<outlook::Item>& item, std::string& address,
                       std::string& senderName) override;
    std::string boundaryOf(const std::string& headers) override { return getMultiPartBoundary(headers); }
    void GetRecipientAddresses(const std::shared_ptr<outlook::Item>& item, KeyedSet& recipients);
    bool isMailItem(outlook::Application& application);

private:
    std::shared_ptr<safemail::SafeMailItem> boundSafeItem(const std::shared_ptr<outlook::Item>& item);
    /// The SMTP address of an entry: its address for "SMTP", its SMTP property for "EX", else empty.
    static std::string smtpAddressOf(safemail::AddressEntry& entry, const std::string& type);

    safemail::SafeMail& safeMail_;
    diag::CErrorHandler& log_;
    std::shared_ptr<safemail::MAPIUtils> utils_;
    int majorVersion_ = 0;
    bool isHighSecurity_ = true;
};

}  // namespace tw::classify
