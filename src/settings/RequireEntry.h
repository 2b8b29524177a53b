// The check of the address-entry dialogs that something was typed.
#pragma once

#include <string>

#include "platform/UserInterface.h"

namespace tw::settings {

/// True for a non-empty text; otherwise tells the user "Please enter an address or domain." and gives false.
bool requireEntry(platform::UserInterface& ui, const std::string& text);

}  // namespace tw::settings
