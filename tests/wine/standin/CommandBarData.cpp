// The stand-in's command-bar data: adding, finding and copying bars and controls, the client's own bars, clicks by Tag.
#include "CommandBarData.h"

#include <cwchar>

#include "ConnectionPoints.h"
#include "Model.h"

namespace tw::standin {

namespace {

const wchar_t* const kMenus[] = {L"&File", L"&Edit", L"&View", L"&Go", L"&Tools", L"&Actions"};
/// The client's own Help entries, so an add-in placing entries among them can be seen doing it.
const wchar_t* const kHelpEntries[] = {L"&Help Topics", L"&What's This?", L"Detect and &Repair...", L"&About the Mail Client"};
struct BuiltInButton {
    int id;
    const wchar_t* caption;
};
const BuiltInButton kStandardButtons[] = {{1757, L"&New"}, {4, L"&Print"}, {478, L"&Delete"}, {354, L"&Reply"}};

std::wstring withoutAmpersands(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text)
        if (c != L'&') out += c;
    return out;
}

std::shared_ptr<ControlList> copyList(const ControlList& list, bool keptOnly) {
    auto copy = std::make_shared<ControlList>();
    for (const auto& c : list.items) {
        if (keptOnly && c->temporary) continue;
        auto made = std::make_shared<ControlData>(*c);
        made->object.reset();
        made->owner = copy;
        if (c->children) made->children = copyList(*c->children, keptOnly);
        copy->items.push_back(made);
    }
    return copy;
}

void sameTagButtons(const ControlList& list, const std::wstring& tag, std::vector<std::shared_ptr<ControlData>>& out) {
    for (const auto& c : list.items) {
        if (c->isButton() && c->tag == tag) out.push_back(c);
        if (c->children) sameTagButtons(*c->children, tag, out);
    }
}

void dropObjects(ControlList& list) {
    for (const auto& c : list.items) {
        if (c->object) c->object->dropSinks();
        c->object.reset();
        if (c->children) dropObjects(*c->children);
    }
}

}  // namespace

std::shared_ptr<BarData> BarSet::find(const std::wstring& name) const {
    for (const auto& b : bars)
        if (_wcsicmp(b->name.c_str(), name.c_str()) == 0) return b;
    return nullptr;
}

std::shared_ptr<ControlData> addControl(const std::shared_ptr<ControlList>& list, int type, int id, int before, bool temporary) {
    if (type != kControlButton && type != kControlPopup)
        raise(E_INVALIDARG, L"The stand-in makes buttons and popups only (type " + std::to_wstring(type) + L").");
    int count = static_cast<int>(list->items.size());
    if (before < 0 || before > count + 1) raise(E_INVALIDARG, L"Invalid index.");
    auto control = std::make_shared<ControlData>();
    control->type = type;
    control->id = id;
    control->temporary = temporary;
    control->owner = list;
    if (type == kControlPopup) control->children = std::make_shared<ControlList>();
    if (before == 0) list->items.push_back(control);
    else list->items.insert(list->items.begin() + (before - 1), control);
    return control;
}

std::shared_ptr<BarData> addBar(BarSet& set, const std::wstring& name, int position, bool menuBar, bool temporary) {
    if (name.empty() || set.find(name)) raise(E_INVALIDARG, L"A command bar named \"" + name + L"\" exists.");
    auto bar = std::make_shared<BarData>();
    bar->name = name;
    bar->position = position;
    bar->menuBar = menuBar;
    bar->temporary = temporary;
    set.bars.push_back(bar);
    return bar;
}

std::shared_ptr<BarSet> builtInBars() {
    auto set = std::make_shared<BarSet>();
    auto menu = addBar(*set, L"Menu Bar", kBarTop, true, false);
    auto standard = addBar(*set, L"Standard", kBarTop, false, false);
    for (const auto& bar : {menu, standard}) {
        bar->builtIn = true;
        bar->visible = true;
    }
    menu->rowIndex = 1;
    standard->rowIndex = 2;
    auto builtIn = [](std::shared_ptr<ControlData> c, const wchar_t* caption) {
        c->caption = caption;
        c->builtIn = true;
        return c;
    };
    int id = 30002;
    for (const wchar_t* caption : kMenus) builtIn(addControl(menu->controls, kControlPopup, id++, 0, false), caption);
    auto help = builtIn(addControl(menu->controls, kControlPopup, 30010, 0, false), L"&Help");
    int entryId = 983;
    for (const wchar_t* caption : kHelpEntries) builtIn(addControl(help->children, kControlButton, entryId++, 0, false), caption);
    help->children->items.back()->beginGroup = true;
    for (const auto& b : kStandardButtons) builtIn(addControl(standard->controls, kControlButton, b.id, 0, false), b.caption);
    return set;
}

