// The stand-in mail client under Wine, driven the way the add-in drives it: late-bound calls and connection points only.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ComBase.h"
#include "StandInClient.h"
#include "win32/com/OutlookEvents.h"

namespace tw::winetest {
namespace {

using standin::Ref;
using standin::StandInClient;
using standin::Variant;

constexpr const char* kInbox = "\\Personal Folders\\Inbox";
constexpr const char* kJunk = "\\Personal Folders\\Junk";

/// One late-bound call: GetIDsOfNames then Invoke, arguments in written order.
HRESULT invoke(IDispatch* object, const wchar_t* name, WORD flags, std::vector<Variant> args, Variant* result = nullptr,
               std::wstring* description = nullptr, HRESULT* scode = nullptr) {
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    std::vector<VARIANT> reversed;
    for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(it->value());
    DISPID named = DISPID_PROPERTYPUT;
    bool put = (flags & DISPATCH_PROPERTYPUT) != 0;
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), put ? &named : nullptr, static_cast<UINT>(reversed.size()),
                      put ? 1u : 0u};
    EXCEPINFO excep{};
    Variant ignored;
    hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, (result ? result : &ignored)->get(), &excep, nullptr);
    if (description && excep.bstrDescription) *description = excep.bstrDescription;
    if (scode) *scode = excep.scode;
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
    return hr;
}

Variant get(IDispatch* object, const wchar_t* name, std::vector<Variant> args = {}) {
    Variant result;
    std::wstring description;
    HRESULT hr = invoke(object, name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, std::move(args), &result, &description);
    EXPECT_EQ(hr, S_OK) << "calling " << std::string(name, name + wcslen(name)) << ": "
                        << std::string(description.begin(), description.end());
    return result;
}

Ref<IDispatch> object(IDispatch* parent, const wchar_t* name, std::vector<Variant> args = {}) {
    Variant v = get(parent, name, std::move(args));
    return v.type() == VT_DISPATCH ? Ref<IDispatch>(V_DISPATCH(&v.value())) : Ref<IDispatch>();
}

std::wstring text(IDispatch* parent, const wchar_t* name, std::vector<Variant> args = {}) {
    return get(parent, name, std::move(args)).asText();
}

long number(IDispatch* parent, const wchar_t* name, std::vector<Variant> args = {}) {
    return std::stol(get(parent, name, std::move(args)).asText());
}

void put(IDispatch* target, const wchar_t* name, Variant value) {
    EXPECT_EQ(invoke(target, name, DISPATCH_PROPERTYPUT, {std::move(value)}), S_OK);
}

Variant t(const wchar_t* value) { return Variant::text(value); }
Variant n(long value) { return Variant::integer(value); }
Variant o(IDispatch* value) { return Variant::object(value); }

Ref<IDispatch> folder(IDispatch* app, int which) {
    auto ns = object(app, L"GetNamespace", {t(L"MAPI")});
    return object(ns.get(), L"GetDefaultFolder", {n(which)});
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
/// An event sink that records what reaches it and answers as told.
class Sink : public IDispatch {
public:
    std::vector<DISPID> calls;
    std::vector<std::wstring> subjects;  // of the item or folder an event carried
    HRESULT answer = S_OK;
    bool throws = false;
    std::function<void(DISPID, DISPPARAMS*)> onEvent;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        *out = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch)) return E_NOINTERFACE;
        *out = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--refs); }  // lives on the test's stack
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
        calls.push_back(id);
        if (params->cArgs > 0 && V_VT(&params->rgvarg[params->cArgs - 1]) == VT_DISPATCH) {
            IDispatch* first = V_DISPATCH(&params->rgvarg[params->cArgs - 1]);
            Variant name;
            if (SUCCEEDED(invoke(first, L"Subject", DISPATCH_PROPERTYGET, {}, &name)) ||
                SUCCEEDED(invoke(first, L"Name", DISPATCH_PROPERTYGET, {}, &name)))
                subjects.push_back(name.asText());
        }
        if (onEvent) onEvent(id, params);
        if (throws) throw std::runtime_error("sink failure");
        return answer;
    }

    long refs = 0;
};
#pragma GCC diagnostic pop

