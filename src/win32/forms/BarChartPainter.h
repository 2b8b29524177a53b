// Drawing a bar chart control: groups of bars per x label, a baseline, the labels and a legend.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/FormControls.h"

namespace tw::win32::forms {

/// What the chart shows, row by row, so a redraw happens only when the labels or values changed.
std::vector<std::wstring> chartRows(const platform::ControlState& state);

/// Paints the chart into `area` of `dc` with `font` (the form's): a white field in a thin frame,
/// the legend on top, one group of bars per label scaled to the largest value, and the labels
/// under as many groups as they fit under without overlapping.
void paintBarChart(HDC dc, const RECT& area, HFONT font, const platform::ControlState& state);

}  // namespace tw::win32::forms
