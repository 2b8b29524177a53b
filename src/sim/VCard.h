// Contacts as vCard text (versions 2.1, 3.0 and 4.0): one or many cards in a file, as an address
// book exports them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tw::sim {

struct VCardContact {
    /// FN, or the name put together from N when a card has no FN.
    std::string fullName;
    /// EMAIL lines in the order of the card.
    std::vector<std::string> emails;
    /// UID when the card has one.
    std::string uid;
    /// X-TARNWICK-EX: the directory name of a server-directory user, whose EMAIL is then their
    /// SMTP address (an address book's "EX" entry).
    std::string exchangeName;
    /// KIND:group (or X-ADDRESSBOOKSERVER-KIND:group): a distribution list, which has no address.
    bool isGroup = false;
};

/// Every card of the text, in order; a card without an END line still counts. Lines outside cards
/// are ignored. Accepts a UTF-8 or UTF-16 byte-order mark, folded lines and quoted-printable values.
std::vector<VCardContact> parseVCards(std::string_view text);

/// The text of a contact file as UTF-8 (a UTF-16 file converted, a byte-order mark dropped).
std::string vcardText(std::string_view bytes);

/// Where each card of a text begins and ends (byte offsets; a card runs to the next one's start).
std::vector<std::pair<size_t, size_t>> vcardBlocks(std::string_view text);

/// One card, version 3.0, lines ending in CR LF.
std::string writeVCard(const VCardContact& contact);

}  // namespace tw::sim