/// Advises a sink on an object's connection point for that event interface; answers the cookie.
struct Advice {
    Ref<IConnectionPoint> point;
    DWORD cookie = 0;

    Advice(IDispatch* source, const IID& events, IUnknown* sink) {
        Ref<IConnectionPointContainer> container;
        EXPECT_EQ(source->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(container.put())), S_OK);
        if (!container) return;
        EXPECT_EQ(container->FindConnectionPoint(events, point.put()), S_OK);
        if (point) {
            EXPECT_EQ(point->Advise(sink, &cookie), S_OK);
        }
    }
    void unadvise() {
        if (point && cookie) {
            EXPECT_EQ(point->Unadvise(std::exchange(cookie, 0)), S_OK);
        }
    }
};

standin::MailSpec mail(const char* subject, const char* sender = "ann@a.example") {
    standin::MailSpec spec;
    spec.senderName = "Ann";
    spec.senderAddress = sender;
    spec.to = {"Me <me@b.example>"};
    spec.subject = subject;
    spec.body = "hello";
    spec.headers = std::string("Received: from mx.a.example\r\nFrom: Ann <") + sender + ">\r\nSubject: " + subject + "\r\n";
    return spec;
}

TEST(StandInClientTest, FiltersFindRestrictAndWalkWithUserPropertiesAndCoercedIndexes) {
    StandInClient client;
    client.addMail(kInbox, mail("first"));
    std::string second = client.addMail(kInbox, mail("second"));
    auto read = mail("third");
    read.unread = false;
    client.addMail(kInbox, read);

    auto items = object(folder(client.application(), 6).get(), L"Items");
    auto marked = object(items.get(), L"Item", {n(2)});
    EXPECT_EQ(text(marked.get(), L"EntryID"), std::wstring(second.begin(), second.end()));
    auto property = object(object(marked.get(), L"UserProperties").get(), L"Add", {t(L"tarnwickd"), n(1), Variant::boolean(false)});
    put(property.get(), L"Value", t(L"done"));
    // Added to the message only, the field is unknown to the folder, and a filter naming it fails.
    EXPECT_EQ(invoke(items.get(), L"Find", DISPATCH_METHOD, {t(L"[tarnwickd] = ''")}), DISP_E_EXCEPTION);
    // Adding again answers the same property; Find is case-blind.
    auto again = object(object(marked.get(), L"UserProperties").get(), L"Add", {t(L"tarnwickd"), n(1)});
    EXPECT_EQ(text(again.get(), L"Value"), L"done");
    EXPECT_EQ(text(object(object(marked.get(), L"UserProperties").get(), L"Find", {t(L"TARNWICKD")}).get(), L"Value"), L"done");
    EXPECT_EQ(get(object(marked.get(), L"UserProperties").get(), L"Find", {t(L"absent")}).type(), VT_DISPATCH);

    // The second Add put the field in the folder too. A property an item lacks matches neither
    // = '' nor <> '': only the marked message answers, then Nothing.
    auto isNothing = [](const Variant& v) { return v.type() == VT_EMPTY || (v.type() == VT_DISPATCH && !V_DISPATCH(&v.value())); };
    EXPECT_TRUE(isNothing(get(items.get(), L"Find", {t(L"[tarnwickd] = ''")})));
    EXPECT_EQ(text(object(items.get(), L"Find", {t(L"[tarnwickd] <> ''")}).get(), L"Subject"), L"second");
    EXPECT_TRUE(isNothing(get(items.get(), L"FindNext")));

    auto unread = object(items.get(), L"Restrict", {t(L"[UnRead] = True AND [tarnwickd] = 'done'")});
    EXPECT_EQ(number(unread.get(), L"Count"), 1);
    EXPECT_EQ(text(object(unread.get(), L"GetFirst").get(), L"Subject"), L"second");
    EXPECT_EQ(client.items(kInbox)[1].userProperties.at("tarnwickd"), "done");

    // The same index as a short, a long and a text.
    Variant shortIndex;
    V_VT(shortIndex.get()) = VT_I2;
    V_I2(shortIndex.get()) = 3;
    EXPECT_EQ(text(object(items.get(), L"Item", {shortIndex}).get(), L"Subject"), L"third");
    EXPECT_EQ(text(object(items.get(), L"Item", {t(L"1")}).get(), L"Subject"), L"first");

    EXPECT_EQ(invoke(items.get(), L"Sort", DISPATCH_PROPERTYPUT, {t(L"[Subject]")}), DISP_E_MEMBERNOTFOUND);
    get(items.get(), L"Sort", {t(L"[Subject]"), Variant::boolean(true)});
    EXPECT_EQ(text(object(items.get(), L"GetFirst").get(), L"Subject"), L"third");
    EXPECT_EQ(text(object(items.get(), L"GetNext").get(), L"Subject"), L"second");

    std::wstring description;
    EXPECT_EQ(invoke(items.get(), L"Restrict", DISPATCH_METHOD, {t(L"[Subject = 'x'")}, nullptr, &description), DISP_E_EXCEPTION);
    EXPECT_NE(description.find(L"Cannot parse"), std::wstring::npos);
    EXPECT_EQ(invoke(items.get(), L"Item", DISPATCH_METHOD, {n(4)}), DISP_E_EXCEPTION);
    EXPECT_EQ(invoke(items.get(), L"NoSuchMember", DISPATCH_METHOD, {}), DISP_E_UNKNOWNNAME);
}

