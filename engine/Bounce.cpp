// A delivery-status notice after RFC 3464; the file appears in the outbox complete or not at all.
#include "Bounce.h"

#include "AddressStore.h"
#include "FileIo.h"
#include "MailDate.h"
#include "MimeMessage.h"
#include "TextUtil.h"

namespace tarn::engine {

namespace {

constexpr size_t kMaxQuotedHeaders = 64 * 1024;

std::string firstAddressIn(std::string_view value) {
    size_t at = value.find('@');
    if (at == std::string_view::npos) return {};
    size_t start = at, end = at + 1;
    auto addressChar = [](char c) { return static_cast<unsigned char>(c) > ' ' && c != '<' && c != '>' && c != ',' && c != '"' && c != '(' && c != ')'; };
    while (start > 0 && addressChar(value[start - 1])) --start;
    while (end < value.size() && addressChar(value[end])) ++end;
    return AddressStore::normalize(value.substr(start, end - start));
}

/// Header lines with bare LF turned into CRLF, cut at a line end, so the quoted part stays well formed.
std::string quotedHeaders(std::string_view headers) {
    if (headers.size() > kMaxQuotedHeaders) {
        headers = headers.substr(0, kMaxQuotedHeaders);
        size_t lastLine = headers.rfind('\n');
        if (lastLine != std::string_view::npos) headers = headers.substr(0, lastLine + 1);
    }
    std::string out;
    out.reserve(headers.size() + 64);
    for (size_t i = 0; i < headers.size(); ++i) {
        char c = headers[i];
        if (c == '\r') continue;
        if (c == '\n') out += "\r\n";
        else if (c != '\0') out.push_back(c);
    }
    while (out.size() >= 2 && out.compare(out.size() - 2, 2, "\r\n") == 0) out.resize(out.size() - 2);
    return out + "\r\n";
}

}  // namespace

bool isAutomaticMail(std::string_view originalHeaders) {
    auto fields = parseHeaderFields(originalHeaders);
    std::string_view autoSubmitted = trim(findHeader(fields, "Auto-Submitted"));
    if (!autoSubmitted.empty() && !equalsNoCase(autoSubmitted, "no")) return true;
    std::string_view returnPath = trim(findHeader(fields, "Return-Path"));
    if (returnPath == "<>") return true;
    std::string_view precedence = trim(findHeader(fields, "Precedence"));
    if (equalsNoCase(precedence, "bulk") || equalsNoCase(precedence, "list") || equalsNoCase(precedence, "junk")) return true;
    std::string from = firstAddressIn(findHeader(fields, "From"));
    return startsWithNoCase(from, "mailer-daemon@") || startsWithNoCase(from, "postmaster@");
}

std::string composeBounce(std::string_view recipient, std::string_view originalHeaders, std::string_view date,
                          std::string_view stamp) {
    auto fields = parseHeaderFields(originalHeaders);
    std::string finalRecipient = firstAddressIn(findHeader(fields, "Delivered-To"));
    if (finalRecipient.empty()) finalRecipient = firstAddressIn(findHeader(fields, "To"));
    std::string domain = "localhost";
    if (size_t at = finalRecipient.rfind('@'); at != std::string::npos) domain = finalRecipient.substr(at + 1);
    std::string boundary = "=_tarn-report-" + std::string(stamp);
    std::string subject(trim(findHeader(fields, "Subject")));
    for (char& c : subject)
        if (c == '\r' || c == '\n') c = ' ';

    std::string m;
    m += "From: Mail Delivery System <MAILER-DAEMON@" + domain + ">\r\n";
    m += "To: <" + std::string(recipient) + ">\r\n";
    m += "Subject: Undelivered Mail Returned to Sender\r\n";
    m += "Date: " + std::string(date) + "\r\n";
    m += "Message-ID: <bounce." + std::string(stamp) + "@" + domain + ">\r\n";
    m += "Auto-Submitted: auto-replied\r\n";
    m += "MIME-Version: 1.0\r\n";
    m += "Content-Type: multipart/report; report-type=delivery-status;\r\n\tboundary=\"" + boundary + "\"\r\n";
    m += "\r\n";
    m += "This is a MIME-encapsulated message.\r\n\r\n";
    m += "--" + boundary + "\r\n";
    m += "Content-Type: text/plain; charset=us-ascii\r\n\r\n";
    m += "Your message";
    if (!subject.empty()) m += " \"" + subject.substr(0, 200) + "\"";
    m += " could not be delivered";
    if (!finalRecipient.empty()) m += " to <" + finalRecipient + ">";
    m += ".\r\nThe recipient does not accept mail from this sender. This is a permanent error.\r\n\r\n";
    m += "--" + boundary + "\r\n";
    m += "Content-Type: message/delivery-status\r\n\r\n";
    m += "Reporting-MTA: dns; " + domain + "\r\n";
    m += "Arrival-Date: " + std::string(date) + "\r\n\r\n";
    if (!finalRecipient.empty()) m += "Final-Recipient: rfc822; " + finalRecipient + "\r\n";
    m += "Action: failed\r\nStatus: 5.7.1\r\nDiagnostic-Code: smtp; 550 5.7.1 Message rejected by recipient\r\n\r\n";
    m += "--" + boundary + "\r\n";
    m += "Content-Type: text/rfc822-headers\r\n\r\n";
    m += quotedHeaders(originalHeaders);
    m += "\r\n--" + boundary + "--\r\n";
    return m;
}

BounceResult bounceToOutbox(const std::string& outboxFolder, std::string_view recipient,
                            std::string_view originalHeaders) {
    std::string address = AddressStore::normalize(recipient);
    if (address.empty()) return BounceResult::BadRecipient;
    if (isAutomaticMail(originalHeaders)) return BounceResult::Suppressed;
    if (!ensureDirectory(outboxFolder)) return BounceResult::WriteFailed;
    std::string stamp = uniqueStamp();
    std::string message = composeBounce(address, originalHeaders, currentMailDate(), stamp);
    if (!replaceFileAtomically(joinPath(outboxFolder, "bounce-" + stamp + ".eml"), message))
        return BounceResult::WriteFailed;
    return BounceResult::Queued;
}

}  // namespace tarn::engine
