// The stand-in client's test API: the store set up and read back, windows, add-ins loaded from the registry, the message loop.
#include "StandInClient.h"

#include <algorithm>
#include <stdexcept>

#include "ConnectionPoints.h"
#include "Model.h"
#include "mapi/StandInMapi.h"
#include "win32/TextEncoding.h"
#include "win32/com/ClientApplication.h"

namespace tw::standin {

namespace {

using win32::toUtf8;
using win32::toWide;

// CLSIDs of the safe-mail test classes.

constexpr const wchar_t* kAddInsKey = L"Software\\Microsoft\\Office\\Outlook\\Addins";

/// Runs a call into an add-in; whatever it throws becomes a failure.
template <class F>
HRESULT guarded(F&& call) {
    try {
        return call();
    } catch (...) {
        return E_UNEXPECTED;
    }
}

/// An empty array for the add-in interface's custom argument.
struct CustomArray {
    SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, 0);
    ~CustomArray() {
        if (array) SafeArrayDestroy(array);
    }
};

std::wstring readText(HKEY key, const wchar_t* name) {
    wchar_t buffer[1024] = {};
    DWORD size = sizeof(buffer) - sizeof(wchar_t), type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS || type != REG_SZ) return {};
    return buffer;
}

/// The add-in object made from its ProgID; the HRESULT says why there is none.
Ref<win32::IDTExtensibility2> createAddIn(const std::wstring& progId, HRESULT& status) {
    CLSID clsid{};
    Ref<IUnknown> object;
    Ref<win32::IDTExtensibility2> addIn;
    status = CLSIDFromProgID(progId.c_str(), &clsid);
    if (SUCCEEDED(status)) status = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(object.put()));
    if (SUCCEEDED(status)) status = object->QueryInterface(win32::IID_IDTExtensibility2, reinterpret_cast<void**>(addIn.put()));
    return addIn;
}

DWORD readNumber(HKEY key, const wchar_t* name) {
    DWORD value = 0, size = sizeof(value), type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS || type != REG_DWORD) return 0;
    return value;
}

}  // namespace

/// The session the stand-in's mapi32.dll holds, as the last client to share or unshare left it.
static IUnknown*& sharedSession() {
    static IUnknown* shared = nullptr;
    return shared;
}

/// The test functions of the stand-in's mapi32.dll, when that is the one loaded.
struct StandInMapi32 {
    using Share = void(WINAPI*)(IUnknown*);
    using Outstanding = LONG(WINAPI*)();
    using State = void(WINAPI*)(LONG*, LONG*, LONG*);

    HMODULE module = LoadLibraryW(L"mapi32.dll");
    Share share = function<Share>("StandInMapiShareSession");
    Outstanding outstanding = function<Outstanding>("StandInMapiOutstandingBuffers");
    State state = function<State>("StandInMapiState");

    StandInMapi32() = default;
    StandInMapi32(const StandInMapi32&) = delete;
    StandInMapi32& operator=(const StandInMapi32&) = delete;
    ~StandInMapi32() {
        if (module) FreeLibrary(module);
    }

    template <class F>
    F function(const char* name) const {
        return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
    }
};

struct StandInClient::Impl {
    std::shared_ptr<Model> model = std::make_shared<Model>();
    std::unique_ptr<StandInMapi32> mapi32;
    bool leaveApartment = false;
    std::vector<AddInResult> results;
    DWORD runningCookie = 0;
    int itemAddBatchLimit = StandInClient::kItemAddBatchLimit;
    /// The first of the client's own objects.
    unsigned long firstSerial = nextObjectSerial();

    std::shared_ptr<FolderData> folder(const std::string& path) const {
        auto found = model->folderByPath(toWide(path));
        if (!found) throw std::runtime_error("no folder " + path);
        return found;
    }

    AddInResult* result(const std::wstring& progId) {
        for (auto& r : results)
            if (_wcsicmp(toWide(r.progId).c_str(), progId.c_str()) == 0) return &r;
        return nullptr;
    }

