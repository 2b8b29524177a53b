// The stand-in client's in-memory store and window state, and the factories of the COM objects over them.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ComBase.h"
#include "platform/Outlook.h"
// The add-in interface has no virtual destructor, as COM interfaces do not.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#include "win32/com/Extensibility.h"
#pragma GCC diagnostic pop

namespace tw::standin {

struct FolderData;
struct BarSet;
struct Profile;

struct RecipientData {
    std::wstring name, address;
    int type = outlook::olTo;
    /// "SMTP", or "EX" with the directory name as the address.
    std::wstring addressType = L"SMTP";
};

struct AttachmentData {
    std::wstring displayName, fileName;
    int type = outlook::olByValue;
};

struct UserPropertyData {
    std::wstring name;
    int type = outlook::olText;
    Variant value;
};

struct ItemData {
    int itemClass = outlook::olMail;
    std::wstring messageClass = L"IPM.Note";
    std::wstring entryId, subject, body, htmlBody, senderName, senderAddress, headers;
    /// "SMTP", or "EX": the sender address is then the directory name an address-book entry resolves.
    std::wstring senderType = L"SMTP";
    bool unread = false;
    DATE created = 0, received = 0;
    std::vector<std::shared_ptr<RecipientData>> recipients;
    std::vector<std::shared_ptr<AttachmentData>> attachments;
    std::vector<std::shared_ptr<UserPropertyData>> properties;
    // Contact items.
    std::wstring fullName, email[3];
    std::weak_ptr<FolderData> folder;

    /// The value a filter sees under a property name (a user property never set: nothing).
    outlook::PropertyValue filterValue(const std::string& name) const;
    std::shared_ptr<UserPropertyData> findProperty(const std::wstring& name) const;
};

/// An address-book entry: type "SMTP", "EX" (address: the directory name, smtp: its Internet
/// address) or "MAPIPDL" (a distribution list without an address).
struct AddressEntryData {
    std::wstring name, type, address, smtp;
};

struct AddressBookData {
    std::wstring name;
    std::vector<AddressEntryData> entries;
};

struct FolderData {
    std::wstring name, entryId;
    int defaultItemType = outlook::olMailItem;
    std::weak_ptr<FolderData> parent;
    std::vector<std::shared_ptr<FolderData>> children;
    std::vector<std::shared_ptr<ItemData>> items;
    /// The user-defined fields of the folder (user properties added with AddToFolderFields), the
    /// only user properties its filters may name.
    std::vector<std::wstring> userFields;
    /// The folder's one Items object, made on first use, so sinks advised on it hear ItemAdd.
    Ref<DispObject> itemsObject;
};

/// A mail-client window: an explorer on a folder or an inspector on an item.
struct Window {
    int id = 0;
    Ref<DispObject> object;
    /// The window's command bars.
    std::shared_ptr<BarSet> bars;
};

/// An add-in as the client loaded it.
struct AddInRecord {
    std::wstring progId, description;
    Ref<win32::IDTExtensibility2> object;
    Ref<DispObject> comAddIn;
    bool connected = false;
};

struct Model : std::enable_shared_from_this<Model> {
    std::wstring version = L"11.0.0.8312";
    std::wstring storeId;
    std::shared_ptr<FolderData> root;
    unsigned long nextId = 1;
    int nextWindow = 1;

    Ref<DispObject> application, nameSpace, explorersObject, inspectorsObject, comAddInsObject;
    std::vector<Window> explorers, inspectors;
    int activeExplorer = 0;
    std::deque<std::shared_ptr<FolderData>> pickQueue;
    std::vector<AddInRecord> addIns;
    /// The profile's address books besides Contacts, in order.
    std::vector<AddressBookData> addressBooks;
    /// What the client keeps from one run to the next (never null).
    std::shared_ptr<Profile> profile;
    /// Every object that has connection points, so teardown can drop the sinks they hold.
    std::vector<Ref<DispObject>> eventSources;
    /// The profile's one MAPI session (IMAPISession), which the name space hands out from version 10.
    Ref<IUnknown> mapiSession;
    /// Asked to disconnect an add-in whose COMAddIn.Connect was set to False.
    std::function<void(const std::wstring& progId)> userDisconnect;
    /// Asked to connect an add-in whose COMAddIn.Connect was set to True; false when it could not be.
    std::function<bool(const std::wstring& progId)> userConnect;

