// Mail-client object model port: the small part of the client's objects that the add-in uses,
// under the client's own names. Objects are shared references, as COM objects are.
// Calls that fail raise Error. Thread rule: the mail client's user-interface thread only.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/Event.h"
#include "core/OleDate.h"
#include "platform/CommandBars.h"

namespace tw::outlook {

/// Item classes of the client's object model.
enum ItemClass : int {
    olAppointment = 26, olContact = 40, olDocument = 41, olJournal = 42, olMail = 43,
    olNote = 44, olPost = 45, olTask = 48, olMeetingRequest = 53, olDistributionList = 69,
};

/// Default folders of a name space.
enum DefaultFolder : int {
    olFolderDeletedItems = 3, olFolderOutbox = 4, olFolderSentMail = 5, olFolderInbox = 6,
    olFolderCalendar = 9, olFolderContacts = 10, olFolderJournal = 11, olFolderNotes = 12,
    olFolderTasks = 13, olFolderDrafts = 16,
};

/// Folder item types for Folders.Add.
enum FolderType : int { olFolderMail = 6 };

/// Item types for Application.CreateItem and a folder's DefaultItemType.
enum ItemType : int { olMailItem = 0, olAppointmentItem = 1, olContactItem = 2, olTaskItem = 3, olNoteItem = 5 };

/// Object classes that are not items.
enum ObjectClass : int { olFolder = 2 };

/// The editors an inspector shows its item in.
enum EditorType : int { olEditorText = 1, olEditorHTML = 2, olEditorRTF = 3, olEditorWord = 4 };

/// Recipient kinds.
enum RecipientType : int { olOriginator = 0, olTo = 1, olCC = 2, olBCC = 3 };

/// User-property types.
enum UserPropertyType : int { olText = 1, olNumber = 3, olDateTime = 5, olYesNo = 6 };

/// Attachment kinds for Attachments.Add.
enum AttachmentType : int { olByValue = 1, olEmbeddeditem = 5 };

/// The value of a user property: empty, text, number, yes/no or date-time.
using PropertyValue = std::variant<std::monostate, std::string, double, bool, OleDate>;

/// A text as a literal of the client's filter syntax: in apostrophes, each apostrophe doubled, so
/// the text is compared as itself whatever it holds.
inline std::string quoteFilterText(std::string_view text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c;
        if (c == '\'') quoted += '\'';
    }
    return quoted + "'";
}

class Folder;
class Item;

/// The address behind a recipient or an address-book entry: Type "SMTP" for Internet mail, "EX"
/// for a directory user (Address is then the directory name), empty for a distribution list.
class AddressEntry {
public:
    virtual ~AddressEntry() = default;
    virtual std::string Name() = 0;
    virtual std::string Address() = 0;
    virtual std::string Type() = 0;
};

/// The entries of an address list, 1-based.
class AddressEntries {
public:
    virtual ~AddressEntries() = default;
    virtual int Count() = 0;
    virtual std::shared_ptr<outlook::AddressEntry> Item(int index) = 0;
};

/// One address book of the profile (a personal address book, a server list, the Contacts list).
class AddressList {
public:
    virtual ~AddressList() = default;
    virtual std::string Name() = 0;
    /// Raises when the book cannot be opened (a server list out of reach).
    virtual std::shared_ptr<outlook::AddressEntries> AddressEntries() = 0;
};

/// The profile's address books in the profile's order, 1-based.
class AddressLists {
public:
    virtual ~AddressLists() = default;
    virtual int Count() = 0;
    virtual std::shared_ptr<AddressList> Item(int index) = 0;
};

class Recipient {
public:
    virtual ~Recipient() = default;
    virtual std::string Name() = 0;
    virtual std::string Address() = 0;
    /// olTo, olCC or olBCC.
    virtual int Type() = 0;
    virtual void setType(int type) = 0;
    /// The resolved address; nothing for a recipient that could not be resolved.
    virtual std::shared_ptr<outlook::AddressEntry> AddressEntry() = 0;
};