TEST(StandInClientTest, ItemAddReachesSinksOnDeliveryAndMoveAndSurvivesBadSinks) {
    StandInClient client;
    client.addFolder(kJunk);
    auto app = client.application();
    auto inboxItems = object(folder(app, 6).get(), L"Items");
    auto junk = object(object(object(object(app, L"GetNamespace", {t(L"MAPI")}).get(), L"Folders").get(), L"Item", {n(1)}).get(),
                       L"Folders");
    auto junkFolder = object(junk.get(), L"Item", {t(L"junk")});
    auto junkItems = object(junkFolder.get(), L"Items");
    // The folder hands out one Items object, so a sink advised on it hears later deliveries.
    EXPECT_EQ(object(folder(app, 6).get(), L"Items").get(), inboxItems.get());

    Sink inbox, failing, throwing, moved, dropped;
    failing.answer = E_FAIL;
    throwing.throws = true;
    Advice a1(inboxItems.get(), win32::DIID_ItemsEvents, &failing);
    Advice a2(inboxItems.get(), win32::DIID_ItemsEvents, &throwing);
    Advice a3(inboxItems.get(), win32::DIID_ItemsEvents, &inbox);
    Advice a4(junkItems.get(), win32::DIID_ItemsEvents, &moved);
    Advice a5(junkItems.get(), win32::DIID_ItemsEvents, &dropped);
    long failuresBefore = client.sinkFailures();

    std::string id = client.deliver(kInbox, mail("offer"));
    client.addMail(kInbox, mail("quiet"));  // set-up mail raises no event
    EXPECT_EQ(inbox.subjects, std::vector<std::wstring>{L"offer"});
    EXPECT_EQ(inbox.calls, std::vector<DISPID>{win32::DISPID_ItemAdd});
    EXPECT_EQ(client.sinkFailures(), failuresBefore + 2);

    // A sink that unadvises another during the event: the other is not called for it.
    moved.onEvent = [&](DISPID, DISPPARAMS*) { a5.unadvise(); };
    auto item = object(inboxItems.get(), L"Item", {n(1)});
    auto there = object(item.get(), L"Move", {o(junkFolder.get())});
    EXPECT_EQ(moved.subjects, std::vector<std::wstring>{L"offer"});
    EXPECT_TRUE(dropped.calls.empty());
    EXPECT_EQ(text(object(there.get(), L"Parent").get(), L"Name"), L"Junk");
    EXPECT_EQ(client.find(id)->folderPath, kJunk);
    EXPECT_EQ(number(inboxItems.get(), L"Count"), 1);

    a3.unadvise();
    client.deliver(kInbox, mail("later"));
    EXPECT_EQ(inbox.subjects.size(), 1u);
    EXPECT_EQ(a3.point->Unadvise(12345), CONNECT_E_NOCONNECTION);
    a1.unadvise();
    a2.unadvise();
    a4.unadvise();
    EXPECT_EQ(inbox.refs + failing.refs + throwing.refs + moved.refs + dropped.refs, 0) << "sinks released on Unadvise";
}

