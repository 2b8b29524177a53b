// What can be told of a drawn form window without looking at it: controls that lie outside it,
// controls drawn over one another, and captions or labels cut short.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace tw::sheet {

/// The name of a child window by its control ID; empty for one the form did not declare.
using ControlNamer = std::function<std::string(int id)>;

/// One line per fault found among the window's visible children.
std::vector<std::string> checkWindow(HWND window, const ControlNamer& nameOf);

}  // namespace tw::sheet