class Recipients {
public:
    virtual ~Recipients() = default;
    virtual int Count() = 0;
    /// 1-based.
    virtual std::shared_ptr<Recipient> Item(int index) = 0;
    /// Adds a To recipient given as an address or as "Name <address>".
    virtual std::shared_ptr<Recipient> Add(const std::string& nameOrAddress) = 0;
};

class UserProperty {
public:
    virtual ~UserProperty() = default;
    virtual std::string Name() = 0;
    virtual int Type() = 0;
    virtual PropertyValue Value() = 0;
    /// Raises when the value does not suit the property's type.
    virtual void setValue(const PropertyValue& value) = 0;
};

class UserProperties {
public:
    virtual ~UserProperties() = default;
    virtual int Count() = 0;
    virtual std::shared_ptr<UserProperty> Item(int index) = 0;
    /// The property of that name (any case), or nothing.
    virtual std::shared_ptr<UserProperty> Find(const std::string& name) = 0;
    /// Adds a property, or answers the one of that name when it exists with the same type. A name
    /// that exists with another type raises. addToFolderFields makes the folder know the field.
    virtual std::shared_ptr<UserProperty> Add(const std::string& name, int type, bool addToFolderFields = true) = 0;
};

class Attachment {
public:
    virtual ~Attachment() = default;
    virtual std::string DisplayName() = 0;
    virtual std::string FileName() = 0;
    /// olByValue or olEmbeddeditem.
    virtual int Type() = 0;
};

class Attachments {
public:
    virtual ~Attachments() = default;
    virtual int Count() = 0;
    virtual std::shared_ptr<Attachment> Item(int index) = 0;
    /// Attaches an item (a copy of it as it stands now).
    virtual std::shared_ptr<Attachment> Add(const std::shared_ptr<outlook::Item>& source,
                                            int type = olEmbeddeditem) = 0;
};

/// What an item tells of itself while the user works with it: Read when it is shown for reading,
/// Open when its window opens (after Read), Send when it is submitted, Close when its window closes
/// (before the window's own Close).
class ItemEvents {
public:
    Event<>& Read() { return read_; }
    Event<>& Open() { return open_; }
    Event<>& Send() { return send_; }
    Event<>& Close() { return close_; }

private:
    Event<> read_, open_, send_, close_;
};

/// Any item of a folder (mail, contact, appointment ...). Properties an item of its class does not
/// have raise error 438, as a late-bound call does.
class Item {
public:
    virtual ~Item() = default;
    /// The item's own events; whoever listens keeps this item object for as long as it listens.
    virtual ItemEvents& Events() = 0;
    virtual int Class() = 0;
    /// "IPM.Note", "IPM.Contact", "IPM.Schedule.Meeting.Request" ...
    virtual std::string MessageClass() = 0;
    virtual std::string EntryID() = 0;
    virtual std::string Subject() = 0;
    virtual void setSubject(const std::string& value) = 0;
    virtual bool UnRead() = 0;
    virtual void setUnRead(bool value) = 0;
    virtual OleDate CreationTime() = 0;
    virtual OleDate ReceivedTime() = 0;
    /// Writes the item's changes (its user properties among them) to the store.
    virtual void Save() = 0;
    /// Moves the item and returns it as it now stands in the destination folder.
    virtual std::shared_ptr<Item> Move(Folder& destination) = 0;
    /// A copy in the same folder, with an identifier of its own.
    virtual std::shared_ptr<Item> Copy() = 0;
    /// Moves the item to Deleted Items; an item already there is removed for good.
    virtual void Delete() = 0;
    /// The folder holding the item.
    virtual std::shared_ptr<Folder> Parent() = 0;

    // Mail items (reading these may bring up the client's security prompt; the safe route avoids it).
    virtual std::string Body() = 0;
    virtual void setBody(const std::string& value) = 0;
    /// Empty for a message without an HTML part.
    virtual std::string HTMLBody() = 0;
    virtual void setHTMLBody(const std::string& value) = 0;
    virtual std::string SenderName() = 0;
    virtual std::shared_ptr<outlook::Recipients> Recipients() = 0;
    virtual std::shared_ptr<outlook::Attachments> Attachments() = 0;
    /// Submits the message: it goes to the Outbox until the transport delivers it.
    virtual void Send() = 0;

