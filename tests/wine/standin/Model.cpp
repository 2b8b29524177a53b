// The stand-in client's store: folders by path and id, items by id, moves with their ItemAdd events, teardown.
#include "Model.h"

#include <cwchar>
#include <cwctype>

#include "CommandBarData.h"
#include "ConnectionPoints.h"
#include "StandInClient.h"
#include "core/OleDate.h"
#include "win32/TextEncoding.h"
#include "win32/com/OutlookEvents.h"

namespace tw::standin {

namespace {

bool sameText(const std::wstring& a, const std::wstring& b) {
    return _wcsicmp(a.c_str(), b.c_str()) == 0;
}

outlook::PropertyValue fromVariant(const Variant& value) {
    const VARIANT& v = value.value();
    switch (V_VT(&v)) {
        case VT_EMPTY:
        case VT_NULL: return {};
        case VT_BOOL: return V_BOOL(&v) != VARIANT_FALSE;
        case VT_DATE: return OleDate(V_DATE(&v));
        case VT_BSTR: return win32::toUtf8(std::wstring(V_BSTR(&v), SysStringLen(V_BSTR(&v))));
        default: {
            Variant number;
            if (SUCCEEDED(VariantChangeType(number.get(), const_cast<VARIANT*>(&v), 0, VT_R8))) return V_R8(number.get());
            return win32::toUtf8(value.asText());
        }
    }
}

}  // namespace

outlook::PropertyValue ItemData::filterValue(const std::string& name) const {
    std::wstring key = win32::toWide(name);
    auto text = [](const std::wstring& value) -> outlook::PropertyValue { return win32::toUtf8(value); };
    if (sameText(key, L"Subject")) return text(subject);
    if (sameText(key, L"UnRead")) return unread;
    if (sameText(key, L"CreationTime")) return OleDate(created);
    if (sameText(key, L"ReceivedTime")) return OleDate(received);
    if (sameText(key, L"MessageClass")) return text(messageClass);
    if (sameText(key, L"EntryID")) return text(entryId);
    if (sameText(key, L"SenderName")) return text(senderName);
    if (sameText(key, L"SenderEmailAddress")) return text(senderAddress);
    if (sameText(key, L"Body")) return text(body);
    if (sameText(key, L"FullName")) return text(fullName);
    for (int i = 0; i < 3; ++i)
        if (sameText(key, L"Email" + std::to_wstring(i + 1) + L"Address")) return text(email[i]);
    if (auto property = findProperty(key)) return fromVariant(property->value);
    return {};
}

std::shared_ptr<UserPropertyData> ItemData::findProperty(const std::wstring& name) const {
    for (const auto& p : properties)
        if (sameText(p->name, name)) return p;
    return nullptr;
}

std::wstring Model::newEntryId() {
    wchar_t id[64];
    swprintf(id, 64, L"00000000B7D3A9C1E54F4A2E8D6C0F1A2B3C4D5E%08lX", nextId++);
    return id;
}

int Model::majorVersion() const {
    return static_cast<int>(wcstol(version.c_str(), nullptr, 10));
}

DATE Model::now() const {
    SYSTEMTIME local;
    GetLocalTime(&local);
    DATE date = 0;
    SystemTimeToVariantTime(&local, &date);
    return date;
}

std::shared_ptr<FolderData> Model::defaultFolder(int which) const {
    const wchar_t* name = nullptr;
    switch (which) {
        case outlook::olFolderDeletedItems: name = L"Deleted Items"; break;
        case outlook::olFolderOutbox: name = L"Outbox"; break;
        case outlook::olFolderSentMail: name = L"Sent Items"; break;
        case outlook::olFolderInbox: name = L"Inbox"; break;
        case outlook::olFolderContacts: name = L"Contacts"; break;
        case outlook::olFolderDrafts: name = L"Drafts"; break;
        default: return nullptr;
    }
    for (const auto& f : root->children)
        if (f->name == name) return f;
    return nullptr;
}

std::shared_ptr<FolderData> Model::folderByPath(const std::wstring& path) const {
    size_t at = 0;
    while (at < path.size() && path[at] == L'\\') ++at;
    std::vector<std::wstring> parts;
    while (at < path.size()) {
        size_t end = path.find(L'\\', at);
        if (end == std::wstring::npos) end = path.size();
        if (end > at) parts.push_back(path.substr(at, end - at));
        at = end + 1;
    }
    if (parts.empty() || !sameText(parts[0], root->name)) return nullptr;
    auto folder = root;
    for (size_t i = 1; i < parts.size() && folder; ++i) {
        std::shared_ptr<FolderData> next;
        for (const auto& child : folder->children)
            if (sameText(child->name, parts[i])) next = child;
        folder = next;
    }
    return folder;
}

std::wstring Model::pathOf(const FolderData& folder) const {
    std::wstring path = L"\\" + folder.name;
    for (auto parent = folder.parent.lock(); parent; parent = parent->parent.lock()) path = L"\\" + parent->name + path;
    return path;
}

std::shared_ptr<FolderData> Model::folderById(const std::wstring& entryId) const {
    std::vector<std::shared_ptr<FolderData>> pending{root};
    while (!pending.empty()) {
        auto folder = pending.back();
        pending.pop_back();
        if (sameText(folder->entryId, entryId)) return folder;
        pending.insert(pending.end(), folder->children.begin(), folder->children.end());
    }
    return nullptr;
}

std::shared_ptr<ItemData> Model::itemById(const std::wstring& entryId) const {
    std::vector<std::shared_ptr<FolderData>> pending{root};
    while (!pending.empty()) {
        auto folder = pending.back();
        pending.pop_back();
        for (const auto& item : folder->items)
            if (sameText(item->entryId, entryId)) return item;
        pending.insert(pending.end(), folder->children.begin(), folder->children.end());
    }
    return nullptr;
}

std::shared_ptr<FolderData> Model::addFolder(const std::shared_ptr<FolderData>& parent, const std::wstring& name, int itemType) {
    auto folder = std::make_shared<FolderData>();
    folder->name = name;
    folder->entryId = newEntryId();
    folder->defaultItemType = itemType;
    folder->parent = parent;
    if (parent) parent->children.push_back(folder);
    return folder;
}

void Model::place(const std::shared_ptr<ItemData>& item, const std::shared_ptr<FolderData>& folder, bool fire) {
    remove(item);
    item->folder = folder;
    folder->items.push_back(item);
    if (!fire || !folder->itemsObject) return;
    if (auto* point = folder->itemsObject->point(win32::DIID_ItemsEvents)) {
        auto object = makeItem(shared_from_this(), item);
        point->fire(win32::DISPID_ItemAdd, {Variant::object(object.get())});
    }
}

void Model::remove(const std::shared_ptr<ItemData>& item) {
    auto folder = item->folder.lock();
    item->folder.reset();
    if (!folder) return;
    std::erase(folder->items, item);
}

Window* Model::explorer(int id) {
    for (auto& w : explorers)
        if (w.id == id) return &w;
    return nullptr;
}

Window* Model::inspector(int id) {
    for (auto& w : inspectors)
        if (w.id == id) return &w;
    return nullptr;
}

Window* Model::window(int id) {
    if (Window* w = explorer(id)) return w;
    return inspector(id);
}

std::shared_ptr<BarSet> Model::newExplorerBars() const {
    for (const auto& w : explorers)
        if (w.id == activeExplorer && w.bars) return copyBars(*w.bars, false);
    return profile && profile->bars ? copyBars(*profile->bars, false) : builtInBars();
}

void Model::keepBars(const BarSet& bars) {
    if (profile) profile->bars = copyBars(bars, true);
}

namespace {

/// Lets go of the controls' objects, leaving their sinks.
void letGoOfControls(ControlList& list) {
    for (const auto& control : list.items) {
        control->object.reset();
        if (control->children) letGoOfControls(*control->children);
    }
}

}  // namespace

void Model::letGo() {
    std::vector<std::shared_ptr<BarSet>> sets;
    for (auto* windows : {&explorers, &inspectors})
        for (auto& w : *windows) sets.push_back(w.bars);
    // Windows closed earlier keep their bars in their objects.
    for (auto& source : eventSources)
        if (auto bars = windowBars(source.get())) sets.push_back(bars);
    for (const auto& set : sets)
        if (set)
            for (const auto& bar : set->bars) letGoOfControls(*bar->controls);
    eventSources.clear();
    explorers.clear();
    inspectors.clear();
    addIns.clear();
    pickQueue.clear();
    application.reset();
    nameSpace.reset();
    explorersObject.reset();
    inspectorsObject.reset();
    comAddInsObject.reset();
    userDisconnect = nullptr;
    userConnect = nullptr;
    std::vector<std::shared_ptr<FolderData>> pending{root};
    while (!pending.empty()) {
        auto folder = pending.back();
        pending.pop_back();
        if (!folder) continue;
        folder->itemsObject.reset();
        pending.insert(pending.end(), folder->children.begin(), folder->children.end());
    }
}

void Model::shutdown() {
    // Sinks hold references to the objects they listen to; dropping them breaks those cycles.
    for (auto* windows : {&explorers, &inspectors})
        for (auto& w : *windows)
            if (w.bars) dropBarObjects(*w.bars);
    for (auto& source : eventSources) source->dropSinks();
    eventSources.clear();
    explorers.clear();
    inspectors.clear();
    addIns.clear();
    pickQueue.clear();
    application.reset();
    nameSpace.reset();
    explorersObject.reset();
    inspectorsObject.reset();
    comAddInsObject.reset();
    mapiSession.reset();
    userDisconnect = nullptr;
    std::vector<std::shared_ptr<FolderData>> pending{root};
    while (!pending.empty()) {
        auto folder = pending.back();
        pending.pop_back();
        if (!folder) continue;
        folder->itemsObject.reset();
        pending.insert(pending.end(), folder->children.begin(), folder->children.end());
    }
}

}  // namespace tw::standin
