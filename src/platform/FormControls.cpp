// The live controls of a form, made from its declaration.
#include "platform/FormControls.h"

#include "core/Error.h"
#include "core/StringTable.h"

namespace tw::platform {

FormControls::FormControls(const FormDecl& decl) : height(decl.height), decl_(decl) {
    if (decl.captionId != 0) caption = loadString(decl.captionId);
    for (const auto& c : decl.controls) {
        ControlState state;
        state.decl = c;
        if (c.captionId != 0) state.caption = loadString(c.captionId);
        state.left = c.left;
        state.top = c.top;
        state.width = c.width;
        state.height = c.height;
        state.isDefault = c.isDefault;
        states_.emplace(c.name, std::move(state));
    }
}

ControlState& FormControls::operator[](const std::string& name) {
    auto it = states_.find(name);
    if (it == states_.end()) throw Error(730, decl_.name, "There is no control named '" + name + "'.");
    return it->second;
}

const ControlState& FormControls::operator[](const std::string& name) const {
    auto it = states_.find(name);
    if (it == states_.end()) throw Error(730, decl_.name, "There is no control named '" + name + "'.");
    return it->second;
}

std::vector<std::string> FormControls::names() const {
    std::vector<std::string> out;
    for (const auto& c : decl_.controls) out.push_back(c.name);
    return out;
}

void FormControls::click(const std::string& name) {
    const ControlState& state = (*this)[name];
    if (!state.visible || !state.enabled) return;
    auto it = handlers_.find(name);
    if (it == handlers_.end()) return;
    auto handler = it->second;  // a copy: the handler may close the form
    handler();
}

void FormControls::raise(const std::string& name, const std::string& event) {
    const ControlState& state = (*this)[name];
    if (!state.visible || !state.enabled) return;
    auto it = events_.find(name + "." + event);
    if (it == events_.end()) return;
    auto handler = it->second;
    handler();
}

void FormControls::type(const std::string& name, const std::string& text) {
    auto& state = (*this)[name];
    if (state.text == text) return;
    state.text = text;
    raise(name, "Change");
}

void FormControls::pressEnter() {
    for (const auto& c : decl_.controls)
        if (states_.at(c.name).isDefault) return click(c.name);
}

void FormControls::pressEscape() {
    for (const auto& c : decl_.controls)
        if (c.isCancel) return click(c.name);
}

void FormControls::clearList(const std::string& name) {
    auto& state = (*this)[name];
    state.items.clear();
    state.selected.clear();
    state.checked.clear();
}

void FormControls::addItem(const std::string& name, const std::string& item, bool isSelected, bool isChecked) {
    auto& state = (*this)[name];
    state.items.push_back(item);
    state.selected.push_back(isSelected);
    state.checked.push_back(isChecked);
}

void FormControls::tick(const std::string& name, size_t index, bool ticked) {
    auto& state = (*this)[name];
    if (!state.visible || !state.enabled || index >= state.items.size()) return;
    state.checked.resize(state.items.size());
    state.checked[index] = ticked;
    state.listIndex = static_cast<int>(index);
    raise(name, "ItemCheck");
}

std::vector<std::string> FormControls::checkedItems(const std::string& name) const {
    const auto& state = (*this)[name];
    std::vector<std::string> out;
    for (size_t i = 0; i < state.items.size(); ++i)
        if (i < state.checked.size() && state.checked[i]) out.push_back(state.items[i]);
    return out;
}

std::vector<std::string> FormControls::selectedItems(const std::string& name) const {
    const auto& state = (*this)[name];
    std::vector<std::string> out;
    for (size_t i = 0; i < state.items.size(); ++i)
        if (i < state.selected.size() && state.selected[i]) out.push_back(state.items[i]);
    return out;
}

}  // namespace tw::platform