    virtual std::shared_ptr<outlook::UserProperties> UserProperties() = 0;

    // Contact items.
    virtual std::string FullName() = 0;
    virtual std::string Email1Address() = 0;
    virtual std::string Email2Address() = 0;
    virtual std::string Email3Address() = 0;
};

/// A folder's items, or a restricted view of them (Restrict). Filters use the client's syntax:
/// "[Unread] = True AND [CreationTime] < 'Dec 08 2026 16:05'", "[Email1Address] = 'o''brien@x.example'".
/// A malformed filter raises.
class Items {
public:
    virtual ~Items() = default;
    virtual int Count() = 0;
    /// 1-based, like the client's collections, in the order of Sort when one was set.
    virtual std::shared_ptr<outlook::Item> Item(int index) = 0;
    /// Raised after an item was added to the folder.
    virtual Event<std::shared_ptr<outlook::Item>>& ItemAdd() = 0;

    /// The first item matching the filter, or nothing.
    virtual std::shared_ptr<outlook::Item> Find(const std::string& filter) = 0;
    /// The next item matching the filter of the last Find, or nothing. Items moved away or changed
    /// since do not disturb the walk.
    virtual std::shared_ptr<outlook::Item> FindNext() = 0;
    /// A new collection of the items that match now.
    virtual std::shared_ptr<Items> Restrict(const std::string& filter) = 0;
    /// Orders the collection by a property given as "[ReceivedTime]" or "ReceivedTime".
    virtual void Sort(const std::string& property, bool descending = false) = 0;
    /// Walk without indexes; nothing past the end.
    virtual std::shared_ptr<outlook::Item> GetFirst() = 0;
    virtual std::shared_ptr<outlook::Item> GetNext() = 0;
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
    /// olFolder.
    virtual int Class() = 0;
    /// olMailItem for mail folders, olContactItem for Contacts ...
    virtual int DefaultItemType() = 0;
};

class NameSpace {
public:
    virtual ~NameSpace() = default;
    virtual std::shared_ptr<Folder> GetDefaultFolder(int which) = 0;
    /// The top folders of the stores ("Personal Folders", "Mailbox - ...").
    virtual std::shared_ptr<outlook::Folders> Folders() = 0;
    /// Lets the user pick a folder; nothing when the user cancels.
    virtual std::shared_ptr<Folder> PickFolder() = 0;
    /// The item or folder of that identifier (hexadecimal, any case) in that store; raises when
    /// there is none.
    virtual std::shared_ptr<Item> GetItemFromID(const std::string& entryID, const std::string& storeID) = 0;
    virtual std::shared_ptr<Folder> GetFolderFromID(const std::string& entryID, const std::string& storeID) = 0;
    /// The profile's address books; reading them may bring up the client's security prompt.
    virtual std::shared_ptr<outlook::AddressLists> AddressLists() = 0;
};

/// The items selected in an explorer, in the order shown.
class Selection {
public:
    virtual ~Selection() = default;
    virtual int Count() = 0;
    virtual std::shared_ptr<outlook::Item> Item(int index) = 0;
};

class Explorer {
public:
    virtual ~Explorer() = default;
    virtual std::shared_ptr<Folder> CurrentFolder() = 0;
    virtual std::string Caption() = 0;
    virtual std::shared_ptr<outlook::Selection> Selection() = 0;
    /// The window's toolbars and menus.
    virtual std::shared_ptr<office::CommandBars> CommandBars() = 0;

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
    /// The window's title: the item's subject.
    virtual std::string Caption() = 0;
    /// An EditorType: olEditorHTML for a message with an HTML part, olEditorText otherwise.
    virtual int EditorType() = 0;
    /// The window's toolbars and menus.
    virtual std::shared_ptr<office::CommandBars> CommandBars() = 0;
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
    /// A new item of an ItemType (olMailItem ...), in no folder until it is saved or sent.
    virtual std::shared_ptr<outlook::Item> CreateItem(int itemType) = 0;
};

}  // namespace tw::outlook
