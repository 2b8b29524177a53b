// The stand-in client's command bars as data: bars and controls of a window, the client's own bars, copies, clicks by Tag.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ComBase.h"

namespace tw::standin {

struct Model;
struct ControlList;

/// The client's control types and bar positions, by their documented values.
inline constexpr int kControlButton = 1;
inline constexpr int kControlPopup = 10;
inline constexpr int kBarTop = 1;
inline constexpr int kBarFloating = 4;
/// The buttons' event interface, whose Click(Ctrl, CancelDefault) has dispatch id 1; the client's own value,
/// kept apart from the add-in's so that a wrong one there shows.
inline constexpr IID kButtonEvents = {0x000C0351, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr DISPID kClickId = 1;

/// A button or a popup.
struct ControlData {
    int type = kControlButton, id = 1;
    std::wstring caption, tag, tooltip, parameter;
    int style = 0, faceId = 0;
    bool beginGroup = false, visible = true, enabled = true, temporary = false, builtIn = false, faceSet = false;
    /// The face's and its mask's pixels as bitmapPixels reads them; empty until one was set.
    std::string facePixels, maskPixels;
    bool deleted = false;
    /// Popups: the controls inside.
    std::shared_ptr<ControlList> children;
    std::weak_ptr<ControlList> owner;
    /// The control's one COM object, made on first use, so every caller advises on the same connection point.
    Ref<DispObject> object;

    bool isButton() const { return type == kControlButton; }
};

struct ControlList {
    std::vector<std::shared_ptr<ControlData>> items;
};

struct BarData {
    std::wstring name;
    int position = kBarTop, left = 0, top = 0, rowIndex = 0;
    /// A bar an add-in makes stays hidden until it is shown, as in the client.
    bool visible = false, enabled = true, menuBar = false, temporary = false, builtIn = false, deleted = false;
    std::shared_ptr<ControlList> controls = std::make_shared<ControlList>();
};

/// The bars of one window.
struct BarSet {
    std::vector<std::shared_ptr<BarData>> bars;
    /// The bar of that name in any case, or null.
    std::shared_ptr<BarData> find(const std::wstring& name) const;
};

/// A new control in a list, before the 1-based place `before` (0: at the end); raises for another
/// type than button or popup, or a place out of range.
std::shared_ptr<ControlData> addControl(const std::shared_ptr<ControlList>& list, int type, int id, int before, bool temporary);
/// A new bar; raises when the name is empty or taken.
std::shared_ptr<BarData> addBar(BarSet& set, const std::wstring& name, int position, bool menuBar, bool temporary);
/// The client's own bars of a fresh window: "Menu Bar" with its menus and "&Help", and "Standard".
std::shared_ptr<BarSet> builtInBars();
/// A deep copy without COM objects; `keptOnly` leaves out what was made temporary.
std::shared_ptr<BarSet> copyBars(const BarSet& set, bool keptOnly);
/// The first control matching every criterion (type 0, id 0, an empty tag: any), looking into popups when recursive.
std::shared_ptr<ControlData> findControl(const ControlList& list, int type, int id, const std::wstring& tag, bool visibleOnly,
                                         bool recursive);
/// Whether two captions name the same control: any case, with or without the access-key ampersands.
bool sameCaption(const std::wstring& a, const std::wstring& b);
/// 1-based place of a control in its list; 0 when it is in none.
int indexOf(const ControlData& control);
/// Takes a control out of its list.
void removeControl(const std::shared_ptr<ControlData>& control);

/// The user clicks a button: Click goes to the sinks of that button and of every button with the
/// same Tag in any window, the empty Tag included. Answers the CancelDefault the sinks left.
bool pressButton(Model& model, const std::shared_ptr<ControlData>& button);
/// A bitmap's size and pixels as 32-bit colours from the top row down, to tell pictures apart; empty
/// for no bitmap.
std::string bitmapPixels(HBITMAP bitmap);
/// Drops the sinks and COM objects of every control of the bars (the client's teardown).
void dropBarObjects(BarSet& set);

// The COM objects (CommandBarObjects.cpp).
/// A window's CommandBars collection.
Ref<DispObject> makeCommandBars(const std::shared_ptr<Model>& model, const std::shared_ptr<BarSet>& set);
/// The control's one COM object, made when first asked for.
Ref<DispObject> controlObject(const std::shared_ptr<Model>& model, const std::shared_ptr<ControlData>& control);

}  // namespace tw::standin
