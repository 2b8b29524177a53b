// Opens every window of the add-in in turn, each with realistic content, for the camera.
#pragma once

#include <string>

#include "addin/OrvennaOutAddIn.h"
#include "sheet/Camera.h"

namespace tw::sheet {

void takeSheet(Camera& camera, addin::OrvennaOutAddIn& addin);
/// The "Why?" window over messages of the sheet's Inbox.
void whyWindows(Camera& camera, addin::OrvennaOutAddIn& addin);
/// twupdate's windows, from a release service of the sheet's own; nothing is saved in `downloadFolder`.
void updateWindows(Camera& camera, const std::string& downloadFolder);

}  // namespace tw::sheet
