// The mail client's published event interfaces and dispatch ids that the add-in listens to.
#pragma once

#include <windows.h>

namespace tw::win32 {

inline constexpr IID DIID_ItemsEvents = {0x00063077, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID DIID_ExplorersEvents = {0x00063078, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID DIID_InspectorsEvents = {0x00063079, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID DIID_ExplorerEvents = {0x0006304F, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID DIID_InspectorEvents = {0x0006307D, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID DIID_ItemEvents = {0x0006303A, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

/// ItemsEvents.
enum ItemsEventDispId : DISPID { DISPID_ItemAdd = 0xF001, DISPID_ItemChange = 0xF002, DISPID_ItemRemove = 0xF003 };
/// ExplorersEvents and InspectorsEvents: NewExplorer and NewInspector share the id.
enum NewWindowEventDispId : DISPID { DISPID_NewExplorer = 0xF001, DISPID_NewInspector = 0xF001 };
/// ExplorerEvents; InspectorEvents uses Activate, Deactivate and Close with the same ids.
enum ExplorerEventDispId : DISPID {
    DISPID_Activate = 0xF001,
    DISPID_FolderSwitch = 0xF002,
    DISPID_BeforeFolderSwitch = 0xF003,
    DISPID_ViewSwitch = 0xF004,
    DISPID_BeforeViewSwitch = 0xF005,
    DISPID_Deactivate = 0xF006,
    DISPID_SelectionChange = 0xF007,
    DISPID_Close = 0xF008,
};
/// ItemEvents of every item; Open, Close and Send carry a Cancel by reference.
enum ItemEventDispId : DISPID {
    DISPID_ItemRead = 0xF001,
    DISPID_ItemWrite = 0xF002,
    DISPID_ItemOpen = 0xF003,
    DISPID_ItemClose = 0xF004,
    DISPID_ItemSend = 0xF005,
};

}  // namespace tw::win32
