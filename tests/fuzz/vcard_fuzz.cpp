// Fuzz target for contact files: any bytes read as cards without crashing, every text read is
// UTF-8, the blocks the store cuts a card out by are the cards as read (so deleting a contact
// deletes that card and no other), and a card as the store writes it reads back the same.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzChecks.h"
#include "sim/VCard.h"

namespace {

using tw::fuzz::isUtf8;
using tw::fuzz::require;
using tw::sim::VCardContact;

bool same(const VCardContact& a, const VCardContact& b) {
    return a.fullName == b.fullName && a.emails == b.emails && a.uid == b.uid && a.exchangeName == b.exchangeName &&
           a.isGroup == b.isGroup;
}

void checkText(const VCardContact& card) {
    require(isUtf8(card.fullName) && isUtf8(card.uid) && isUtf8(card.exchangeName), "card texts are UTF-8");
    for (const auto& email : card.emails) require(isUtf8(email) && !email.empty() && email.find('\r') == std::string::npos, "addresses are UTF-8, without a carriage return");
    const auto hasCr = [](const std::string& t) { return t.find('\r') != std::string::npos; };
    require(!hasCr(card.fullName) && !hasCr(card.uid), "no carriage return is left in a value");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (const auto& card : tw::sim::parseVCards(bytes)) checkText(card);

    // The store cuts a card out of the file's text and writes the rest back, as UTF-8.
    const std::string text = tw::sim::vcardText(bytes);
    const std::vector<VCardContact> cards = tw::sim::parseVCards(bytes);
    const auto blocks = tw::sim::vcardBlocks(text);
    require(blocks.size() == cards.size(), "one block for each card");
    // A file with a second byte-order mark after the first would read differently once rewritten.
    const bool rewritable = tw::sim::vcardText(text) == text;
    for (size_t n = 0; rewritable && n < blocks.size() && n < 4; ++n) {
        std::string without = text;
        without.erase(blocks[n].first, blocks[n].second - blocks[n].first);
        const auto left = tw::sim::parseVCards(without);
        require(left.size() + 1 == cards.size(), "cutting a block removes one card");
        for (size_t k = 0; k < left.size(); ++k)
            require(same(left[k], cards[k < n ? k : k + 1]), "cutting a block leaves the other cards as they were");
    }

    // The writer keeps each value on its line, so a card as read writes and reads back the same.
    for (size_t n = 0; n < cards.size() && n < 4; ++n) {
        VCardContact kept;
        kept.fullName = cards[n].fullName;
        kept.emails = cards[n].emails;
        kept.uid = cards[n].uid;
        const auto written = tw::sim::parseVCards(tw::sim::writeVCard(kept));
        require(written.size() == 1 && same(written[0], kept), "a written card reads back as itself");
    }
    return 0;
}
