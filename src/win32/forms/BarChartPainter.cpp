// Painting the bar chart control with GDI.
#include "win32/forms/BarChartPainter.h"

#include <algorithm>

#include "win32/TextEncoding.h"

namespace tw::win32::forms {

namespace {

constexpr int kPad = 6;
constexpr COLORREF kSeriesColours[] = {RGB(31, 119, 180), RGB(255, 127, 14), RGB(214, 39, 40), RGB(44, 160, 44)};
constexpr COLORREF kFrame = RGB(160, 160, 160);
constexpr COLORREF kGrid = RGB(225, 225, 225);
constexpr COLORREF kInk = RGB(0, 0, 0);

COLORREF colourOf(size_t series) { return kSeriesColours[series % (sizeof kSeriesColours / sizeof kSeriesColours[0])]; }

void fill(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
    RECT r{left, top, right, bottom};
    SetBkColor(dc, colour);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

SIZE measure(HDC dc, const std::wstring& text) {
    SIZE size{0, 0};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

void write(HDC dc, int x, int y, const std::wstring& text) {
    TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

}  // namespace

std::vector<std::wstring> chartRows(const platform::ControlState& state) {
    std::vector<std::wstring> rows;
    for (const auto& item : state.items) rows.push_back(toWide(item));
    for (const auto& series : state.series) {
        std::wstring row = toWide(series.name);
        for (int value : series.values) row += L':' + std::to_wstring(value);
        rows.push_back(row);
    }
    return rows;
}

void paintBarChart(HDC dc, const RECT& area, HFONT font, const platform::ControlState& state) {
    const int saved = SaveDC(dc);
    if (font != nullptr) SelectObject(dc, font);
    SetTextColor(dc, kInk);
    fill(dc, area.left, area.top, area.right, area.bottom, kFrame);
    fill(dc, area.left + 1, area.top + 1, area.right - 1, area.bottom - 1, RGB(255, 255, 255));
    SetBkMode(dc, TRANSPARENT);

    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const int lineHeight = std::max(1, static_cast<int>(metrics.tmHeight));

    int largest = 0;
    for (const auto& series : state.series)
        for (int value : series.values) largest = std::max(largest, value);
    const std::wstring top = std::to_wstring(largest), zero = L"0";
    const int scaleWidth = std::max(measure(dc, top).cx, measure(dc, zero).cx);

    const int plotLeft = area.left + kPad + scaleWidth + 4;
    const int plotRight = area.right - kPad - 1;
    const int legendTop = area.top + kPad;
    const int plotTop = legendTop + lineHeight + kPad + lineHeight / 2;
    const int labelsTop = area.bottom - kPad - lineHeight;
    const int baseline = labelsTop - 3;
    if (plotRight <= plotLeft || baseline <= plotTop) {
        RestoreDC(dc, saved);
        return;
    }

    // The legend: a swatch of each series' colour and its name.
    int x = plotLeft;
    const int swatch = std::max(6, lineHeight - 5);
    for (size_t s = 0; s < state.series.size(); ++s) {
        const int swatchTop = legendTop + (lineHeight - swatch) / 2;
        fill(dc, x, swatchTop, x + swatch, swatchTop + swatch, colourOf(s));
        x += swatch + 4;
        const std::wstring name = toWide(state.series[s].name);
        write(dc, x, legendTop, name);
        x += measure(dc, name).cx + 3 * kPad;
    }

    // The scale: the largest value level with its grid line, 0 at the baseline.
    if (largest > 0) {
        fill(dc, plotLeft, plotTop, plotRight, plotTop + 1, kGrid);
        write(dc, plotLeft - 4 - measure(dc, top).cx, plotTop - lineHeight / 2, top);
    }
    write(dc, plotLeft - 4 - measure(dc, zero).cx, baseline - lineHeight / 2, zero);
    fill(dc, plotLeft, baseline, plotRight, baseline + 1, kInk);

    const int groups = static_cast<int>(state.items.size());
    if (groups == 0) {
        RestoreDC(dc, saved);
        return;
    }
    const int groupWidth = (plotRight - plotLeft) / groups;
    const int seriesCount = std::max(1, static_cast<int>(state.series.size()));
    const int barWidth = std::max(2, (groupWidth * 3 / 4) / seriesCount);
    const int barsLeftInGroup = (groupWidth - barWidth * seriesCount) / 2;
    const int plotHeight = baseline - plotTop;
    for (int g = 0; g < groups; ++g) {
        for (int s = 0; s < static_cast<int>(state.series.size()); ++s) {
            const auto& values = state.series[static_cast<size_t>(s)].values;
            const int value = static_cast<size_t>(g) < values.size() ? values[static_cast<size_t>(g)] : 0;
            if (value <= 0 || largest <= 0) continue;
            // Any count at all shows, however small beside the largest.
            const int height = std::max(1, MulDiv(value, plotHeight, largest));
            const int left = plotLeft + g * groupWidth + barsLeftInGroup + s * barWidth;
            fill(dc, left, baseline - height, left + barWidth, baseline, colourOf(static_cast<size_t>(s)));
        }
    }

    // The labels under every group they fit under, counted back from the newest so it always has one.
    int widest = 0;
    for (const auto& item : state.items) widest = std::max(widest, static_cast<int>(measure(dc, toWide(item)).cx));
    int step = 1;
    while (step < groups && step * groupWidth < widest + kPad) ++step;
    for (int g = groups - 1; g >= 0; g -= step) {
        const std::wstring label = toWide(state.items[static_cast<size_t>(g)]);
        const int width = static_cast<int>(measure(dc, label).cx);
        const int centre = plotLeft + g * groupWidth + groupWidth / 2;
        const int lowest = static_cast<int>(area.left) + kPad;
        const int left = std::clamp(centre - width / 2, lowest, std::max(lowest, static_cast<int>(area.right) - kPad - width));
        fill(dc, centre, baseline + 1, centre + 1, baseline + 3, kInk);
        write(dc, left, labelsTop, label);
    }
    RestoreDC(dc, saved);
}

}  // namespace tw::win32::forms
