// The stand-in client's command-bar test API: a window's bars and controls read back, and the user's clicks.
#include <stdexcept>

#include "CommandBarData.h"
#include "Model.h"
#include "StandInClient.h"
#include "win32/TextEncoding.h"

namespace tw::standin {

namespace {

using win32::toUtf8;
using win32::toWide;

BarSet& barsOf(Model& model, int window) {
    Window* w = model.window(window);
    if (!w || !w->bars) throw std::runtime_error("no window " + std::to_string(window));
    return *w->bars;
}

BarData& barOf(Model& model, int window, const std::string& name) {
    auto bar = barsOf(model, window).find(toWide(name));
    if (!bar) throw std::runtime_error("no command bar " + name + " in window " + std::to_string(window));
    return *bar;
}

ControlState stateOf(const ControlData& c) {
    ControlState s;
    s.type = c.type;
    s.id = c.id;
    s.caption = toUtf8(c.caption);
    s.tag = toUtf8(c.tag);
    s.tooltip = toUtf8(c.tooltip);
    s.parameter = toUtf8(c.parameter);
    s.style = c.style;
    s.faceId = c.faceId;
    s.beginGroup = c.beginGroup;
    s.visible = c.visible;
    s.enabled = c.enabled;
    s.temporary = c.temporary;
    s.builtIn = c.builtIn;
    s.faceSet = c.faceSet;
    s.facePixels = c.facePixels;
    s.maskPixels = c.maskPixels;
    if (c.children)
        for (const auto& child : c.children->items) s.children.push_back(stateOf(*child));
    return s;
}

/// The first button with that Tag the user can reach in a list, looking into visible popups.
std::shared_ptr<ControlData> reachable(const ControlList& list, const std::wstring& tag) {
    for (const auto& c : list.items) {
        if (!c->visible) continue;
        if (c->isButton() && c->enabled && c->tag == tag) return c;
        if (c->children && c->enabled)
            if (auto found = reachable(*c->children, tag)) return found;
    }
    return nullptr;
}

}  // namespace

std::vector<std::string> StandInClient::barNames(int window) const {
    std::vector<std::string> names;
    for (const auto& bar : barsOf(model(), window).bars) names.push_back(toUtf8(bar->name));
    return names;
}

std::vector<BarState> StandInClient::bars(int window) const {
    std::vector<BarState> states;
    for (const auto& b : barsOf(model(), window).bars)
        states.push_back({toUtf8(b->name), b->position, b->left, b->top, b->rowIndex, b->visible, b->menuBar, b->temporary, b->builtIn});
    return states;
}

std::vector<ControlState> StandInClient::controls(int window, const std::string& barName) const {
    std::vector<ControlState> states;
    for (const auto& c : barOf(model(), window, barName).controls->items) states.push_back(stateOf(*c));
    return states;
}

bool StandInClient::click(int window, const std::string& tag) {
    if (tag.empty()) return false;
    std::wstring wide = toWide(tag);
    std::shared_ptr<ControlData> button;
    for (const auto& bar : barsOf(model(), window).bars) {
        if (!bar->visible || !bar->enabled) continue;
        if ((button = reachable(*bar->controls, wide))) break;
    }
    if (!button) return false;
    pressButton(model(), button);
    return true;
}

bool StandInClient::clickCaption(int window, const std::string& barName, const std::vector<std::string>& captionPath) {
    BarData& bar = barOf(model(), window, barName);
    if (!bar.visible || !bar.enabled || captionPath.empty()) return false;
    std::shared_ptr<ControlList> list = bar.controls;
    std::shared_ptr<ControlData> at;
    for (const auto& caption : captionPath) {
        if (!list) return false;
        at.reset();
        for (const auto& c : list->items)
            if (c->visible && c->enabled && sameCaption(c->caption, toWide(caption))) {
                at = c;
                break;
            }
        if (!at) return false;
        list = at->children;
    }
    if (!at->isButton()) return false;
    pressButton(model(), at);
    return true;
}

}  // namespace tw::standin
