// The simulated command bars: controls, bars, the shared click events and what a profile keeps.
#include "sim/SimCommandBars.h"

#include <sstream>

#include "core/Error.h"
#include "core/Text.h"

namespace tw::sim {

namespace {
constexpr long kInvalidArgument = -2147024809;  // E_INVALIDARG as the command bars report it

Error invalid(const std::string& what) { return Error(kInvalidArgument, "Office", what); }
Error noSuchProperty() { return Error(438, "Office", "Object doesn't support this property or method"); }

/// The client's own Help menu, so that add-ins placing entries there can be seen doing it.
const char* const kHelpEntries[] = {"&Help Topics", "&What's This?", "Detect and &Repair...", "&About the Mail Client"};
const char* const kMenus[] = {"&File", "&Edit", "&View", "&Go", "&Tools", "&Actions"};

std::string field(const std::string& value) {
    std::string out = value;
    for (char& c : out)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return out;
}

void saveControls(std::ostringstream& out, const SimCommandBarControls& controls, int depth, bool keptOnly) {
    for (const auto& c : controls.all()) {
        if (keptOnly && c->temporary()) continue;
        out << "control\t" << depth << '\t' << c->Type() << '\t' << c->Id() << '\t' << field(c->Caption()) << '\t'
            << field(c->Tag()) << '\t' << field(c->TooltipText()) << '\t'
            << (c->Type() == office::msoControlPopup ? 0 : c->Style()) << '\t' << c->BeginGroup() << '\t'
            << c->Visible() << '\t' << c->face() << '\t' << c->temporary() << '\n';
        if (auto inner = c->popupControls()) saveControls(out, *inner, depth + 1, keptOnly);
    }
}

int number(const std::vector<std::string>& fields, size_t at) {
    return at < fields.size() ? std::atoi(fields[at].c_str()) : 0;
}
}  // namespace

SimCommandBarHub::ClickEvent& SimCommandBarHub::clickFor(const std::string& tag) {
    auto& slot = byTag_[tag];
    if (!slot) slot = std::make_unique<ClickEvent>();
    return *slot;
}

SimCommandBarControl::SimCommandBarControl(SimCommandBarHub& hub, int type, int id, bool temporary,
                                           SimCommandBarControls* owner)
    : hub_(hub), type_(type), id_(id), temporary_(temporary), owner_(owner) {
    if (type_ == office::msoControlPopup) controls_ = std::make_shared<SimCommandBarControls>(hub_);
}

int SimCommandBarControl::Style() {
    if (type_ != office::msoControlButton) throw noSuchProperty();
    return style_;
}

void SimCommandBarControl::setStyle(int value) {
    if (type_ != office::msoControlButton) throw noSuchProperty();
    style_ = value;
}

int SimCommandBarControl::Index() {
    if (!owner_) throw invalid("The control has been deleted.");
    return owner_->indexOf(*this);
}

void SimCommandBarControl::Delete() {
    if (!owner_) throw invalid("The control has been deleted.");
    auto keep = shared_from_this();
    owner_->remove(*this);
    owner_ = nullptr;
}

void SimCommandBarControl::setPicture(int resourceId) {
    if (type_ != office::msoControlButton) throw noSuchProperty();
    if (hub_.refusePictures) throw invalid("The picture could not be read.");
    face_ = resourceId;
}

std::shared_ptr<office::CommandBarControls> SimCommandBarControl::Controls() {
    if (!controls_) throw noSuchProperty();
    return controls_;
}

Subscription SimCommandBarControl::onClick(ClickHandler handler) {
    if (type_ != office::msoControlButton) throw noSuchProperty();
    return hub_.clickFor(tag_).connect(std::move(handler));
}

void SimCommandBarControl::click() {
    bool cancel = false;
    hub_.clickFor(tag_).raise(shared_from_this(), cancel);
}

SimCommandBarControls::~SimCommandBarControls() {
    for (const auto& c : controls_) c->detachFromOwner();
}

std::shared_ptr<office::CommandBarControl> SimCommandBarControls::Item(int index) {
    if (index < 1 || index > Count()) throw invalid("Invalid index.");
    return controls_[static_cast<size_t>(index - 1)];
}

std::shared_ptr<office::CommandBarControl> SimCommandBarControls::Add(int type, int id, const std::string&, int before,
                                                                      bool temporary) {
    if (type != office::msoControlButton && type != office::msoControlPopup) throw invalid("Unknown control type.");
    if (before < 0 || before > Count() + 1) throw invalid("Invalid index.");
    auto control = std::make_shared<SimCommandBarControl>(hub_, type, id, temporary, this);
    if (before == 0) controls_.push_back(control);
    else controls_.insert(controls_.begin() + (before - 1), control);
    return control;
}

std::shared_ptr<SimCommandBarControl> SimCommandBarControls::byCaption(const std::string& caption) const {
    for (const auto& c : controls_) {
        if (c->Caption() == caption) return c;
        if (auto inner = c->popupControls())
            if (auto found = inner->byCaption(caption)) return found;
    }
    return nullptr;
}

std::shared_ptr<SimCommandBarControl> SimCommandBarControls::find(int type, int id, const std::string& tag,
                                                                  bool visibleOnly, bool recursive) const {
    for (const auto& c : controls_) {
        bool matches = (type == 0 || c->Type() == type) && (id == 0 || c->Id() == id) && (tag.empty() || c->Tag() == tag) &&
                       (!visibleOnly || c->Visible());
        if (matches) return c;
        if (recursive && c->popupControls())
            if (auto found = c->popupControls()->find(type, id, tag, visibleOnly, true)) return found;
    }
    return nullptr;
}

int SimCommandBarControls::indexOf(const SimCommandBarControl& control) const {
    for (size_t i = 0; i < controls_.size(); ++i)
        if (controls_[i].get() == &control) return static_cast<int>(i + 1);
    throw invalid("The control has been deleted.");
}

void SimCommandBarControls::remove(const SimCommandBarControl& control) {
    for (auto it = controls_.begin(); it != controls_.end(); ++it)
        if (it->get() == &control) {
            controls_.erase(it);
            return;
        }
}

SimCommandBar::SimCommandBar(SimCommandBarHub& hub, SimCommandBars* owner, std::string name, int position,
                             bool menuBar, bool temporary)
    : hub_(hub), owner_(owner), name_(std::move(name)), position_(position), menuBar_(menuBar), temporary_(temporary),
      controls_(std::make_shared<SimCommandBarControls>(hub)) {}

std::shared_ptr<office::CommandBarControl> SimCommandBar::FindControl(int type, int id, const std::string& tag,
                                                                      bool visibleOnly, bool recursive) {
    return controls_->find(type, id, tag, visibleOnly, recursive);
}

void SimCommandBar::setPosition(int value) {
    if (value < office::msoBarLeft || value > office::msoBarFloating) throw invalid("Invalid bar position.");
    position_ = value;
}

void SimCommandBar::Delete() {
    if (builtIn_) throw invalid("The client's own bars cannot be deleted.");
    if (!owner_) throw invalid("The bar has been deleted.");
    owner_->remove(*this);
    owner_ = nullptr;
}

SimCommandBars::~SimCommandBars() {
    for (const auto& b : bars_) b->detachFromOwner();
}

std::shared_ptr<office::CommandBar> SimCommandBars::Item(const std::string& name) {
    auto found = bar(name);
    if (!found) throw invalid("There is no command bar named \"" + name + "\".");
    return found;
}

std::shared_ptr<office::CommandBar> SimCommandBars::Add(const std::string& name, int position, bool menuBar,
                                                        bool temporary) {
    if (name.empty() || bar(name)) throw invalid("A command bar named \"" + name + "\" exists.");
    auto created = std::make_shared<SimCommandBar>(hub_, this, name, position, menuBar, temporary);
    bars_.push_back(created);
    return created;
}

std::shared_ptr<SimCommandBar> SimCommandBars::bar(const std::string& name) const {
    for (const auto& b : bars_)
        if (text::iequals(b->Name(), name)) return b;
    return nullptr;
}

void SimCommandBars::remove(const SimCommandBar& target) {
    for (auto it = bars_.begin(); it != bars_.end(); ++it)
        if (it->get() == &target) {
            bars_.erase(it);
            return;
        }
}

void SimCommandBars::addBuiltInBars() {
    auto menu = std::static_pointer_cast<SimCommandBar>(Add("Menu Bar", office::msoBarTop, true, false));
    menu->setBuiltIn(true);
    int id = 30002;
    for (const char* caption : kMenus) menu->Controls()->Add(office::msoControlPopup, id++, "", 0, false)->setCaption(caption);
    auto help = menu->Controls()->Add(office::msoControlPopup, 30010, "", 0, false);
    help->setCaption("&Help");
    int entryId = 983;
    for (const char* caption : kHelpEntries)
        help->Controls()->Add(office::msoControlButton, entryId++, "", 0, false)->setCaption(caption);
    auto standard = std::static_pointer_cast<SimCommandBar>(Add("Standard", office::msoBarTop, false, false));
    standard->setBuiltIn(true);
    standard->Controls()->Add(office::msoControlButton, 1757, "", 0, false)->setCaption("&New");
}

std::string SimCommandBars::save(bool keptOnly) const {
    std::ostringstream out;
    for (const auto& b : bars_) {
        if (keptOnly && (b->temporary() || b->builtIn())) continue;
        out << "bar\t" << field(b->Name()) << '\t' << b->Position() << '\t' << b->Left() << '\t' << b->Top() << '\t'
            << b->RowIndex() << '\t' << b->Visible() << '\t' << b->menuBar() << '\t' << b->temporary() << '\t'
            << b->builtIn() << '\n';
        saveControls(out, *b->controls(), 0, keptOnly);
    }
    return out.str();
}

void SimCommandBars::load(const std::string& text) {
    std::shared_ptr<SimCommandBar> current;
    std::vector<std::shared_ptr<SimCommandBarControls>> levels;
    for (const std::string& line : text::split(text, "\n")) {
        auto fields = text::split(line, "\t");
        if (fields.empty()) continue;
        if (fields[0] == "bar" && fields.size() >= 10) {
            current.reset();
            levels.clear();
            if (bar(fields[1])) continue;
            current = std::static_pointer_cast<SimCommandBar>(
                Add(fields[1], number(fields, 2), number(fields, 7) != 0, number(fields, 8) != 0));
            current->setLeft(number(fields, 3));
            current->setTop(number(fields, 4));
            current->setRowIndex(number(fields, 5));
            current->setVisible(number(fields, 6) != 0);
            current->setBuiltIn(number(fields, 9) != 0);
            levels.push_back(current->controls());
        } else if (fields[0] == "control" && fields.size() >= 12 && current) {
            size_t depth = static_cast<size_t>(number(fields, 1));
            if (depth >= levels.size()) continue;
            levels.resize(depth + 1);
            auto made = std::static_pointer_cast<SimCommandBarControl>(
                levels[depth]->Add(number(fields, 2), number(fields, 3), "", 0, number(fields, 11) != 0));
            made->setCaption(fields[4]);
            made->setTag(fields[5]);
            made->setTooltipText(fields[6]);
            if (made->Type() == office::msoControlButton) made->setStyle(number(fields, 7));
            made->setBeginGroup(number(fields, 8) != 0);
            made->setVisible(number(fields, 9) != 0);
            made->setFace(number(fields, 10));
            if (made->popupControls()) levels.push_back(made->popupControls());
        }
    }
}

}  // namespace tw::sim