TEST(StandInClientTest, WindowsAnnounceThemselvesAndLeaveOnlyAfterClose) {
    StandInClient client;
    auto app = client.application();
    auto explorers = object(app, L"Explorers");
    Sink newWindows, events;
    Advice onNew(explorers.get(), win32::DIID_ExplorersEvents, &newWindows);
    Ref<IDispatch> announced;
    std::unique_ptr<Advice> onExplorer;
    newWindows.onEvent = [&](DISPID, DISPPARAMS* params) {
        announced = V_DISPATCH(&params->rgvarg[0]);
        onExplorer = std::make_unique<Advice>(announced.get(), win32::DIID_ExplorerEvents, &events);
    };
    EXPECT_EQ(get(app, L"ActiveExplorer").asText(), L"") << "Nothing before any window";

    int id = client.openExplorer(kInbox);
    ASSERT_TRUE(announced);
    EXPECT_EQ(object(app, L"ActiveExplorer").get(), announced.get());
    EXPECT_EQ(text(object(announced.get(), L"CurrentFolder").get(), L"Name"), L"Inbox");

    // BeforeFolderSwitch may cancel through its by-reference argument.
    events.onEvent = [&](DISPID dispid, DISPPARAMS* params) {
        if (dispid == win32::DISPID_BeforeFolderSwitch) *V_BOOLREF(&params->rgvarg[0]) = VARIANT_TRUE;
    };
    EXPECT_FALSE(client.switchFolder(id, "\\\\Personal Folders\\Sent Items"));
    events.onEvent = nullptr;
    EXPECT_TRUE(client.switchFolder(id, "\\\\Personal Folders\\Sent Items"));
    EXPECT_EQ(text(object(announced.get(), L"CurrentFolder").get(), L"Name"), L"Sent Items");

    long countDuringClose = -1;
    events.onEvent = [&](DISPID dispid, DISPPARAMS*) {
        if (dispid == win32::DISPID_Close) countDuringClose = number(explorers.get(), L"Count");
    };
    client.closeExplorer(id);
    EXPECT_EQ(countDuringClose, 1);
    EXPECT_EQ(number(explorers.get(), L"Count"), 0);
    EXPECT_EQ(events.calls, (std::vector<DISPID>{win32::DISPID_Activate, win32::DISPID_BeforeFolderSwitch,
                                                 win32::DISPID_BeforeFolderSwitch, win32::DISPID_FolderSwitch, win32::DISPID_Close}));

    std::string entry = client.addMail(kInbox, mail("open me"));
    Sink inspectors;
    Advice onInspector(object(app, L"Inspectors").get(), win32::DIID_InspectorsEvents, &inspectors);
    int inspector = client.openInspector(entry);
    EXPECT_EQ(client.inspectorCount(), 1);
    client.closeInspector(inspector);
    EXPECT_EQ(inspectors.calls, std::vector<DISPID>{win32::DISPID_NewInspector});
    EXPECT_EQ(client.inspectorCount(), 0);
    onExplorer->unadvise();
    onNew.unadvise();
    onInspector.unadvise();
}

