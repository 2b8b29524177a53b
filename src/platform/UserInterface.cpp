// The user-interface port's measuring for platforms without a screen of their own, and its refusal
// of a modal form that nobody could see.
#include "platform/UserInterface.h"

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

void refuseModalWithoutWindow(const FormView& form, const std::string& source) {
    throw Error(kNoWindowToWaitOn, source,
                form.formName() + " declares no controls: it has no window, so a modal show of it would never end.");
}

}  // namespace tw::platform
