// The user-interface port's measuring for platforms without a screen of their own.
#include "platform/UserInterface.h"

namespace tw::platform {

int UserInterface::textWidth(const std::string& text) const {
    constexpr int kCharacterTwips = 105;
    int characters = 0;
    // UTF-8 continuation bytes belong to the character before them.
    for (const unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++characters;
    return characters * kCharacterTwips;
}

}  // namespace tw::platform
