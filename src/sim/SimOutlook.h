// The simulated mail client: stores, folder trees, items, explorers and inspectors, raising
// events as the real client does. Tests and the host program drive it through SimMailClient.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Outlook.h"

namespace tw::sim {

class SimFolder;
class SimMailClient;

/// One item of a folder. Mail, contacts and appointments share it; Class tells them apart.
class SimItem : public outlook::Item, public std::enable_shared_from_this<SimItem> {
public:
    SimItem(int itemClass, std::string entryId, OleDate created);

    int Class() override { return class_; }
    std::string EntryID() override { return entryId_; }
    std::string Subject() override { return subject_; }
    bool UnRead() override { return unread_; }
    void setUnRead(bool value) override { unread_ = value; }
    OleDate CreationTime() override { return created_; }
    void Save() override { ++saveCount_; }
    std::shared_ptr<outlook::Item> Move(outlook::Folder& destination) override;
    std::shared_ptr<outlook::Folder> Parent() override;

    void setSubject(std::string s) { subject_ = std::move(s); }
    int saveCount() const { return saveCount_; }
    void setParent(const std::shared_ptr<SimFolder>& folder) { parent_ = folder; }

private:
    int class_;
    std::string entryId_;
    std::string subject_;
    bool unread_ = true;
    OleDate created_;
    int saveCount_ = 0;
    std::weak_ptr<SimFolder> parent_;
};

class SimItems : public outlook::Items {
public:
    int Count() override { return static_cast<int>(items_.size()); }
    std::shared_ptr<outlook::Item> Item(int index) override;
    Event<std::shared_ptr<outlook::Item>>& ItemAdd() override { return itemAdd_; }

    void add(const std::shared_ptr<SimItem>& item) { items_.push_back(item); }
    bool remove(const SimItem& item);
    const std::vector<std::shared_ptr<SimItem>>& all() const { return items_; }

private:
    std::vector<std::shared_ptr<SimItem>> items_;
    Event<std::shared_ptr<outlook::Item>> itemAdd_;
};

class SimFolders : public outlook::Folders {
public:
    SimFolders(SimMailClient& client, std::weak_ptr<SimFolder> owner) : client_(client), owner_(std::move(owner)) {}
    int Count() override { return static_cast<int>(folders_.size()); }
    std::shared_ptr<outlook::Folder> Item(int index) override;
    std::shared_ptr<outlook::Folder> Item(const std::string& name) override;
    std::shared_ptr<outlook::Folder> Add(const std::string& name, int folderType) override;

    std::shared_ptr<SimFolder> find(const std::string& name) const;
    void adopt(const std::shared_ptr<SimFolder>& folder) { folders_.push_back(folder); }
    const std::vector<std::shared_ptr<SimFolder>>& all() const { return folders_; }

private:
    SimMailClient& client_;
    std::weak_ptr<SimFolder> owner_;
    std::vector<std::shared_ptr<SimFolder>> folders_;
};

class SimFolder : public outlook::Folder, public std::enable_shared_from_this<SimFolder> {
public:
    SimFolder(SimMailClient& client, std::string name, std::string entryId, std::string storeId,
              std::weak_ptr<SimFolder> parent);

    std::string Name() override { return name_; }
    std::string EntryID() override { return entryId_; }
    std::string StoreID() override { return storeId_; }
    std::shared_ptr<outlook::Items> Items() override { return items_; }
    std::shared_ptr<outlook::Folders> Folders() override;
    std::shared_ptr<outlook::Folder> Parent() override;

