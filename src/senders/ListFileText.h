// Turning a list file's bytes into text whatever wrote them: UTF-16, UTF-8 or the ANSI code page.
#pragma once

#include <string>
#include <string_view>

namespace tw::senders {

/// The file's text in UTF-8. UTF-16 is recognised by its byte-order mark or, without one, by the
/// zero bytes of its ASCII characters; a UTF-8 byte-order mark is dropped; anything else goes
/// through the ANSI code page, and a line that still is not UTF-8 is read as Latin-1.
std::string decodeListFileBytes(std::string_view bytes);

/// Plain ASCII without zero bytes, which every encoding above but UTF-16 reads as it stands.
bool isPlainAscii(std::string_view bytes);

/// Whether a trimmed, non-empty line can be a sender entry: an address, a domain or a dotted domain.
/// Blanks, control characters, more than one at sign and the punctuation of names, lists and URLs
/// (< > " ( ) , ; : / \) cannot be in one.
bool isListEntry(std::string_view entry);

}  // namespace tw::senders
