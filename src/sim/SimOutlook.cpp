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

SimItem::SimItem(int itemClass, std::string entryId, OleDate created)
    : class_(itemClass), entryId_(std::move(entryId)), created_(created) {}

std::shared_ptr<outlook::Item> SimItem::Move(outlook::Folder& destination) {
    auto* target = dynamic_cast<SimFolder*>(&destination);
    if (!target) throw Error(-2147024809, "Microsoft Outlook", "The destination folder is not of this client.");
    auto self = shared_from_this();
    if (auto source = parent_.lock()) source->simItems()->remove(*this);
    target->addItem(self);
    return self;
}

std::shared_ptr<outlook::Folder> SimItem::Parent() {
    auto folder = parent_.lock();
    if (!folder) throw notFound("The item is not in a folder.");
    return folder;
}

std::shared_ptr<outlook::Item> SimItems::Item(int index) { return itemAt(items_, index); }

bool SimItems::remove(const SimItem& item) {
    auto it = std::find_if(items_.begin(), items_.end(), [&](const auto& p) { return p.get() == &item; });
    if (it == items_.end()) return false;
    items_.erase(it);
    return true;
}

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

std::shared_ptr<outlook::Folder> SimFolders::Add(const std::string& name, int /*folderType*/) {
    auto owner = owner_.lock();
    if (!owner) throw Error(-2147024891, "Microsoft Outlook", "A store cannot be added here.");
    if (find(name)) throw Error(-2147221233, "Microsoft Outlook", "Cannot create the folder.");
    auto folder = std::make_shared<SimFolder>(client_, name, client_.newEntryId(), owner->StoreID(), owner);
    folders_.push_back(folder);
    return folder;
}

SimFolder::SimFolder(SimMailClient& client, std::string name, std::string entryId, std::string storeId,
                     std::weak_ptr<SimFolder> parent)
    : client_(client), name_(std::move(name)), entryId_(std::move(entryId)), storeId_(std::move(storeId)),
      parent_(std::move(parent)), items_(std::make_shared<SimItems>()) {}

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
    item->setParent(shared_from_this());
    items_->add(item);
    items_->ItemAdd().raise(item);
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

bool SimExplorer::switchTo(const std::shared_ptr<SimFolder>& folder) {
    bool cancel = false;
    beforeFolderSwitch_.raise(folder, cancel);
    if (cancel) return false;
    folder_ = folder;
    folderSwitch_.raise();
    return true;
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

}  // namespace tw::sim
