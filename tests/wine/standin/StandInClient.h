// The stand-in mail client that Windows tests drive: an in-memory store, windows and add-in loading over real COM objects.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <memory>
#include <map>
#include <optional>
#include <string>
#include <vector>

// The add-in interface has no virtual destructor, as COM interfaces do not.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#include "win32/com/Extensibility.h"
#pragma GCC diagnostic pop

namespace tw::standin {

/// A message as a test sets it up. Texts are UTF-8.
struct MailSpec {
    std::string senderName, senderAddress;
    /// To recipients, each an address or "Name <address>".
    std::vector<std::string> to;
    std::string subject, body, htmlBody;
    /// The Internet transport headers, as received.
    std::string headers;
    bool unread = true;
    /// Cc and Bcc recipients, as To.
    std::vector<std::string> cc, bcc;
    /// "SMTP", or "EX": senderAddress is then a directory name, which an address book entry of type
    /// EX with that address resolves to its Internet address.
    std::string senderType = "SMTP";
};

/// An item as it stands in the store now.
struct ItemState {
    std::string entryId, subject;
    bool unread = false;
    /// "\\Personal Folders\\Inbox".
    std::string folderPath;
    /// Each user property's value as text.
    std::map<std::string, std::string> userProperties;
};

/// What the client saw of one add-in: the HRESULT of each step it took (S_FALSE: not taken).
struct AddInResult {
    std::string progId;
    HRESULT create = S_FALSE, connection = S_FALSE, startupComplete = S_FALSE, beginShutdown = S_FALSE,
            disconnection = S_FALSE;
    bool connected = false;
};

/// Registers a class object in this process under a ProgID while alive: CoRegisterClassObject
/// (in-process, multiple use) and HKEY_CURRENT_USER\Software\Classes\<ProgID>\CLSID (under Wine,
/// whose CLSIDFromProgID does not read the user's classes, HKEY_CLASSES_ROOT\<ProgID> too).
class ClassRegistration {
public:
    ClassRegistration(const std::string& progId, const CLSID& clsid, IClassFactory* factory);
    ~ClassRegistration();
    ClassRegistration(const ClassRegistration&) = delete;
    ClassRegistration& operator=(const ClassRegistration&) = delete;
    /// S_OK when both parts were registered.
    HRESULT status() const { return status_; }

private:
    std::wstring progId_;
    DWORD cookie_ = 0;
    bool wroteKey_ = false, wroteMachineKey_ = false;
    HRESULT status_ = E_FAIL;
};

/// A class factory that makes objects with a function (for test classes); the caller owns its reference.
IClassFactory* newClassFactory(IUnknown* (*create)());

/// An address-book entry as a test sets it up (UTF-8): type "SMTP", "EX" (address: the directory
/// name, smtp: the Internet address) or "MAPIPDL" (a distribution list, no address).
struct AddressEntrySpec {
    std::string name, type, address, smtp;
};

struct BarSet;
struct Model;

/// What the stand-in's mapi32.dll saw: MAPIInitialize calls not yet undone, MAPILogonEx calls, and
/// those that asked for a logon dialog.
struct MapiCalls {
    long initialized = 0, logons = 0, prompts = 0;
};

/// What the client keeps from one run to the next: the command bars of the explorer it last
/// closed (or of the active one when it ended), less what was made temporary. Hand the same
/// profile to one client and then to the next to see a restart.
struct Profile {
    std::shared_ptr<BarSet> bars;  // null: a first start
};

/// A bar as it stands now.
struct BarState {
    std::string name;
    int position = 0, left = 0, top = 0, rowIndex = 0;
    bool visible = false, menuBar = false, temporary = false, builtIn = false;
};

/// A button (type 1) or popup (type 10) as it stands now. Texts are UTF-8.
struct ControlState {
    int type = 0, id = 0;
    std::string caption, tag, tooltip, parameter;
    int style = 0, faceId = 0;
    bool beginGroup = false, visible = true, enabled = true, temporary = false, builtIn = false;
    /// The button took a face: pasted from a picture on the clipboard, or given as its Picture.
    bool faceSet = false;
    /// The face's and its mask's pixels, as standin::bitmapPixels reads a bitmap.
    std::string facePixels, maskPixels;
    /// Popups: the controls inside.
    std::vector<ControlState> children;
};

class StandInClient {
public:
    /// The store "Personal Folders" with Inbox, Sent Items, Deleted Items, Outbox, Drafts and
    /// Contacts; no window open. Enters the single-threaded apartment if the thread is in none.
    /// The command bars start from what the profile kept, when one is given.
    explicit StandInClient(std::shared_ptr<Profile> profile = nullptr);
    /// Disconnects the add-ins still connected (host shutdown) and lets go of everything.
    ~StandInClient();
    StandInClient(const StandInClient&) = delete;
    StandInClient& operator=(const StandInClient&) = delete;

    /// The client's Application object (borrowed: the client holds it).
    IDispatch* application();
    void setVersion(const std::string& version);