    std::shared_ptr<ItemData> newMail(const MailSpec& spec) const {
        auto item = std::make_shared<ItemData>();
        item->entryId = model->newEntryId();
        item->created = item->received = model->now();
        item->senderName = toWide(spec.senderName);
        item->senderAddress = toWide(spec.senderAddress);
        item->senderType = spec.senderType.empty() ? L"SMTP" : toWide(spec.senderType);
        if (item->senderName.empty()) item->senderName = item->senderAddress;
        for (auto [list, type] : {std::pair{&spec.to, outlook::olTo}, {&spec.cc, outlook::olCC}, {&spec.bcc, outlook::olBCC}}) {
            for (const auto& text : *list) {
                auto recipient = parseRecipient(toWide(text));
                recipient->type = type;
                item->recipients.push_back(recipient);
            }
        }
        item->subject = toWide(spec.subject);
        item->body = toWide(spec.body);
        item->htmlBody = toWide(spec.htmlBody);
        item->headers = toWide(spec.headers);
        item->unread = spec.unread;
        return item;
    }

    ItemState state(const ItemData& item) const {
        ItemState s{toUtf8(item.entryId), toUtf8(item.subject), item.unread, {}, {}};
        if (auto folder = item.folder.lock()) s.folderPath = toUtf8(model->pathOf(*folder));
        for (const auto& p : item.properties) s.userProperties[toUtf8(p->name)] = toUtf8(p->value.asText());
        return s;
    }

    AddInRecord* record(const std::wstring& progId) const {
        for (auto& a : model->addIns)
            if (_wcsicmp(a.progId.c_str(), progId.c_str()) == 0) return &a;
        return nullptr;
    }

    /// An add-in the client knows, connected while the client runs (COMAddIn.Connect = True): made
    /// anew, then OnConnection(ext_cm_AfterStartup); OnStartupComplete is not called.
    bool connectLater(const std::wstring& progId) {
        AddInRecord* found = record(progId);
        if (!found) return false;
        if (found->connected) return true;
        HRESULT created = S_OK;
        Ref<win32::IDTExtensibility2> addIn = createAddIn(progId, created);
        AddInResult* r = result(progId);
        if (r) {
            r->create = created;
            r->connection = r->startupComplete = r->beginShutdown = r->disconnection = S_FALSE;
        }
        if (FAILED(created)) return false;
        found->object = addIn;
        Ref<DispObject> comAddIn = found->comAddIn;
        CustomArray custom;
        HRESULT hr = guarded([&] { return addIn->OnConnection(model->application.get(), win32::ext_cm_AfterStartup, comAddIn.get(), &custom.array); });
        found = record(progId);
        if (r = result(progId); r) r->connection = hr;
        if (!found) return false;
        if (FAILED(hr)) {
            found->object.reset();
            return false;
        }
        found->connected = true;
        if (r) r->connected = true;
        return true;
    }

    void disconnect(const std::wstring& progId, win32::ext_DisconnectMode mode) {
        AddInRecord* found = record(progId);
        if (!found || !found->connected) return;
        found->connected = false;
        // The add-in may call the client's objects from inside; it stays alive through the call.
        Ref<win32::IDTExtensibility2> addIn = found->object;
        CustomArray custom;
        HRESULT hr = guarded([&] { return addIn->OnDisconnection(mode, &custom.array); });
        if (auto* r = result(progId)) {
            r->disconnection = hr;
            r->connected = false;
        }
        if (AddInRecord* after = record(progId)) after->object.reset();
        addIn.reset();
    }
};

StandInClient::StandInClient(std::shared_ptr<Profile> profile) : impl_(std::make_unique<Impl>()) {
    impl_->model->profile = profile ? std::move(profile) : std::make_shared<Profile>();
    HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    impl_->leaveApartment = SUCCEEDED(hr);
    clearFailures();
    Model& m = *impl_->model;
    m.storeId = L"0000000038A1BB1005E5101AA1BB08002B2A56C200006D737073742E646C6C00000000004E495441F9BFB80100AA0037D96E0000";
    m.root = m.addFolder(nullptr, L"Personal Folders", outlook::olMailItem);
    for (const wchar_t* name : {L"Deleted Items", L"Inbox", L"Outbox", L"Sent Items", L"Drafts"}) m.addFolder(m.root, name, outlook::olMailItem);
    m.addFolder(m.root, L"Contacts", outlook::olContactItem);
    makeApplication(impl_->model);
    m.mapiSession = makeMapiSession(impl_->model);
    impl_->mapi32 = std::make_unique<StandInMapi32>();
    shareMapiSession(true);
    Impl* impl = impl_.get();
    m.userDisconnect = [impl](const std::wstring& progId) { impl->disconnect(progId, win32::ext_dm_UserClosed); };
    m.userConnect = [impl](const std::wstring& progId) { return impl->connectLater(progId); };

}

