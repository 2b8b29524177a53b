// The safe mail benchmark's message mix, and the add-in's reads of one message timed part by part.
#include "bench/wine/SafeMailBenchMail.h"

#include <windows.h>

#include <cstdint>

#include "core/Text.h"

namespace tw::bench::safemail {

namespace {

constexpr int kDirectoryUsers = 10;
const char* const kWords[] = {"account", "meeting", "invoice", "the", "of", "offer", "report", "and", "weekly",
                              "please", "project", "free", "order", "review", "for", "today", "update", "with",
                              "schedule", "a", "team", "price", "shipping", "to", "notes", "draft", "in", "limited"};

/// A small generator of its own, so that every run and every build makes the same mail.
class Dice {
public:
    explicit Dice(uint32_t seed) : state_(seed * 2654435761u + 12345u) {}
    uint32_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    int upTo(int n) { return static_cast<int>(next() % static_cast<uint32_t>(n)); }

private:
    uint32_t state_;
};

std::string prose(Dice& dice, size_t size) {
    std::string text;
    text.reserve(size + 80);
    int onLine = 0;
    while (text.size() < size) {
        text += kWords[dice.upTo(static_cast<int>(std::size(kWords)))];
        if (++onLine == 12) {
            text += ".\r\n";
            onLine = 0;
        } else {
            text += ' ';
        }
    }
    return text;
}

std::string html(Dice& dice, size_t size) {
    std::string out = "<html><head><style>p{font-family:Arial}</style></head><body>\r\n";
    while (out.size() < size) out += "<p>" + prose(dice, 200 + static_cast<size_t>(dice.upTo(400))) + "</p>\r\n";
    return out + "</body></html>\r\n";
}

std::string userNumber(int index) {
    return std::to_string(index % kDirectoryUsers);
}

std::string headersOf(const standin::MailSpec& mail, const std::string& boundary, Dice& dice, int index) {
    const std::string from = mail.senderType == "EX" ? smtpSenderOf(mail) : mail.senderAddress;
    std::string h;
    const int hops = 2 + dice.upTo(6);
    for (int i = 0; i < hops; ++i)
        h += "Received: from relay" + std::to_string(i) + ".transit" + std::to_string(dice.upTo(90)) +
             ".example (relay" + std::to_string(i) + ".transit.example [192.0.2." + std::to_string(dice.upTo(250)) +
             "])\r\n\tby mx" + std::to_string(i) + ".home.example with ESMTPS id " + std::to_string(dice.next()) +
             "\r\n\tfor <me@home.example>; Tue, 8 Dec 2026 09:" + std::to_string(10 + i) + ":00 +0000\r\n";
    h += "From: \"" + mail.senderName + "\" <" + from + ">\r\n";
    auto list = [&](const char* name, const std::vector<std::string>& who) {
        if (who.empty()) return;
        h += name;
        for (size_t i = 0; i < who.size(); ++i) h += (i ? ", " : " ") + who[i];
        h += "\r\n";
    };
    list("To:", mail.to);
    list("Cc:", mail.cc);
    h += "Subject: " + mail.subject + "\r\nDate: Tue, 8 Dec 2026 09:00:00 +0000\r\nMessage-ID: <" +
         std::to_string(index) + "." + std::to_string(dice.next()) + "@relay.example>\r\nMIME-Version: 1.0\r\n";
    for (int i = 0, extra = dice.upTo(8); i < extra; ++i)
        h += "X-Filter-Note-" + std::to_string(i) + ": " + prose(dice, 60) + "\r\n";
    h += boundary.empty() ? std::string("Content-Type: text/plain; charset=us-ascii\r\n")
                          : "Content-Type: multipart/alternative; boundary=\"" + boundary + "\"\r\n";
    return h;
}

}  // namespace

std::vector<standin::AddressEntrySpec> directoryUsers() {
    std::vector<standin::AddressEntrySpec> users;
    for (int i = 0; i < kDirectoryUsers; ++i)
        users.push_back({"Staff Member " + userNumber(i), "EX", "/o=corp/ou=first/cn=recipients/cn=staff" + userNumber(i),
                         "staff" + userNumber(i) + "@corp.example"});
    return users;
}

std::string smtpSenderOf(const standin::MailSpec& mail) {
    if (mail.senderType != "EX") return mail.senderAddress;
    return "staff" + mail.senderAddress.substr(mail.senderAddress.rfind("staff") + 5) + "@corp.example";
}

standin::MailSpec benchMail(int index) {
    Dice dice(static_cast<uint32_t>(index) + 1);
    standin::MailSpec mail;
    if (index % 20 == 7) {
        mail.senderType = "EX";
        mail.senderName = "Staff Member " + userNumber(index);
        mail.senderAddress = "/o=corp/ou=first/cn=recipients/cn=staff" + userNumber(index);
    } else {
        mail.senderName = "Sender " + std::to_string(index);
        mail.senderAddress = "sender" + std::to_string(index) + "@domain" + std::to_string(index % 37) + ".example";
    }
    const int recipients = 1 + dice.upTo(5);
    for (int r = 0; r < recipients; ++r) {
        const std::string address = "person" + std::to_string(dice.upTo(500)) + "." + std::to_string(r) + "@home.example";
        const std::string entry = r % 2 ? address : "Person " + std::to_string(r) + " <" + address + ">";
        (r == 0 ? mail.to : r % 3 == 1 ? mail.cc : r % 3 == 2 ? mail.bcc : mail.to).push_back(entry);
    }
    mail.subject = "Message " + std::to_string(index) + ": " + prose(dice, 30);
    mail.subject.erase(mail.subject.find_last_not_of(" .\r\n") + 1);
    const bool large = index % 12 == 5;
    const size_t size = large ? kLargeBody + static_cast<size_t>(dice.upTo(48 * 1024))
                              : 1024 + static_cast<size_t>(dice.upTo(5 * 1024));
    mail.body = prose(dice, size);
    std::string boundary;
    if (index % 10 < 3) {
        boundary = "----=_Part_" + std::to_string(index) + "_" + std::to_string(dice.next());
        mail.htmlBody = html(dice, size + size / 2);
    }
    mail.headers = headersOf(mail, boundary, dice, index);
    mail.unread = index % 5 != 4;
    return mail;
}

double nowMs() {
    static const double perMs = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / perMs;
}

MessageRead readAsTheAddIn(classify::MessageContent& content, const std::shared_ptr<outlook::Item>& item) {
    MessageRead read;
    double start = nowMs();
    read.headers = content.getMessageHeaders(*item);
    double done = nowMs();
    read.headersMs = done - start;
    start = done;
    content.senderaddress(item, read.senderAddress, read.senderName);
    done = nowMs();
    read.senderMs = done - start;
    start = done;
    content.GetRecipientAddresses(item, read.recipients);
    done = nowMs();
    read.recipientsMs = done - start;
    start = done;
    read.body = content.getMessageBody(item, content.boundaryOf(read.headers));
    read.bodyMs = nowMs() - start;
    return read;
}

std::string mismatch(const standin::MailSpec& mail, const MessageRead& read) {
    if (read.headers != mail.headers) return "headers (" + std::to_string(read.headers.size()) + " bytes)";
    if (text::lower(read.senderAddress) != text::lower(smtpSenderOf(mail))) return "sender address " + read.senderAddress;
    if (read.senderName != mail.senderName) return "sender name " + read.senderName;
    KeyedSet expected;
    for (const auto* list : {&mail.to, &mail.cc, &mail.bcc})
        for (const std::string& entry : *list) {
            const size_t open = entry.find('<');
            expected.insert(text::lower(open == std::string::npos ? entry : entry.substr(open + 1, entry.size() - open - 2)));
        }
    if (read.recipients.Keys() != expected.Keys()) return std::to_string(read.recipients.Count()) + " recipients";
    const bool whole = mail.htmlBody.empty() ? read.body == mail.body
                                             : read.body.find(mail.htmlBody) != std::string::npos &&
                                                   read.body.find(mail.body) != std::string::npos;
    if (!whole) return "body (" + std::to_string(read.body.size()) + " bytes)";
    return {};
}

}  // namespace tw::bench::safemail