    // The store. Paths look like "\\Personal Folders\\Inbox"; a path that does not exist throws std::runtime_error.
    void addFolder(const std::string& path);
    bool folderExists(const std::string& path) const;
    /// Puts a message into a folder without any event; answers its entry id.
    std::string addMail(const std::string& path, const MailSpec& spec);
    /// Puts a message into a folder as the transport does: ItemAdd fires on the folder's Items.
    std::string deliver(const std::string& path, const MailSpec& spec);
    /// The client raises no ItemAdd when more than this many items arrive in one go.
    static constexpr int kItemAddBatchLimit = 16;
    /// Changes that limit for this client (a test that wants events for a large batch, or none at all).
    void setItemAddBatchLimit(int limit);
    /// Delivers messages into a folder in one go, in order; ItemAdd fires for each only when the
    /// batch is no larger than the limit. Answers their entry ids.
    std::vector<std::string> deliverBatch(const std::string& path, const std::vector<MailSpec>& specs);
    /// A contact in Contacts.
    std::string addContact(const std::string& fullName, const std::string& email);
    /// An address book of the profile after Contacts and the books added before; names may repeat.
    void addAddressBook(const std::string& name, const std::vector<AddressEntrySpec>& entries);
    std::vector<ItemState> items(const std::string& path) const;
    std::optional<ItemState> find(const std::string& entryId) const;

    // Windows. Ids are the client's own, valid until the window closes.
    /// Opens an explorer on a folder: NewExplorer, then it becomes the active explorer.
    int openExplorer(const std::string& path);
    /// Close fires, then the explorer leaves Explorers.
    void closeExplorer(int explorer);
    /// Opens an inspector on an item: NewInspector, the item's Read and Open, then Activate.
    /// Closing raises the item's Close, then the window's.
    int openInspector(const std::string& entryId);
    /// Opens an inspector whose editor is Word (EditorType olEditorWord). Version 9 raises no
    /// NewInspector for it and its CommandBars fail (the bars are the editor's); later versions
    /// open it as any other. It is in Inspectors either way, and closes as any other.
    int openWordEditorInspector(const std::string& entryId);
    void closeInspector(int inspector);
    /// Sets an explorer's selection: SelectionChange.
    void select(int explorer, const std::vector<std::string>& entryIds);
    /// The user goes to another folder: BeforeFolderSwitch (may cancel), FolderSwitch. False when cancelled.
    bool switchFolder(int explorer, const std::string& path);
    /// The next PickFolder answers this folder; an empty path makes it answer Nothing (the user cancelled).
    void queuePickFolder(const std::string& path);
    int explorerCount() const;
    int inspectorCount() const;

    // Command bars. A window is an explorer's or an inspector's id; an unknown window or bar throws std::runtime_error.
    std::vector<std::string> barNames(int window) const;
    std::vector<BarState> bars(int window) const;
    std::vector<ControlState> controls(int window, const std::string& barName) const;
    /// The user clicks the first button with that Tag that can be reached: on a visible bar, itself
    /// visible and enabled, inside visible popups (looking into them). Click reaches the sinks of
    /// every button with that Tag in any window. False when there is no such button.
    bool click(int window, const std::string& tag);
    /// The user clicks through menus by caption (with or without the '&'), e.g. {"&Help", "&About the Mail Client"}.
    /// False when the path does not lead to a button that can be reached.
    bool clickCaption(int window, const std::string& barName, const std::vector<std::string>& captionPath);

    // Add-ins, the way the client loads them.
    /// Every add-in under Software\Microsoft\Office\Outlook\Addins of the user, then of the machine, with
    /// LoadBehavior 3, or 16 (which then reads 9: on demand from the next start on); 2, 8 and 9 are not loaded:
    /// created by ProgID, OnConnection(application, ext_cm_Startup, its COMAddIn, custom), then
    /// OnStartupComplete for each connected one.
    const std::vector<AddInResult>& loadAddIns();
    /// OnBeginShutdown on each connected add-in.
    void beginShutdown();
    /// OnDisconnection on each connected add-in, then the add-ins are released.
    void disconnectAddIns(win32::ext_DisconnectMode mode = win32::ext_dm_HostShutdown);
    /// One add-in unticked by the user: OnDisconnection(ext_dm_UserClosed), as COMAddIn.Connect = False does.
    void disconnectAddIn(const std::string& progId);
    const std::vector<AddInResult>& addIns() const;
    /// The client ends as after its last window closed: it lets go of all its objects, and answers how
    /// many of them are still alive because an add-in holds them (or still listens to them). The real
    /// client does not disconnect an add-in that holds its objects and so cannot end; the stand-in
    /// disconnects the add-ins after counting and lets go of everything. Only the destructor may follow.
    long exitAfterLastWindow();
    /// The client lists its Application in the running object table, where other programs find the
    /// running client (the real one always does; here it is asked for, since under Wine every client
    /// so listed costs seconds at its end). The registration's result.
    HRESULT listAsRunning();
    /// The client no longer lists itself as running (as while it exits).
    void leaveRunningObjectTable();

    /// Runs the thread's message loop for that long, so window timers run.
    void pump(int milliseconds);
    /// The next calls of that member (any object) raise a COM error.
    void failNext(const std::string& member, int count = 1);
    /// Events any sink answered with a failure or threw out of, since the process began.
    long sinkFailures() const;

    // MAPI. The client shares its session with the stand-in's mapi32.dll while it lives, so
    // MAPILogonEx of a shared session answers it.
    /// Shares the session again, or takes it away (MAPILogonEx then fails as without a profile).
    void shareMapiSession(bool share);
    /// MAPI objects handed out and not yet released (the client's own session is not counted).
    long liveMapiObjects() const;
    /// Buffers from mapi32's MAPIAllocateBuffer not yet freed; -1 without the stand-in's mapi32.dll.
    long outstandingMapiBuffers() const;
    MapiCalls mapiCalls() const;

private:
    Model& model() const;

    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace tw::standin