    /// Puts an item into the folder and raises ItemAdd, as delivery or a move does.
    void addItem(const std::shared_ptr<SimItem>& item);
    std::shared_ptr<SimItems> simItems() const { return items_; }
    std::shared_ptr<SimFolders> simFolders();
    /// The subfolder of this name, created when missing.
    std::shared_ptr<SimFolder> subfolder(const std::string& name);

private:
    SimMailClient& client_;
    std::string name_;
    std::string entryId_;
    std::string storeId_;
    std::weak_ptr<SimFolder> parent_;
    std::shared_ptr<SimItems> items_;
    std::shared_ptr<SimFolders> folders_;
};

class SimNameSpace : public outlook::NameSpace {
public:
    explicit SimNameSpace(SimMailClient& client) : client_(client) {}
    std::shared_ptr<outlook::Folder> GetDefaultFolder(int which) override;
    std::shared_ptr<outlook::Folders> Folders() override;
    std::shared_ptr<outlook::Folder> PickFolder() override;

private:
    SimMailClient& client_;
};

class SimExplorer : public outlook::Explorer {
public:
    explicit SimExplorer(std::shared_ptr<SimFolder> folder) : folder_(std::move(folder)) {}
    std::shared_ptr<outlook::Folder> CurrentFolder() override { return folder_; }
    std::string Caption() override { return folder_ ? folder_->Name() : std::string(); }
    Event<>& Activate() override { return activate_; }
    Event<>& Deactivate() override { return deactivate_; }
    Event<std::shared_ptr<outlook::Folder>, bool&>& BeforeFolderSwitch() override { return beforeFolderSwitch_; }
    Event<>& FolderSwitch() override { return folderSwitch_; }
    Event<>& SelectionChange() override { return selectionChange_; }
    Event<>& ViewSwitch() override { return viewSwitch_; }
    Event<>& Close() override { return close_; }

    /// Switches the shown folder unless a BeforeFolderSwitch handler cancels.
    bool switchTo(const std::shared_ptr<SimFolder>& folder);

private:
    std::shared_ptr<SimFolder> folder_;
    Event<> activate_, deactivate_, folderSwitch_, selectionChange_, viewSwitch_, close_;
    Event<std::shared_ptr<outlook::Folder>, bool&> beforeFolderSwitch_;
};

class SimExplorers : public outlook::Explorers {
public:
    int Count() override { return static_cast<int>(open_.size()); }
    std::shared_ptr<outlook::Explorer> Item(int index) override;
    Event<std::shared_ptr<outlook::Explorer>>& NewExplorer() override { return newExplorer_; }

    std::vector<std::shared_ptr<SimExplorer>> open_;
    Event<std::shared_ptr<outlook::Explorer>> newExplorer_;
};

class SimInspector : public outlook::Inspector {
public:
    explicit SimInspector(std::shared_ptr<outlook::Item> item) : item_(std::move(item)) {}
    std::shared_ptr<outlook::Item> CurrentItem() override { return item_; }
    Event<>& Activate() override { return activate_; }
    Event<>& Deactivate() override { return deactivate_; }
    Event<>& Close() override { return close_; }

private:
    std::shared_ptr<outlook::Item> item_;
    Event<> activate_, deactivate_, close_;
};

class SimInspectors : public outlook::Inspectors {
public:
    int Count() override { return static_cast<int>(open_.size()); }
    std::shared_ptr<outlook::Inspector> Item(int index) override;
    Event<std::shared_ptr<outlook::Inspector>>& NewInspector() override { return newInspector_; }

    std::vector<std::shared_ptr<SimInspector>> open_;
    Event<std::shared_ptr<outlook::Inspector>> newInspector_;
};

class SimCOMAddIn : public outlook::COMAddIn {
public:
    SimCOMAddIn(std::string description, std::string progId)
        : description_(std::move(description)), progId_(std::move(progId)) {}
    std::string Description() override { return description_; }
    std::string ProgId() override { return progId_; }

private:
    std::string description_, progId_;
};

class SimCOMAddIns : public outlook::COMAddIns {
public:
    int Count() override { return static_cast<int>(addIns_.size()); }
    std::shared_ptr<outlook::COMAddIn> Item(int index) override;
    std::vector<std::shared_ptr<SimCOMAddIn>> addIns_;
};

class SimApplication : public outlook::Application {
public:
    explicit SimApplication(SimMailClient& client) : client_(client) {}
    std::string Version() override;
    std::shared_ptr<outlook::NameSpace> GetNamespace(const std::string& type) override;
    std::shared_ptr<outlook::Explorers> Explorers() override;
    std::shared_ptr<outlook::Inspectors> Inspectors() override;
    std::shared_ptr<outlook::Explorer> ActiveExplorer() override;
    std::shared_ptr<outlook::COMAddIns> COMAddIns() override;

private:
    SimMailClient& client_;
};

}  // namespace tw::sim