TEST(StandInClientTest, TheInstalledSafeMailLibraryReadsSenderAndHeadersThroughTheClientsMapiObjects) {
    StandInClient client;
    std::string id = client.addMail(kInbox, mail("headers", "bob@c.example"));
    auto item = object(object(folder(client.application(), 6).get(), L"Items").get(), L"Item", {n(1)});

    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(L"TarnwickRedemption.TarnwickSafeMailItem", &clsid), S_OK) << "the library the run installed";
    Ref<IDispatch> safe;
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(safe.put())), S_OK);
    std::wstring description;
    EXPECT_EQ(invoke(safe.get(), L"SenderName", DISPATCH_PROPERTYGET, {}, nullptr, &description), DISP_E_EXCEPTION) << "no item yet";
    EXPECT_EQ(invoke(safe.get(), L"Item", DISPATCH_PROPERTYPUTREF, {o(item.get())}), S_OK);

    EXPECT_EQ(text(safe.get(), L"Fields", {n(0x0C1E001E)}), L"SMTP");
    EXPECT_EQ(text(safe.get(), L"Fields", {n(0x0C1F001E)}), L"bob@c.example");
    EXPECT_NE(text(safe.get(), L"Fields", {n(0x007D001E)}).find(L"Received: from mx.a.example"), std::wstring::npos);
    EXPECT_EQ(get(safe.get(), L"Fields", {n(0x10100003)}).type(), VT_EMPTY);
    auto sender = object(safe.get(), L"Sender");
    EXPECT_EQ(text(sender.get(), L"Address"), L"bob@c.example");
    // An Internet sender is no directory entry: it has no separate SMTP address.
    EXPECT_EQ(get(sender.get(), L"Fields", {n(0x39FE001E)}).type(), VT_EMPTY);
    auto recipients = object(safe.get(), L"Recipients");
    EXPECT_EQ(number(recipients.get(), L"Count"), 1);
    EXPECT_EQ(text(object(object(recipients.get(), L"Item", {n(1)}).get(), L"AddressEntry").get(), L"Address"), L"me@b.example");

    Ref<IDispatch> utils;
    ASSERT_EQ(CLSIDFromProgID(L"TarnwickRedemption.TarnwickMAPIUtils", &clsid), S_OK);
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(utils.put())), S_OK);
    EXPECT_EQ(text(utils.get(), L"HrGetOneProp", {o(item.get()), n(0x0037001E)}), L"headers");
    HRESULT scode = S_OK;
    EXPECT_EQ(invoke(utils.get(), L"HrGetOneProp", DISPATCH_METHOD, {o(item.get()), n(0x0C1A0102)}, nullptr, nullptr, &scode),
              DISP_E_EXCEPTION);
    EXPECT_EQ(static_cast<unsigned long>(scode), 0x8004010FUL);
}

TEST(StandInClientTest, TheLibrarysMapiTableWalksTheRowsItsBitMaskRestrictionLetsThrough) {
    StandInClient client;
    auto read = mail("seen");
    read.unread = false;
    client.addMail(kInbox, read);
    std::string unreadId = client.addMail(kInbox, mail("new"));
    auto items = object(folder(client.application(), 6).get(), L"Items");

    CLSID clsid{};
    Ref<IDispatch> table;
    ASSERT_EQ(CLSIDFromProgID(L"TarnwickRedemption.TarnwickMAPITable", &clsid), S_OK);
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(table.put())), S_OK);
    EXPECT_EQ(invoke(table.get(), L"Item", DISPATCH_PROPERTYPUTREF, {o(items.get())}), S_OK);
    auto restriction = object(object(table.get(), L"Filter").get(), L"SetKind", {n(6)});
    put(restriction.get(), L"ulPropTag", n(0x0E070003));
    put(restriction.get(), L"ulMask", n(1));
    put(restriction.get(), L"relBMR", n(0));  // read bit clear: unread only
    SAFEARRAY* tags = SafeArrayCreateVector(VT_VARIANT, 0, 2);
    Variant subjectTag = n(0x0037001E), idTag = n(0x0FFF0102);
    LONG i = 0;
    SafeArrayPutElement(tags, &i, subjectTag.get());
    i = 1;
    SafeArrayPutElement(tags, &i, idTag.get());
    Variant columns;
    V_VT(columns.get()) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(columns.get()) = tags;
    put(table.get(), L"Columns", columns);

    EXPECT_EQ(number(table.get(), L"RowCount"), 1);
    EXPECT_EQ(get(table.get(), L"FindFirst", {Variant::boolean(true)}).asText(), L"True");
    Variant row = get(table.get(), L"GetRow");
    ASSERT_EQ(row.type(), VT_ARRAY | VT_VARIANT);
    Variant subject, id;
    i = 0;
    SafeArrayGetElement(V_ARRAY(row.get()), &i, subject.get());
    i = 1;
    SafeArrayGetElement(V_ARRAY(row.get()), &i, id.get());
    EXPECT_EQ(subject.asText(), L"new");
    ASSERT_EQ(id.type(), VT_ARRAY | VT_UI1);
    EXPECT_EQ(V_ARRAY(id.get())->rgsabound[0].cElements, unreadId.size() / 2);
    EXPECT_EQ(get(table.get(), L"FindNext", {Variant::boolean(true)}).asText(), L"False");
}

