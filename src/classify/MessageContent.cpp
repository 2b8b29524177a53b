// Reads headers, bodies, sender and recipients of a message through the client and the safe route.
#include "classify/MessageContent.h"

#include "core/StringTable.h"
#include "core/Text.h"

namespace tw::classify {

namespace {
constexpr int kProductNameId = 800;
const char* const kAlternativeHeader = "Content-Type: multipart/alternative; boundary=";
const char* const kCrLf = "\r\n";
}  // namespace

std::string safeMailProgId(const std::string& className) {
    std::string product = text::trim(loadString(kProductNameId));
    return product + "Redemption." + product + className;
}

std::string getDomain(const std::string& address) {
    size_t at = address.find('@');
    if (at == std::string::npos) return {};
    std::string rest = address.substr(at + 1);
    size_t second = rest.find('@');
    return second == std::string::npos ? rest : rest.substr(0, second);
}

std::string getMultiPartBoundary(const std::string& headers) {
    size_t at = headers.find(kAlternativeHeader);
    if (at == std::string::npos) return {};
    std::string rest = headers.substr(at + std::string(kAlternativeHeader).size());
    // A line end right at the start leaves no boundary; one character before it is a whole boundary.
    size_t end = rest.find(kCrLf);
    if (end == std::string::npos || end == 0) end = rest.find('\n');
    if (end == std::string::npos || end == 0) return rest;
    return text::replaceAll(rest.substr(0, end), "\"", "");
}

std::shared_ptr<safemail::SafeMailItem> MessageContent::boundSafeItem(const std::shared_ptr<outlook::Item>& item) {
    auto safe = safeMail_.CreateSafeMailItem(safeMailProgId("SafeMailItem"));
    safe->setItem(item);
    return safe;
}

std::string MessageContent::smtpAddressOf(safemail::AddressEntry& entry, const std::string& type) {
    if (type == "SMTP") return entry.Address();
    if (type == "EX") return entry.Fields(safemail::PR_SMTP_ADDRESS).text();
    return {};
}

std::string MessageContent::getMessageHeaders(outlook::Item& item) {
    try {
        if (!utils_) return {};
        std::string headers = utils_->HrGetOneProp(item, safemail::PR_TRANSPORT_MESSAGE_HEADERS).text();
        log_.LogErrorMessage("got message headers of size " + std::to_string(headers.size()));
        return headers;
    } catch (...) {
        log_.logError("getMessageHeaders");
        return {};
    }
}

std::string MessageContent::getMessageBody(const std::shared_ptr<outlook::Item>& item, const std::string& boundary) {
    try {
        auto safe = boundSafeItem(item);
        std::string body;
        if (!boundary.empty()) body = "--" + boundary + kCrLf + "Content-Type: text/html" + kCrLf + kCrLf;
        if (majorVersion_ == 11 || isHighSecurity_) {
            body += safe->HTMLBody();
        } else {
            body += item->HTMLBody();
        }
        if (!boundary.empty()) {
            body += std::string(kCrLf) + kCrLf + "--" + boundary + kCrLf + "Content-Type: text/plain" + kCrLf + kCrLf +
                    safe->Body() + kCrLf + kCrLf + "--" + boundary + "--" + kCrLf;
        } else if (body.empty()) {
            body = safe->Body();
        }
        log_.LogErrorMessage("got message body of size " + std::to_string(body.size()));
        return body;
    } catch (...) {
        log_.logError("getMessageBody");
        return {};
    }
}

void MessageContent::senderaddress(const std::shared_ptr<outlook::Item>& item, std::string& address,
                                   std::string& senderName) {
    try {
        auto safe = boundSafeItem(item);
        std::string type = safe->Fields(safemail::PR_SENDER_ADDRTYPE).text();
        if (auto entry = safe->Sender()) address = smtpAddressOf(*entry, type);
        senderName = safe->SenderName();
    } catch (...) {
        log_.logError("senderaddress");
    }
}

void MessageContent::GetRecipientAddresses(const std::shared_ptr<outlook::Item>& item, KeyedSet& recipients) {
    try {
        auto safe = boundSafeItem(item);
        auto list = safe->Recipients();
        int count = list->Count();
        for (int i = 1; i <= count; ++i) {
            auto entry = list->Item(i)->AddressEntry();
            if (!entry) continue;
            std::string address = smtpAddressOf(*entry, entry->Type());
            if (address.empty()) continue;
            recipients.insert(text::lower(address));
        }
    } catch (...) {
        log_.logError("GetRecipientAddresses");
    }
}

bool MessageContent::isMailItem(outlook::Application& application) {
    try {
        log_.LogErrorMessage("isMailItem()");
        auto explorer = application.ActiveExplorer();
        if (!explorer) return false;
        auto selection = explorer->Selection();
        if (!selection || selection->Count() < 1) return false;
        return selection->Item(1)->Class() == outlook::olMail;
    } catch (...) {
        log_.logError("isMailItem");
        return false;
    }
}

}  // namespace tw::classify
