// The user-interface port's text measuring (per character without a screen, and the widest of several
// texts) and its refusal of a modal form that nobody could see.
#include "platform/UserInterface.h"

#include <algorithm>

#include "core/Error.h"

namespace tw::platform {

int UserInterface::textWidth(const std::string& text) const {
    constexpr int kCharacterTwips = 105;
    int characters = 0;
    // UTF-8 continuation bytes belong to the character before them.
    for (const unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++characters;
    return characters * kCharacterTwips;
}

int UserInterface::widestText(const std::vector<std::string>& texts) const {
    int widest = 0;
    for (const auto& text : texts) widest = std::max(widest, textWidth(text));
    return widest;
}

void refuseModalWithoutWindow(const FormView& form, const std::string& source) {
    throw Error(kNoWindowToWaitOn, source,
                form.formName() + " declares no controls: it has no window, so a modal show of it would never end.");
}

}  // namespace tw::platform