    std::wstring newEntryId();
    /// The major number of the version ("11.0.0.8312": 11).
    int majorVersion() const;
    /// The Contacts list (named as the Contacts folder, an entry per e-mail address), then the books.
    std::vector<AddressBookData> addressLists() const;
    DATE now() const;
    std::shared_ptr<FolderData> defaultFolder(int which) const;
    /// A path like "\\Personal Folders\\Inbox"; null when there is no such folder.
    std::shared_ptr<FolderData> folderByPath(const std::wstring& path) const;
    std::wstring pathOf(const FolderData& folder) const;
    std::shared_ptr<FolderData> folderById(const std::wstring& entryId) const;
    std::shared_ptr<ItemData> itemById(const std::wstring& entryId) const;
    std::shared_ptr<FolderData> addFolder(const std::shared_ptr<FolderData>& parent, const std::wstring& name, int itemType);
    /// Puts an item into a folder (out of the one it was in); fires ItemAdd there when asked.
    void place(const std::shared_ptr<ItemData>& item, const std::shared_ptr<FolderData>& folder, bool fire);
    void remove(const std::shared_ptr<ItemData>& item);
    Window* explorer(int id);
    Window* inspector(int id);
    /// An explorer or an inspector.
    Window* window(int id);
    /// The bars of a new explorer: a copy of the active explorer's, else the client's own with what the profile kept.
    std::shared_ptr<BarSet> newExplorerBars() const;
    /// The profile keeps these bars, less what was made temporary.
    void keepBars(const BarSet& bars);
    /// Drops every sink and every object the model holds (the client's teardown).
    void shutdown();
    /// Lets go of every object the model holds but leaves the sinks advised on them, so an object
    /// someone else still holds (or listens to) stays alive. The MAPI session stays.
    void letGo();
};

// The COM objects (Objects.cpp).
Ref<DispObject> makeApplication(const std::shared_ptr<Model>& model);
Ref<DispObject> makeFolder(const std::shared_ptr<Model>& model, const std::shared_ptr<FolderData>& folder);
Ref<DispObject> makeItem(const std::shared_ptr<Model>& model, const std::shared_ptr<ItemData>& item);
/// The folder's own Items object.
Ref<DispObject> folderItems(const std::shared_ptr<Model>& model, const std::shared_ptr<FolderData>& folder);
Ref<DispObject> makeExplorer(const std::shared_ptr<Model>& model, const std::shared_ptr<FolderData>& folder,
                             const std::shared_ptr<BarSet>& bars);
/// wordEditor: the window edits with Word; from version 10 on its bars are its own, before they fail.
Ref<DispObject> makeInspector(const std::shared_ptr<Model>& model, const std::shared_ptr<ItemData>& item,
                              const std::shared_ptr<BarSet>& bars, bool wordEditor = false);
Ref<DispObject> makeComAddIn(const std::shared_ptr<Model>& model, const std::wstring& progId, const std::wstring& description);
Ref<DispObject> makeAddressEntry(const std::wstring& name, const std::wstring& address);
Ref<DispObject> makeRecipients(const std::shared_ptr<Model>& model, const std::shared_ptr<ItemData>& item);
/// "Name <address>" or a bare address.
std::shared_ptr<RecipientData> parseRecipient(const std::wstring& text);
/// The items of a stand-in Items object in its order, or nothing for another object.
std::optional<std::vector<std::shared_ptr<ItemData>>> itemsOf(IDispatch* object);
/// The item behind a stand-in MailItem's dispatch pointer, or null.
std::shared_ptr<ItemData> itemOf(IDispatch* object);
/// Explorer actions shared by the client API and the objects.
void selectItems(DispObject& explorer, std::vector<std::shared_ptr<ItemData>> items);
bool switchFolder(DispObject& explorer, const std::shared_ptr<FolderData>& folder);
/// Sends what waits in the Outbox: it lands in Sent Items.
void deliverOutbox(Model& model);
/// Window actions as the client does them: NewExplorer/NewInspector, Activate/Deactivate, Close then removal.
int openExplorer(Model& model, const std::shared_ptr<FolderData>& folder);
/// A window that edits with Word raises no NewInspector in version 9.
int openInspector(Model& model, const std::shared_ptr<ItemData>& item, bool wordEditor = false);
void activateExplorer(Model& model, int id);
void closeExplorer(Model& model, int id);
void closeInspector(Model& model, int id);

/// The bars of a stand-in window object, or null for another object.
std::shared_ptr<BarSet> windowBars(DispObject* object);

/// The address lists of the name space (AddressBooks.cpp).
Ref<DispObject> makeAddressLists(const std::shared_ptr<Model>& model);

/// A class factory that makes objects with a function (ClassRegistration.cpp).
IClassFactory* newFactory(std::function<IUnknown*()> create);

}  // namespace tw::standin