TEST(StandInClientTest, InjectedFaultsRaiseComErrorsForTheirCountOnly) {
    StandInClient client;
    client.addMail(kInbox, mail("fragile"));
    auto item = object(object(folder(client.application(), 6).get(), L"Items").get(), L"Item", {n(1)});
    client.failNext("subject", 2);
    std::wstring description;
    EXPECT_EQ(invoke(item.get(), L"Subject", DISPATCH_PROPERTYGET, {}, nullptr, &description), DISP_E_EXCEPTION);
    EXPECT_NE(description.find(L"Subject"), std::wstring::npos);
    EXPECT_EQ(invoke(item.get(), L"Subject", DISPATCH_PROPERTYPUT, {t(L"x")}), DISP_E_EXCEPTION);
    EXPECT_EQ(text(item.get(), L"Subject"), L"fragile");
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
/// A test add-in: logs the client's calls, holds the application as a real add-in does, and can fail its connection.
class TestAddIn : public win32::IDTExtensibility2 {
public:
    static std::vector<std::string> log;
    static bool failConnection;
    static int alive;

    TestAddIn() { ++alive; }
    virtual ~TestAddIn() { --alive; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        *out = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch) && !IsEqualIID(riid, win32::IID_IDTExtensibility2))
            return E_NOINTERFACE;
        *out = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        long left = --refs_;
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* application, win32::ext_ConnectMode mode, IDispatch* addInInst, SAFEARRAY**) override {
        app_ = application;
        std::wstring progId = text(addInInst, L"ProgId");
        log.push_back("OnConnection " + std::to_string(mode) + " " + std::string(progId.begin(), progId.end()) + " " +
                      std::to_string(number(object(application, L"COMAddIns").get(), L"Count")));
        if (failConnection) throw std::runtime_error("cannot start");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnDisconnection(win32::ext_DisconnectMode mode, SAFEARRAY**) override {
        log.push_back("OnDisconnection " + std::to_string(mode));
        app_.reset();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY**) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY**) override {
        std::wstring version = text(app_.get(), L"Version");
        log.push_back("OnStartupComplete " + std::string(version.begin(), version.end()));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY**) override {
        log.push_back("OnBeginShutdown");
        return E_FAIL;  // a failure here changes nothing for the client
    }

private:
    long refs_ = 1;
    Ref<IDispatch> app_;
};
#pragma GCC diagnostic pop
std::vector<std::string> TestAddIn::log;
bool TestAddIn::failConnection = false;
int TestAddIn::alive = 0;

/// The add-in key the client reads, written for the test and removed after it.
struct AddInKey {
    std::wstring path;
    AddInKey(const std::wstring& progId, DWORD loadBehavior) : path(L"Software\\Microsoft\\Office\\Outlook\\Addins\\" + progId) {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr), ERROR_SUCCESS);
        RegSetValueExW(key, L"LoadBehavior", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&loadBehavior), sizeof(loadBehavior));
        RegCloseKey(key);
    }
    ~AddInKey() { RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str()); }
};

constexpr CLSID kTestAddInClsid = {0x6E2B9A10, 0x47C3, 0x4D8E, {0x91, 0x0A, 0x3C, 0x5F, 0x72, 0xE4, 0x18, 0xB6}};

