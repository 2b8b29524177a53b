// The simulated mail client: stores, folder trees, items, explorers and inspectors, raising
// events as the real client does. Tests and the host program drive it through SimMailClient.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Outlook.h"
#include "sim/FilterExpression.h"
#include "sim/SimCommandBars.h"
#include "sim/SimItem.h"

namespace tw::sim {

class SimFolder;
class SimMailClient;

/// A folder's items, or a restricted view of them. The folder's own collection is one object for
/// the life of the folder, so its Sort order holds for every holder of it.
class SimItems : public outlook::Items {
public:
    int Count() override { return static_cast<int>(items_.size()); }
    std::shared_ptr<outlook::Item> Item(int index) override;
    Event<std::shared_ptr<outlook::Item>>& ItemAdd() override { return itemAdd_; }
    std::shared_ptr<outlook::Item> Find(const std::string& filter) override;
    std::shared_ptr<outlook::Item> FindNext() override;
    std::shared_ptr<outlook::Items> Restrict(const std::string& filter) override;
    void Sort(const std::string& property, bool descending) override;
    std::shared_ptr<outlook::Item> GetFirst() override;
    std::shared_ptr<outlook::Item> GetNext() override;

    void add(const std::shared_ptr<SimItem>& item);
    bool remove(const SimItem& item);
    /// In collection order (Sort applied).
    const std::vector<std::shared_ptr<SimItem>>& all();
    /// The items as they were added.
    const std::vector<std::shared_ptr<SimItem>>& unsorted() const { return items_; }
    /// Raised by Find and Restrict so tests can make a search fail.
    void setFaultCheck(std::function<void(const std::string&)> check) { faultCheck_ = std::move(check); }
    /// Where Find and Restrict learn the user's regional formats their date literals are read in.
    void setDateFormats(std::function<DateLocale()> formats) { dateFormats_ = std::move(formats); }
    /// The folder's user-defined fields: a user property added with AddToFolderFields. Filters may
    /// name these and the client's own properties, nothing else.
    void addFolderField(const std::string& name);
    bool knowsFolderField(const std::string& name) const;

private:
    /// Where a walk goes on: after the last item it answered when that item is still here,
    /// otherwise at the place it had.
    struct Cursor {
        std::weak_ptr<SimItem> last;
        size_t next = 0;
    };
    std::shared_ptr<SimItem> advance(Cursor& cursor, const FilterExpression* filter);

    std::vector<std::shared_ptr<SimItem>> items_;
    std::vector<std::shared_ptr<SimItem>> sorted_;
    bool sortedValid_ = false;
    std::string sortProperty_;
    bool sortDescending_ = false;
    std::unique_ptr<FilterExpression> findFilter_;
    Cursor findCursor_, walkCursor_;
    FilterExpression::Options filterOptions() const;

    std::function<void(const std::string&)> faultCheck_;
    std::function<DateLocale()> dateFormats_;
    /// Shared with the views Restrict makes, as they belong to the same folder.
    std::shared_ptr<std::vector<std::string>> folderFields_ = std::make_shared<std::vector<std::string>>();
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
    /// Lets go of a folder, as a store taken out of the profile or gone offline.
    void release(const std::shared_ptr<SimFolder>& folder) { std::erase(folders_, folder); }
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
    int Class() override { return outlook::olFolder; }
    int DefaultItemType() override { return defaultItemType_; }

