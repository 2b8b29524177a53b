// The simulated mail client's objects: folders, items and windows.
#include "sim/SimOutlook.h"

#include <algorithm>

#include "core/Error.h"
#include "core/Text.h"
#include "sim/SimMailClient.h"

namespace tw::sim {

namespace {
constexpr long kObjectNotFound = -2147221233;  // MAPI_E_NOT_FOUND as the client reports it

Error notFound(const std::string& what) { return Error(kObjectNotFound, "Microsoft Outlook", what); }

template <typename T>
std::shared_ptr<T> itemAt(const std::vector<std::shared_ptr<T>>& list, int index) {
    if (index < 1 || index > static_cast<int>(list.size()))
        throw Error(-2147352567, "Microsoft Outlook", "Array index out of bounds.");
    return list[static_cast<size_t>(index - 1)];
}
}  // namespace

std::shared_ptr<outlook::Folder> SimFolders::Item(int index) { return itemAt(folders_, index); }

std::shared_ptr<outlook::Folder> SimFolders::Item(const std::string& name) {
    auto folder = find(name);
    if (!folder) throw notFound("The folder \"" + name + "\" does not exist.");
    return folder;
}

std::shared_ptr<SimFolder> SimFolders::find(const std::string& name) const {
    for (const auto& f : folders_)
        if (text::iequals(f->Name(), name)) return f;
    return nullptr;
}

std::shared_ptr<outlook::Folder> SimFolders::Add(const std::string& name, int folderType) {
    auto owner = owner_.lock();
    if (!owner) throw Error(-2147024891, "Microsoft Outlook", "A store cannot be added here.");
    if (find(name) || text::trim(name).empty()) throw Error(-2147221233, "Microsoft Outlook", "Cannot create the folder.");
    if (client_.faults().trips("FoldersAdd", {name})) throw Error(-2147221233, "Microsoft Outlook", "Cannot create the folder.");
    auto folder = std::make_shared<SimFolder>(client_, name, client_.newEntryId(), owner->StoreID(), owner);
    switch (folderType) {
        case outlook::olFolderCalendar: folder->setDefaultItemType(outlook::olAppointmentItem); break;
        case outlook::olFolderContacts: folder->setDefaultItemType(outlook::olContactItem); break;
        case outlook::olFolderTasks: folder->setDefaultItemType(outlook::olTaskItem); break;
        default: break;
    }
    folders_.push_back(folder);
    client_.folderCreated(*folder);
    return folder;
}

SimFolder::SimFolder(SimMailClient& client, std::string name, std::string entryId, std::string storeId,
                     std::weak_ptr<SimFolder> parent)
    : client_(client), name_(std::move(name)), entryId_(std::move(entryId)), storeId_(std::move(storeId)),
      parent_(std::move(parent)), items_(std::make_shared<SimItems>()) {
    SimMailClient* owner = &client_;
    items_->setFaultCheck([owner](const std::string& filter) {
        if (owner->faults().trips("Find", {filter}))
            throw Error(-2147352567, "Microsoft Outlook", "The operation failed.");
    });
    items_->setDateFormats([owner] { return owner->clock().userDateFormats(); });
}

std::shared_ptr<SimFolders> SimFolder::simFolders() {
    if (!folders_) folders_ = std::make_shared<SimFolders>(client_, weak_from_this());
    return folders_;
}

std::shared_ptr<outlook::Folders> SimFolder::Folders() { return simFolders(); }

std::shared_ptr<outlook::Folder> SimFolder::Parent() {
    auto parent = parent_.lock();
    // The top folder of a store has the name space as its parent, which is not a folder.
    if (!parent) throw Error(13, "Microsoft Outlook", "Type mismatch: the parent is not a folder.");
    return parent;
}

void SimFolder::addItem(const std::shared_ptr<SimItem>& item) {
    adoptItem(item);
    items_->ItemAdd().raise(item);
}

void SimFolder::adoptItem(const std::shared_ptr<SimItem>& item) {
    item->setParent(shared_from_this());
    items_->add(item);
}

void SimFolder::setIds(std::string entryId, std::string storeId) {
    entryId_ = std::move(entryId);
    storeId_ = std::move(storeId);
}

std::vector<std::string> SimFolder::pathFromTop() const {
    std::vector<std::string> path;
    auto self = std::const_pointer_cast<SimFolder>(shared_from_this());
    for (auto f = self; f && f->parentFolder(); f = f->parentFolder()) path.insert(path.begin(), f->Name());
    return path;
}

std::shared_ptr<SimFolder> SimFolder::subfolder(const std::string& name) {
    if (auto existing = simFolders()->find(name)) return existing;
    return std::static_pointer_cast<SimFolder>(simFolders()->Add(name, outlook::olFolderMail));
}

std::shared_ptr<outlook::Folder> SimNameSpace::GetDefaultFolder(int which) {
    auto folder = client_.defaultFolder(which);
    if (!folder) throw notFound("The default folder does not exist.");
    return folder;
}

std::shared_ptr<outlook::Folders> SimNameSpace::Folders() { return client_.stores(); }

std::shared_ptr<outlook::Folder> SimNameSpace::PickFolder() { return client_.pickFolderAnswer(); }

std::shared_ptr<outlook::Item> SimNameSpace::GetItemFromID(const std::string& entryID, const std::string& storeID) {
    if (client_.faults().trips("GetItemFromID", {entryID})) throw notFound("The message has been moved or deleted.");
    auto item = client_.findItem(entryID, storeID);
    if (!item) throw notFound("The message has been moved or deleted.");
    return item;
}

std::shared_ptr<outlook::Folder> SimNameSpace::GetFolderFromID(const std::string& entryID, const std::string& storeID) {
    auto folder = client_.findFolder(entryID, storeID);
    if (!folder) throw notFound("The folder has been moved or deleted.");
    return folder;
}

std::shared_ptr<outlook::Item> SimSelection::Item(int index) { return itemAt(items_, index); }

std::shared_ptr<outlook::Selection> SimExplorer::Selection() {
    std::vector<std::shared_ptr<outlook::Item>> items;
    for (const auto& weak : selection_)
        if (auto item = weak.lock()) items.push_back(item);
    return std::make_shared<SimSelection>(std::move(items));
}

void SimExplorer::select(std::vector<std::shared_ptr<outlook::Item>> items) {
    selection_.assign(items.begin(), items.end());
    selectionChange_.raise();
}

bool SimExplorer::switchTo(const std::shared_ptr<SimFolder>& folder) {
    bool cancel = false;
    beforeFolderSwitch_.raise(folder, cancel);
    if (cancel) return false;
    folder_ = folder;
    selection_.clear();
    folderSwitch_.raise();
    return true;
}

int SimInspector::EditorType() {
    if (wordEditor_) return outlook::olEditorWord;
    // Items without a body (contacts, tasks) open in the plain editor.
    try {
        return item_->HTMLBody().empty() ? outlook::olEditorText : outlook::olEditorHTML;
    } catch (...) {
        return outlook::olEditorText;
    }
}

std::shared_ptr<office::CommandBars> SimInspector::CommandBars() {
    if (barsFail_) throw Error(-2147467259, "Microsoft Outlook", "The operation failed.");
    return bars_;
}

std::shared_ptr<outlook::Explorer> SimExplorers::Item(int index) { return itemAt(open_, index); }
std::shared_ptr<outlook::Inspector> SimInspectors::Item(int index) { return itemAt(open_, index); }
std::shared_ptr<outlook::COMAddIn> SimCOMAddIns::Item(int index) { return itemAt(addIns_, index); }

std::string SimApplication::Version() { return client_.version(); }

std::shared_ptr<outlook::NameSpace> SimApplication::GetNamespace(const std::string& type) {
    if (!text::iequals(type, "MAPI")) throw Error(-2147024809, "Microsoft Outlook", "Unknown name space type.");
    return client_.nameSpace();
}

std::shared_ptr<outlook::Explorers> SimApplication::Explorers() { return client_.explorers(); }
std::shared_ptr<outlook::Inspectors> SimApplication::Inspectors() { return client_.inspectors(); }
std::shared_ptr<outlook::Explorer> SimApplication::ActiveExplorer() { return client_.activeExplorer(); }
std::shared_ptr<outlook::COMAddIns> SimApplication::COMAddIns() { return client_.comAddIns(); }

std::shared_ptr<outlook::Item> SimApplication::CreateItem(int itemType) {
    switch (itemType) {
        case outlook::olMailItem: {
            auto item = client_.createItem(outlook::olMail);
            item->setLocal(client_.user());
            return item;
        }
        case outlook::olContactItem: return client_.createItem(outlook::olContact);
        case outlook::olAppointmentItem: return client_.createItem(outlook::olAppointment);
        case outlook::olTaskItem: return client_.createItem(outlook::olTask);
        case outlook::olNoteItem: return client_.createItem(outlook::olNote);
        default: throw Error(-2147024809, "Microsoft Outlook", "The item type is not known.");
    }
}

std::shared_ptr<outlook::AddressLists> SimNameSpace::AddressLists() { return std::make_shared<SimAddressLists>(client_); }

}  // namespace tw::sim