TEST(StandInClientTest, LoadsAddInsFromTheRegistryInTheClientsOrderAndReleasesThem) {
    TestAddIn::log.clear();
    TestAddIn::failConnection = false;
    {
        StandInClient client;
        client.setVersion("11.0.0.8312");
        auto factory = Ref<IClassFactory>::adopt(standin::newClassFactory([]() -> IUnknown* { return new TestAddIn; }));
        standin::ClassRegistration registration("StandInTest.AddIn", kTestAddInClsid, factory.get());
        ASSERT_EQ(registration.status(), S_OK);
        AddInKey loaded(L"StandInTest.AddIn", 3), skipped(L"StandInTest.OnDemand", 9), missing(L"StandInTest.Missing", 3);

        const auto& results = client.loadAddIns();
        ASSERT_EQ(results.size(), 2u) << "load behaviour 9 is not loaded at start-up";
        const auto& ok = results[0].progId == "StandInTest.AddIn" ? results[0] : results[1];
        const auto& absent = results[0].progId == "StandInTest.AddIn" ? results[1] : results[0];
        EXPECT_EQ(ok.connection, S_OK);
        EXPECT_EQ(ok.startupComplete, S_OK);
        EXPECT_TRUE(ok.connected);
        EXPECT_TRUE(FAILED(absent.create)) << "a ProgID nobody registered";
        EXPECT_EQ(number(object(client.application(), L"COMAddIns").get(), L"Count"), 1);

        client.beginShutdown();
        client.disconnectAddIns();
        EXPECT_EQ(TestAddIn::log, (std::vector<std::string>{"OnConnection 1 StandInTest.AddIn 1", "OnStartupComplete 11.0.0.8312",
                                                             "OnBeginShutdown", "OnDisconnection 0"}));
        EXPECT_EQ(client.addIns()[0].beginShutdown, E_FAIL);
        EXPECT_EQ(TestAddIn::alive, 0) << "the client released the add-in after disconnecting it";

        // An add-in that throws from OnConnection is given up, and the client goes on.
        TestAddIn::failConnection = true;
        StandInClient second;
        const auto& failed = second.loadAddIns();
        bool sawFailure = false;
        for (const auto& r : failed)
            if (r.progId == "StandInTest.AddIn") sawFailure = FAILED(r.connection) && !r.connected && r.startupComplete == S_FALSE;
        EXPECT_TRUE(sawFailure);
    }
    EXPECT_EQ(TestAddIn::alive, 0);
    CLSID clsid{};
    EXPECT_NE(CLSIDFromProgID(L"StandInTest.AddIn", &clsid), S_OK) << "the registration is gone";
}


int timerRuns = 0;
void CALLBACK countTimer(HWND, UINT, UINT_PTR, DWORD) { ++timerRuns; }

TEST(StandInClientTest, UntickingAnAddInDisconnectsItAsUserClosedAndPumpRunsTimers) {
    TestAddIn::log.clear();
    TestAddIn::failConnection = false;
    StandInClient client;
    auto factory = Ref<IClassFactory>::adopt(standin::newClassFactory([]() -> IUnknown* { return new TestAddIn; }));
    standin::ClassRegistration registration("StandInTest.AddIn", kTestAddInClsid, factory.get());
    AddInKey key(L"StandInTest.AddIn", 3);
    client.loadAddIns();
    int explorer = client.openExplorer(kInbox);

    auto comAddIn = object(object(client.application(), L"COMAddIns").get(), L"Item", {t(L"standintest.addin")});
    EXPECT_EQ(get(comAddIn.get(), L"Connect").asText(), L"True");
    put(comAddIn.get(), L"Connect", Variant::boolean(false));
    EXPECT_EQ(TestAddIn::log.back(), "OnDisconnection 1");
    EXPECT_EQ(get(comAddIn.get(), L"Connect").asText(), L"False");
    EXPECT_EQ(TestAddIn::alive, 0);
    client.closeExplorer(explorer);  // nothing of the add-in is called any more

    timerRuns = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, 10, countTimer);
    client.pump(100);
    KillTimer(nullptr, timer);
    EXPECT_GE(timerRuns, 2);
}

}  // namespace
}  // namespace tw::winetest
