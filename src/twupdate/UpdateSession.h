// One run of twupdate as the user sees it: the check without a window, the download with one, and a message for a refusal.
#pragma once

#include "platform/UserInterface.h"
#include "twupdate/Updater.h"

namespace tw::twupdate {

/// The title of twupdate's windows and messages.
inline constexpr const char* kUpdateTitle = "Tarnwick update";

/// Runs the update on a thread of its own. The progress window opens only once a package is being
/// downloaded (a check that finds nothing shows nothing); closing it cancels. A refusal ends with
/// a message box. Thread rule: the user-interface thread.
UpdateResult runUpdateSession(Updater& updater, platform::UserInterface& ui);

}  // namespace tw::twupdate
