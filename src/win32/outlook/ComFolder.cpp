// Folder adapters, and the item collection's new-item event.
#include "win32/outlook/ComFolder.h"

#include "core/Error.h"
#include "win32/com/OutlookEvents.h"
#include "win32/outlook/ComAddressLists.h"
#include "win32/outlook/ComItem.h"

namespace tw::win32::outlook {

std::shared_ptr<ol::Item> ComItems::Item(int index) { return wrapped<ComItem>(d_.get("Item", index)); }
std::shared_ptr<ol::Item> ComItems::Find(const std::string& filter) { return wrapped<ComItem>(d_.call("Find", filter)); }
std::shared_ptr<ol::Item> ComItems::FindNext() { return wrapped<ComItem>(d_.call("FindNext")); }
std::shared_ptr<ol::Item> ComItems::GetFirst() { return wrapped<ComItem>(d_.call("GetFirst")); }
std::shared_ptr<ol::Item> ComItems::GetNext() { return wrapped<ComItem>(d_.call("GetNext")); }

Event<std::shared_ptr<ol::Item>>& ComItems::ItemAdd() {
    if (!itemAdd_) {
        auto event = std::make_shared<Event<std::shared_ptr<ol::Item>>>();
        std::weak_ptr<Event<std::shared_ptr<ol::Item>>> weak = event;
        events_ = std::make_unique<EventConnection>(d_.get(), DIID_ItemsEvents, [weak](DISPID id, const EventArguments& args) {
            auto target = weak.lock();
            if (!target || id != DISPID_ItemAdd || args.count() < 1) return;
            target->raise(wrapped<ComItem>(args.at(0)));
        });
        itemAdd_ = std::move(event);
    }
    return *itemAdd_;
}

std::shared_ptr<ol::Folder> ComFolders::Item(int index) { return wrapped<ComFolder>(d_.get("Item", index)); }
std::shared_ptr<ol::Folder> ComFolders::Item(const std::string& name) { return wrapped<ComFolder>(d_.get("Item", name)); }
std::shared_ptr<ol::Folder> ComFolders::Add(const std::string& name, int folderType) {
    return wrapped<ComFolder>(d_.call("Add", name, folderType));
}

std::shared_ptr<ol::Folder> ComFolder::Parent() {
    Variant parent = d_.get("Parent");
    auto folder = wrapped<ComFolder>(parent);
    // A store's top folder has the name space as its parent, which is no folder.
    if (!folder || folder->d_.get("Class").toInt() != ol::olFolder)
        throw Error(438, "Parent", "The folder has no parent folder");
    return folder;
}

std::shared_ptr<ol::Item> ComNameSpace::GetItemFromID(const std::string& entryID, const std::string& storeID) {
    return wrapped<ComItem>(d_.call("GetItemFromID", entryID, storeID));
}

std::shared_ptr<ol::AddressLists> ComNameSpace::AddressLists() { return wrapped<ComAddressLists>(d_.get("AddressLists")); }

}  // namespace tw::win32::outlook