StandInClient::~StandInClient() {
    leaveRunningObjectTable();
    try {
        disconnectAddIns(win32::ext_dm_HostShutdown);
    } catch (...) {
    }
    // A client made later may share its own session by now; that one stays shared.
    if (sharedSession() == impl_->model->mapiSession.get()) shareMapiSession(false);
    // The client ends: the profile keeps the bars of the explorer still open.
    if (Window* active = impl_->model->explorer(impl_->model->activeExplorer)) impl_->model->keepBars(*active->bars);
    impl_->model->shutdown();
    clearFailures();
    bool leave = impl_->leaveApartment;
    impl_->model.reset();
    impl_.reset();
    if (leave) CoUninitialize();
}

long StandInClient::exitAfterLastWindow() {
    leaveRunningObjectTable();
    Model& m = *impl_->model;
    if (Window* active = m.explorer(m.activeExplorer)) m.keepBars(*active->bars);
    std::vector<std::pair<std::wstring, Ref<win32::IDTExtensibility2>>> connected;
    for (const auto& record : m.addIns)
        if (record.connected && record.object) connected.emplace_back(record.progId, record.object);
    m.letGo();
    const long held = liveObjects(impl_->firstSerial);
    for (auto& [progId, addIn] : connected) {
        CustomArray custom;
        HRESULT hr = guarded([&] { return addIn->OnDisconnection(win32::ext_dm_HostShutdown, &custom.array); });
        if (auto* r = impl_->result(progId)) {
            r->disconnection = hr;
            r->connected = false;
        }
    }
    connected.clear();
    dropEverySink(impl_->firstSerial);
    return held;
}

HRESULT StandInClient::listAsRunning() {
    if (impl_->runningCookie != 0) return S_OK;
    const HRESULT hr = RegisterActiveObject(static_cast<IDispatch*>(impl_->model->application.get()),
                                            win32::CLSID_ClientApplication, ACTIVEOBJECT_STRONG, &impl_->runningCookie);
    if (FAILED(hr)) impl_->runningCookie = 0;
    return hr;
}

void StandInClient::leaveRunningObjectTable() {
    if (impl_->runningCookie == 0) return;
    RevokeActiveObject(impl_->runningCookie, nullptr);
    impl_->runningCookie = 0;
    // Programs that still hold the application from the table lose it with the client.
    CoDisconnectObject(static_cast<IDispatch*>(impl_->model->application.get()), 0);
}

Model& StandInClient::model() const {
    return *impl_->model;
}

IDispatch* StandInClient::application() {
    return impl_->model->application.get();
}

void StandInClient::setVersion(const std::string& version) {
    impl_->model->version = toWide(version);
}

void StandInClient::addFolder(const std::string& path) {
    std::wstring wide = toWide(path);
    size_t slash = wide.find_last_of(L'\\');
    if (slash == std::wstring::npos || slash + 1 >= wide.size()) throw std::runtime_error("not a folder path: " + path);
    auto parent = impl_->folder(toUtf8(wide.substr(0, slash)));
    if (impl_->model->folderByPath(wide)) return;
    impl_->model->addFolder(parent, wide.substr(slash + 1), parent->defaultItemType);
}

bool StandInClient::folderExists(const std::string& path) const {
    return impl_->model->folderByPath(toWide(path)) != nullptr;
}

std::string StandInClient::addMail(const std::string& path, const MailSpec& spec) {
    auto item = impl_->newMail(spec);
    impl_->model->place(item, impl_->folder(path), false);
    return toUtf8(item->entryId);
}

std::string StandInClient::deliver(const std::string& path, const MailSpec& spec) {
    auto item = impl_->newMail(spec);
    impl_->model->place(item, impl_->folder(path), true);
    return toUtf8(item->entryId);
}

void StandInClient::setItemAddBatchLimit(int limit) {
    impl_->itemAddBatchLimit = limit;
}

std::vector<std::string> StandInClient::deliverBatch(const std::string& path, const std::vector<MailSpec>& specs) {
    auto folder = impl_->folder(path);
    const bool fire = static_cast<long long>(specs.size()) <= impl_->itemAddBatchLimit;
    std::vector<std::string> ids;
    for (const auto& spec : specs) {
        auto item = impl_->newMail(spec);
        impl_->model->place(item, folder, fire);
        ids.push_back(toUtf8(item->entryId));
    }
    return ids;
}

