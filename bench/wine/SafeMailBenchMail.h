// The safe mail benchmark's messages (a day's mix of new mail) and one message read as the add-in reads it.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "classify/MessageContent.h"
#include "standin/StandInClient.h"

namespace tw::bench::safemail {

/// Bodies of this many characters or more are read through a stream (the store hands them out no other way).
inline constexpr size_t kLargeBody = 40 * 1024;

/// Message `index` of the mix: plain and HTML (multipart/alternative) bodies of a few KB, every 12th
/// over kLargeBody, every 20th from a directory (EX) sender, 1-5 recipients over To, Cc and Bcc,
/// headers of 1-3 KB; every 5th is read. The same index always gives the same message.
standin::MailSpec benchMail(int index);

/// The directory users behind the EX senders: an address book for StandInClient::addAddressBook.
std::vector<standin::AddressEntrySpec> directoryUsers();

/// The Internet address an EX sender of benchMail resolves to; the address itself for SMTP.
std::string smtpSenderOf(const standin::MailSpec& mail);

/// What the add-in reads of a message, and how long each part took (ms).
struct MessageRead {
    std::string headers, senderAddress, senderName, body;
    KeyedSet recipients;
    double headersMs = 0, senderMs = 0, recipientsMs = 0, bodyMs = 0;
    double totalMs() const { return headersMs + senderMs + recipientsMs + bodyMs; }
};

/// Reads headers, sender, recipients and body in the add-in's order, through its own message reader.
MessageRead readAsTheAddIn(classify::MessageContent& content, const std::shared_ptr<outlook::Item>& item);

/// Empty when the read is what the message holds; else what differs.
std::string mismatch(const standin::MailSpec& mail, const MessageRead& read);

/// Milliseconds on the performance counter.
double nowMs();

}  // namespace tw::bench::safemail
