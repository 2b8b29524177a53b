// Object-model adapters of the name space, folders and their item collections.
#pragma once

#include "platform/Outlook.h"
#include "win32/com/EventConnection.h"
#include "win32/outlook/ComObject.h"

namespace tw::win32::outlook {

namespace ol = tw::outlook;

class ComItems final : public ol::Items, public ComObject {
public:
    using ComObject::ComObject;
    int Count() override { return d_.get("Count").toInt(); }
    std::shared_ptr<ol::Item> Item(int index) override;
    /// Listens to the collection's events from the first call on, for as long as this adapter lives.
    Event<std::shared_ptr<ol::Item>>& ItemAdd() override;
    std::shared_ptr<ol::Item> Find(const std::string& filter) override;
    std::shared_ptr<ol::Item> FindNext() override;
    std::shared_ptr<ol::Items> Restrict(const std::string& filter) override {
        return wrapped<ComItems>(d_.call("Restrict", filter));
    }
    void Sort(const std::string& property, bool descending) override { d_.call("Sort", property, descending); }
    std::shared_ptr<ol::Item> GetFirst() override;
    std::shared_ptr<ol::Item> GetNext() override;

private:
    std::shared_ptr<Event<std::shared_ptr<ol::Item>>> itemAdd_;
    std::unique_ptr<EventConnection> events_;
};

class ComFolders final : public ol::Folders, public ComObject {
public:
    using ComObject::ComObject;
    int Count() override { return d_.get("Count").toInt(); }
    std::shared_ptr<ol::Folder> Item(int index) override;
    std::shared_ptr<ol::Folder> Item(const std::string& name) override;
    std::shared_ptr<ol::Folder> Add(const std::string& name, int folderType) override;
};

class ComFolder final : public ol::Folder, public ComObject {
public:
    using ComObject::ComObject;
    std::string Name() override { return d_.get("Name").toString(); }
    std::string EntryID() override { return d_.get("EntryID").toString(); }
    std::string StoreID() override { return d_.get("StoreID").toString(); }
    std::shared_ptr<ol::Items> Items() override { return wrapped<ComItems>(d_.get("Items")); }
    std::shared_ptr<ol::Folders> Folders() override { return wrapped<ComFolders>(d_.get("Folders")); }
    std::shared_ptr<ol::Folder> Parent() override;
    int Class() override { return d_.get("Class").toInt(); }
    int DefaultItemType() override { return d_.get("DefaultItemType").toInt(); }
};

class ComNameSpace final : public ol::NameSpace, public ComObject {
public:
    using ComObject::ComObject;
    std::shared_ptr<ol::Folder> GetDefaultFolder(int which) override {
        return wrapped<ComFolder>(d_.call("GetDefaultFolder", which));
    }
    std::shared_ptr<ol::Folders> Folders() override { return wrapped<ComFolders>(d_.get("Folders")); }
    std::shared_ptr<ol::Folder> PickFolder() override { return wrapped<ComFolder>(d_.call("PickFolder")); }
    std::shared_ptr<ol::Item> GetItemFromID(const std::string& entryID, const std::string& storeID) override;
    std::shared_ptr<ol::Folder> GetFolderFromID(const std::string& entryID, const std::string& storeID) override {
        return wrapped<ComFolder>(d_.call("GetFolderFromID", entryID, storeID));
    }
    std::shared_ptr<ol::AddressLists> AddressLists() override;
};

}  // namespace tw::win32::outlook
