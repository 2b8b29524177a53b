// Mail-client object model port: the small part of the client's objects that the add-in uses,
// under the client's own names. Objects are shared references, as COM objects are.
// Calls that fail raise Error. Thread rule: the mail client's user-interface thread only.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/Event.h"
#include "core/OleDate.h"

namespace tw::outlook {

/// Item classes of the client's object model.
enum ItemClass : int {
    olAppointment = 26, olContact = 40, olDocument = 41, olJournal = 42, olMail = 43,
    olPost = 45, olTask = 48, olDistributionList = 69,
};

/// Default folders of a name space.
enum DefaultFolder : int {
    olFolderDeletedItems = 3, olFolderOutbox = 4, olFolderSentMail = 5, olFolderInbox = 6,
    olFolderCalendar = 9, olFolderContacts = 10, olFolderJournal = 11, olFolderNotes = 12,
    olFolderTasks = 13, olFolderDrafts = 16,
};

/// Folder item types for Folders.Add.
enum FolderType : int { olFolderMail = 6 };

class Folder;

/// Any item of a folder (mail, contact, appointment ...).
class Item {
public:
    virtual ~Item() = default;
    virtual int Class() = 0;
    virtual std::string EntryID() = 0;
    virtual std::string Subject() = 0;
    virtual bool UnRead() = 0;
    virtual void setUnRead(bool value) = 0;
    virtual OleDate CreationTime() = 0;
    virtual void Save() = 0;
    /// Moves the item and returns it as it now stands in the destination folder.
    virtual std::shared_ptr<Item> Move(Folder& destination) = 0;
    /// The folder holding the item.
    virtual std::shared_ptr<Folder> Parent() = 0;
};

class Items {
public:
    virtual ~Items() = default;
    virtual int Count() = 0;
    /// 1-based, like the client's collections.
    virtual std::shared_ptr<outlook::Item> Item(int index) = 0;
    /// Raised after an item was added to the folder.
    virtual Event<std::shared_ptr<outlook::Item>>& ItemAdd() = 0;
};

class Folders {
public:
    virtual ~Folders() = default;
    virtual int Count() = 0;
    virtual std::shared_ptr<Folder> Item(int index) = 0;
    /// The subfolder of that name; raises when there is none.
    virtual std::shared_ptr<Folder> Item(const std::string& name) = 0;
    virtual std::shared_ptr<Folder> Add(const std::string& name, int folderType) = 0;
};

class Folder {
public:
    virtual ~Folder() = default;
    virtual std::string Name() = 0;
    virtual std::string EntryID() = 0;
    virtual std::string StoreID() = 0;
    virtual std::shared_ptr<outlook::Items> Items() = 0;
    virtual std::shared_ptr<outlook::Folders> Folders() = 0;
    /// The parent folder; raises for the top folder of a store, whose parent is the name space.
    virtual std::shared_ptr<Folder> Parent() = 0;
};

class NameSpace {
public:
    virtual ~NameSpace() = default;
    virtual std::shared_ptr<Folder> GetDefaultFolder(int which) = 0;
    /// The top folders of the stores ("Personal Folders", "Mailbox - ...").
    virtual std::shared_ptr<outlook::Folders> Folders() = 0;
    /// Lets the user pick a folder; nothing when the user cancels.
    virtual std::shared_ptr<Folder> PickFolder() = 0;
};

class Explorer {
public:
    virtual ~Explorer() = default;
    virtual std::shared_ptr<Folder> CurrentFolder() = 0;
    virtual std::string Caption() = 0;

    virtual Event<>& Activate() = 0;
    virtual Event<>& Deactivate() = 0;
    virtual Event<std::shared_ptr<Folder>, bool&>& BeforeFolderSwitch() = 0;
    virtual Event<>& FolderSwitch() = 0;
    virtual Event<>& SelectionChange() = 0;
    virtual Event<>& ViewSwitch() = 0;
    virtual Event<>& Close() = 0;
};

class Explorers {
public:
    virtual ~Explorers() = default;
    virtual int Count() = 0;
    virtual std::shared_ptr<Explorer> Item(int index) = 0;
    virtual Event<std::shared_ptr<Explorer>>& NewExplorer() = 0;
};

class Inspector {
public:
    virtual ~Inspector() = default;
    virtual std::shared_ptr<Item> CurrentItem() = 0;
    virtual Event<>& Activate() = 0;
    virtual Event<>& Deactivate() = 0;
    virtual Event<>& Close() = 0;
};

class Inspectors {
public:
    virtual ~Inspectors() = default;
    virtual int Count() = 0;
    virtual std::shared_ptr<Inspector> Item(int index) = 0;
    virtual Event<std::shared_ptr<Inspector>>& NewInspector() = 0;
};

class COMAddIn {
public:
    virtual ~COMAddIn() = default;
    virtual std::string Description() = 0;
    virtual std::string ProgId() = 0;
};

class COMAddIns {
public:
    virtual ~COMAddIns() = default;
    virtual int Count() = 0;
    virtual std::shared_ptr<COMAddIn> Item(int index) = 0;
};

class Application {
public:
    virtual ~Application() = default;
    /// "major.minor.0.build", for example "10.0.0.4712".
    virtual std::string Version() = 0;
    virtual std::shared_ptr<outlook::NameSpace> GetNamespace(const std::string& type) = 0;
    virtual std::shared_ptr<outlook::Explorers> Explorers() = 0;
    virtual std::shared_ptr<outlook::Inspectors> Inspectors() = 0;
    /// The active explorer, or nothing when no explorer is open.
    virtual std::shared_ptr<Explorer> ActiveExplorer() = 0;
    virtual std::shared_ptr<outlook::COMAddIns> COMAddIns() = 0;
};

}  // namespace tw::outlook
