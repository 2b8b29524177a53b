// Refuses an empty address or domain with a message.
#include "settings/RequireEntry.h"

#include "core/StringTable.h"

namespace tw::settings {

namespace {
constexpr int kProductTitleId = 134;
}

bool requireEntry(platform::UserInterface& ui, const std::string& text) {
    if (!text.empty()) return true;
    ui.MsgBox("Please enter an address or domain.", platform::vbOKOnly, loadString(kProductTitleId));
    return false;
}

}  // namespace tw::settings