std::shared_ptr<BarSet> copyBars(const BarSet& set, bool keptOnly) {
    auto copy = std::make_shared<BarSet>();
    for (const auto& b : set.bars) {
        if (keptOnly && b->temporary) continue;
        auto made = std::make_shared<BarData>(*b);
        made->controls = copyList(*b->controls, keptOnly);
        copy->bars.push_back(made);
    }
    return copy;
}

std::shared_ptr<ControlData> findControl(const ControlList& list, int type, int id, const std::wstring& tag, bool visibleOnly,
                                         bool recursive) {
    for (const auto& c : list.items) {
        bool matches = (type == 0 || c->type == type) && (id == 0 || c->id == id) && (tag.empty() || c->tag == tag) &&
                       (!visibleOnly || c->visible);
        if (matches) return c;
        if (recursive && c->children)
            if (auto found = findControl(*c->children, type, id, tag, visibleOnly, true)) return found;
    }
    return nullptr;
}

bool sameCaption(const std::wstring& a, const std::wstring& b) {
    return _wcsicmp(a.c_str(), b.c_str()) == 0 || _wcsicmp(withoutAmpersands(a).c_str(), withoutAmpersands(b).c_str()) == 0;
}

int indexOf(const ControlData& control) {
    auto list = control.owner.lock();
    if (!list) return 0;
    for (size_t i = 0; i < list->items.size(); ++i)
        if (list->items[i].get() == &control) return static_cast<int>(i + 1);
    return 0;
}

void removeControl(const std::shared_ptr<ControlData>& control) {
    control->deleted = true;
    if (auto list = control->owner.lock()) std::erase(list->items, control);
    control->owner.reset();
}

bool pressButton(Model& model, const std::shared_ptr<ControlData>& button) {
    auto self = model.shared_from_this();
    Ref<DispObject> clicked = controlObject(self, button);
    // Who hears it is settled before anyone hears it: a handler may add or delete controls.
    std::vector<Ref<DispObject>> hearers{clicked};
    // The empty Tag is a Tag like any other: every untagged button hears the click of any other.
    std::vector<std::shared_ptr<ControlData>> same;
    for (const auto* windows : {&model.explorers, &model.inspectors})
        for (const auto& w : *windows)
            if (w.bars)
                for (const auto& bar : w.bars->bars) sameTagButtons(*bar->controls, button->tag, same);
    for (const auto& c : same)
        if (c != button && c->object) hearers.push_back(c->object);
    VARIANT_BOOL cancel = VARIANT_FALSE;
    Variant cancelArg;
    V_VT(cancelArg.get()) = VT_BYREF | VT_BOOL;
    V_BOOLREF(cancelArg.get()) = &cancel;
    for (const auto& hearer : hearers)
        if (auto* point = hearer->point(kButtonEvents)) point->fire(kClickId, {Variant::object(clicked.get()), cancelArg});
    return cancel != VARIANT_FALSE;
}

std::string bitmapPixels(HBITMAP bitmap) {
    BITMAP shape{};
    if (!bitmap || !GetObjectW(bitmap, sizeof(shape), &shape)) return {};
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = shape.bmWidth;
    info.bmiHeader.biHeight = -shape.bmHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::string pixels(static_cast<size_t>(shape.bmWidth) * static_cast<size_t>(shape.bmHeight) * 4, '\0');
    HDC dc = CreateCompatibleDC(nullptr);
    int rows = GetDIBits(dc, bitmap, 0, static_cast<UINT>(shape.bmHeight), pixels.data(), &info, DIB_RGB_COLORS);
    DeleteDC(dc);
    if (rows != shape.bmHeight) return {};
    return std::to_string(shape.bmWidth) + "x" + std::to_string(shape.bmHeight) + ":" + pixels;
}

void dropBarObjects(BarSet& set) {
    for (const auto& b : set.bars) dropObjects(*b->controls);
}

}  // namespace tw::standin