    /// Puts an item into the folder and raises ItemAdd, as delivery or a move does.
    void addItem(const std::shared_ptr<SimItem>& item);
    /// Puts an item into the folder without raising ItemAdd (the store opening).
    void adoptItem(const std::shared_ptr<SimItem>& item);
    void setDefaultItemType(int type) { defaultItemType_ = type; }
    /// Gives the folder the identifiers a store remembered for it.
    void setIds(std::string entryId, std::string storeId);
    std::shared_ptr<SimFolder> parentFolder() const { return parent_.lock(); }
    /// The names from below the store's top folder down to this one ({"Inbox", "Lists"}).
    std::vector<std::string> pathFromTop() const;
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
    int defaultItemType_ = outlook::olMailItem;
};

class SimNameSpace : public outlook::NameSpace {
public:
    explicit SimNameSpace(SimMailClient& client) : client_(client) {}
    std::shared_ptr<outlook::Folder> GetDefaultFolder(int which) override;
    std::shared_ptr<outlook::Folders> Folders() override;
    std::shared_ptr<outlook::Folder> PickFolder() override;
    std::shared_ptr<outlook::Item> GetItemFromID(const std::string& entryID, const std::string& storeID) override;
    std::shared_ptr<outlook::Folder> GetFolderFromID(const std::string& entryID, const std::string& storeID) override;
    std::shared_ptr<outlook::AddressLists> AddressLists() override;

private:
    SimMailClient& client_;
};

class SimSelection : public outlook::Selection {
public:
    explicit SimSelection(std::vector<std::shared_ptr<outlook::Item>> items) : items_(std::move(items)) {}
    int Count() override { return static_cast<int>(items_.size()); }
    std::shared_ptr<outlook::Item> Item(int index) override;

private:
    std::vector<std::shared_ptr<outlook::Item>> items_;
};

class SimExplorer : public outlook::Explorer {
public:
    explicit SimExplorer(std::shared_ptr<SimFolder> folder) : folder_(std::move(folder)) {}
    std::shared_ptr<outlook::Folder> CurrentFolder() override { return folder_; }
    std::string Caption() override { return folder_ ? folder_->Name() : std::string(); }
    std::shared_ptr<outlook::Selection> Selection() override;
    std::shared_ptr<office::CommandBars> CommandBars() override { return bars_; }
    Event<>& Activate() override { return activate_; }
    Event<>& Deactivate() override { return deactivate_; }
    Event<std::shared_ptr<outlook::Folder>, bool&>& BeforeFolderSwitch() override { return beforeFolderSwitch_; }
    Event<>& FolderSwitch() override { return folderSwitch_; }
    Event<>& SelectionChange() override { return selectionChange_; }
    Event<>& ViewSwitch() override { return viewSwitch_; }
    Event<>& Close() override { return close_; }

    /// Switches the shown folder unless a BeforeFolderSwitch handler cancels; the selection empties.
    bool switchTo(const std::shared_ptr<SimFolder>& folder);
    /// Selects these items (as the user does with the mouse) and raises SelectionChange.
    void select(std::vector<std::shared_ptr<outlook::Item>> items);
    /// The window's bars, made by the client when it opens the window.
    std::shared_ptr<SimCommandBars> bars() const { return bars_; }
    void setBars(std::shared_ptr<SimCommandBars> bars) { bars_ = std::move(bars); }

private:
    std::shared_ptr<SimFolder> folder_;
    std::shared_ptr<SimCommandBars> bars_;
    std::vector<std::weak_ptr<outlook::Item>> selection_;
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
    std::string Caption() override { return item_->Subject(); }
    int EditorType() override;
    std::shared_ptr<office::CommandBars> CommandBars() override;
    Event<>& Activate() override { return activate_; }
    Event<>& Deactivate() override { return deactivate_; }
    Event<>& Close() override { return close_; }
    std::shared_ptr<SimCommandBars> bars() const { return bars_; }
    void setBars(std::shared_ptr<SimCommandBars> bars) { bars_ = std::move(bars); }
    /// The window uses Word as its editor; barsFail: its CommandBars raise.
    void useWordEditor(bool barsFail) {
        wordEditor_ = true;
        barsFail_ = barsFail;
    }

private:
    std::shared_ptr<outlook::Item> item_;
    std::shared_ptr<SimCommandBars> bars_;
    bool wordEditor_ = false, barsFail_ = false;
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
    std::shared_ptr<outlook::Item> CreateItem(int itemType) override;

private:
    SimMailClient& client_;
};

}  // namespace tw::sim
