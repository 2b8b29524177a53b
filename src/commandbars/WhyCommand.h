// The "Why was this message judged so?" command of the main and message windows.
#pragma once

#include <functional>
#include <memory>

#include "platform/Outlook.h"

namespace tw::commandbars {

class CommandBarsHost;

/// Judges `item` now and shows why in the "Why?" window. The window's approve and block buttons
/// run `approve` or `block` after it closed: the same commands as the window's own menu entries.
/// Never raises.
void showWhyWindow(CommandBarsHost& host, const std::shared_ptr<outlook::Item>& item, const std::function<void()>& approve,
                   const std::function<void()>& block);

}  // namespace tw::commandbars
