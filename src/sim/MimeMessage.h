// Internet messages as the simulated store holds them: the header block read eagerly, bodies and
// attachments decoded on demand, and new messages composed, all through the MIME library.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/OleDate.h"

namespace tw::sim {

struct MailAddress {
    std::string name;
    std::string address;
};

struct MailRecipient {
    MailAddress who;
    int type = 1;  // outlook::olTo, olCC or olBCC
};

struct MailAttachment {
    std::string fileName;
    /// The attached message's own bytes for an embedded message, else the decoded content.
    std::string content;
    bool embeddedMessage = false;
};

/// The header block of a message and what is read from it.
struct MessageHeaders {
    bool hasHeaders = false;
    /// The header lines exactly as they arrived, each ending in CR LF (no blank line after them).
    std::string transportHeaders;
    std::string subject;
    std::optional<MailAddress> sender;
    std::vector<MailRecipient> recipients;
    std::optional<OleDate> date;
    /// "IPM.Note", or "IPM.Schedule.Meeting.Request" for a calendar invitation.
    std::string messageClass = "IPM.Note";
};

struct MessageBodies {
    std::string plain;
    /// Empty for a message without an HTML part.
    std::string html;
    std::vector<MailAttachment> attachments;
};

/// What a file in a mail folder holds.
enum class RawKind { Message, Empty, Binary };
RawKind classifyRaw(std::string_view raw);

/// Reads the header block at the start of raw (an mbox "From " line before it is skipped). Text
/// without any header is a message without headers. Never raises.
MessageHeaders parseHeaders(std::string_view raw);
/// Decodes the bodies of a whole message, converted to UTF-8. A broken structure gives what could
/// be read, at worst the raw text after the headers as the plain body. Never raises.
MessageBodies parseBodies(std::string_view raw);

/// A message written by the user (a report, a reply), turned into RFC 5322 text.
struct ComposedMessage {
    MailAddress from;
    std::vector<MailRecipient> recipients;
    std::string subject;
    OleDate date;
    std::string plain;
    std::string html;
    std::vector<MailAttachment> attachments;
};
std::string composeMessage(const ComposedMessage& message);

/// Bytes in a named character set as UTF-8. An unknown or missing character set keeps text that is
/// already UTF-8 and reads anything else as ISO-8859-1, so no byte is dropped; a byte sequence the
/// set does not allow becomes U+FFFD.
std::string toUtf8(std::string_view bytes, std::string_view charset);
/// The readable text of an HTML body: tags dropped, line breaks kept, common entities decoded.
std::string htmlToText(std::string_view html);

/// "Name <address>" or the bare address.
MailAddress parseMailAddress(std::string_view text);

}  // namespace tw::sim
