// Opens every window of the add-in in turn, each with realistic content, for the camera.
#pragma once

#include "addin/OrvennaOutAddIn.h"
#include "sheet/Camera.h"

namespace tw::sheet {

void takeSheet(Camera& camera, addin::OrvennaOutAddIn& addin);

}  // namespace tw::sheet