std::string StandInClient::addContact(const std::string& fullName, const std::string& email) {
    auto item = std::make_shared<ItemData>();
    item->itemClass = outlook::olContact;
    item->messageClass = L"IPM.Contact";
    item->entryId = impl_->model->newEntryId();
    item->created = item->received = impl_->model->now();
    item->fullName = item->subject = toWide(fullName);
    item->email[0] = toWide(email);
    impl_->model->place(item, impl_->model->defaultFolder(outlook::olFolderContacts), false);
    return toUtf8(item->entryId);
}

void StandInClient::addAddressBook(const std::string& name, const std::vector<AddressEntrySpec>& entries) {
    AddressBookData book{toWide(name), {}};
    for (const auto& e : entries) book.entries.push_back({toWide(e.name), toWide(e.type), toWide(e.address), toWide(e.smtp)});
    impl_->model->addressBooks.push_back(std::move(book));
}

std::vector<ItemState> StandInClient::items(const std::string& path) const {
    std::vector<ItemState> states;
    for (const auto& item : impl_->folder(path)->items) states.push_back(impl_->state(*item));
    return states;
}

std::optional<ItemState> StandInClient::find(const std::string& entryId) const {
    auto item = impl_->model->itemById(toWide(entryId));
    if (!item) return std::nullopt;
    return impl_->state(*item);
}

int StandInClient::openExplorer(const std::string& path) {
    return standin::openExplorer(*impl_->model, impl_->folder(path));
}

void StandInClient::closeExplorer(int explorer) {
    standin::closeExplorer(*impl_->model, explorer);
}

int StandInClient::openInspector(const std::string& entryId) {
    auto item = impl_->model->itemById(toWide(entryId));
    if (!item) throw std::runtime_error("no item " + entryId);
    return standin::openInspector(*impl_->model, item);
}

int StandInClient::openWordEditorInspector(const std::string& entryId) {
    auto item = impl_->model->itemById(toWide(entryId));
    if (!item) throw std::runtime_error("no item " + entryId);
    return standin::openInspector(*impl_->model, item, true);
}

void StandInClient::closeInspector(int inspector) {
    standin::closeInspector(*impl_->model, inspector);
}

void StandInClient::select(int explorer, const std::vector<std::string>& entryIds) {
    Window* w = impl_->model->explorer(explorer);
    if (!w) throw std::runtime_error("no explorer " + std::to_string(explorer));
    std::vector<std::shared_ptr<ItemData>> items;
    for (const auto& id : entryIds)
        if (auto item = impl_->model->itemById(toWide(id))) items.push_back(item);
    Ref<DispObject> keep = w->object;
    selectItems(*keep.get(), std::move(items));
}

bool StandInClient::switchFolder(int explorer, const std::string& path) {
    Window* w = impl_->model->explorer(explorer);
    if (!w) throw std::runtime_error("no explorer " + std::to_string(explorer));
    Ref<DispObject> keep = w->object;
    return standin::switchFolder(*keep.get(), impl_->folder(path));
}

void StandInClient::queuePickFolder(const std::string& path) {
    impl_->model->pickQueue.push_back(path.empty() ? nullptr : impl_->folder(path));
}

int StandInClient::explorerCount() const {
    return static_cast<int>(impl_->model->explorers.size());
}

int StandInClient::inspectorCount() const {
    return static_cast<int>(impl_->model->inspectors.size());
}

const std::vector<AddInResult>& StandInClient::loadAddIns() {
    Model& m = *impl_->model;
    struct Listed {
        std::wstring progId, description;
        HKEY hive;
        DWORD behavior;
    };
    std::vector<Listed> toLoad;
    // The user's add-ins, then the machine's; a ProgID listed in both is the user's.
    for (HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        HKEY addIns = nullptr;
        if (RegOpenKeyExW(hive, kAddInsKey, 0, KEY_READ, &addIns) != ERROR_SUCCESS) continue;
        for (DWORD index = 0;; ++index) {
            wchar_t name[256];
            DWORD length = 256;
            if (RegEnumKeyExW(addIns, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            HKEY key = nullptr;
            if (RegOpenKeyExW(addIns, name, 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
            const DWORD behavior = readNumber(key, L"LoadBehavior");
            const bool listed = std::any_of(toLoad.begin(), toLoad.end(), [&](const Listed& l) { return _wcsicmp(l.progId.c_str(), name) == 0; });
            // 3: loaded at start-up; 16: loaded at the first start only, then on demand (9). 2 is an
            // add-in that is not loaded, 8 and 9 load on demand, which no start-up is.
            if (!listed && (behavior == 3 || behavior == 16)) toLoad.push_back({name, readText(key, L"Description"), hive, behavior});
            RegCloseKey(key);
        }
        RegCloseKey(addIns);
    }

    std::vector<size_t> connected;
    for (const auto& [progId, description, hive, behavior] : toLoad) {
        if (impl_->result(progId)) continue;  // loaded already
        AddInResult result;
        result.progId = toUtf8(progId);
        Ref<win32::IDTExtensibility2> addIn = createAddIn(progId, result.create);
        impl_->results.push_back(result);
        if (FAILED(result.create)) continue;
        AddInRecord record{progId, description, addIn, makeComAddIn(impl_->model, progId, description), false};
        m.addIns.push_back(record);
        CustomArray custom;
        IDispatch* comAddIn = record.comAddIn.get();
        HRESULT hr = guarded([&] { return addIn->OnConnection(m.application.get(), win32::ext_cm_Startup, comAddIn, &custom.array); });
        impl_->results.back().connection = hr;
        if (FAILED(hr)) {
            // The client gives up on an add-in whose connection failed.
            m.addIns.back().object.reset();
            continue;
        }
        m.addIns.back().connected = true;
        impl_->results.back().connected = true;
        if (behavior == 16) {
            const DWORD onDemand = 9;
            HKEY key = nullptr;
            if (RegOpenKeyExW(hive, (std::wstring(kAddInsKey) + L"\\" + progId).c_str(), 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
                RegSetValueExW(key, L"LoadBehavior", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&onDemand), sizeof(onDemand));
                RegCloseKey(key);
            }
        }
        connected.push_back(m.addIns.size() - 1);
    }
    for (size_t index : connected) {
        if (index >= m.addIns.size() || !m.addIns[index].connected) continue;
        Ref<win32::IDTExtensibility2> addIn = m.addIns[index].object;
        CustomArray custom;
        HRESULT hr = guarded([&] { return addIn->OnStartupComplete(&custom.array); });
        if (auto* r = impl_->result(m.addIns[index].progId)) r->startupComplete = hr;
    }
    return impl_->results;
}

void StandInClient::beginShutdown() {
    auto addIns = impl_->model->addIns;
    for (auto& record : addIns) {
        if (!record.connected) continue;
        CustomArray custom;
        HRESULT hr = guarded([&] { return record.object->OnBeginShutdown(&custom.array); });
        if (auto* r = impl_->result(record.progId)) r->beginShutdown = hr;
    }
}

void StandInClient::disconnectAddIns(win32::ext_DisconnectMode mode) {
    std::vector<std::wstring> progIds;
    for (const auto& record : impl_->model->addIns)
        if (record.connected) progIds.push_back(record.progId);
    for (const auto& progId : progIds) impl_->disconnect(progId, mode);
}

void StandInClient::disconnectAddIn(const std::string& progId) {
    impl_->disconnect(toWide(progId), win32::ext_dm_UserClosed);
}

const std::vector<AddInResult>& StandInClient::addIns() const {
    return impl_->results;
}

void StandInClient::pump(int milliseconds) {
    DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds > 0 ? milliseconds : 0);
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            try {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            } catch (...) {
                // A window procedure or timer of an add-in failed; the client goes on.
            }
        }
        LONG left = static_cast<LONG>(end - GetTickCount());
        if (left <= 0) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left), QS_ALLINPUT);
    }
}

void StandInClient::failNext(const std::string& member, int count) {
    standin::failNext(toWide(member), count);
}

long StandInClient::sinkFailures() const {
    return standin::sinkFailures();
}

void StandInClient::shareMapiSession(bool share) {
    if (!impl_->mapi32 || !impl_->mapi32->share) return;
    sharedSession() = share ? impl_->model->mapiSession.get() : nullptr;
    impl_->mapi32->share(sharedSession());
}

long StandInClient::liveMapiObjects() const {
    return standin::liveMapiObjects() - (impl_->model->mapiSession ? 1 : 0);
}

long StandInClient::outstandingMapiBuffers() const {
    return impl_->mapi32 && impl_->mapi32->outstanding ? impl_->mapi32->outstanding() : -1;
}

MapiCalls StandInClient::mapiCalls() const {
    LONG initialized = 0, logons = 0, prompts = 0;
    if (impl_->mapi32 && impl_->mapi32->state) impl_->mapi32->state(&initialized, &logons, &prompts);
    return {initialized, logons, prompts};
}

}  // namespace tw::standin
