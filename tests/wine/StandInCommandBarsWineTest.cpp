// The stand-in client's command bars under Wine, driven late-bound as the add-in's adapter drives them.
#include <gtest/gtest.h>

#include <olectl.h>

#include <memory>
#include <string>
#include <vector>

#include "CommandBarData.h"
#include "ComBase.h"
#include "StandInClient.h"
#include "wine/FormWindowScript.h"

namespace tw::winetest {
namespace {

using standin::Ref;
using standin::StandInClient;
using standin::Variant;

constexpr const char* kInbox = "\\\\Personal Folders\\Inbox";
constexpr IID kButtonEvents = {0x000C0351, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr long kButton = 1, kPopup = 10;

/// One late-bound call, arguments in written order; answers Invoke's HRESULT.
HRESULT invoke(IDispatch* target, const wchar_t* name, WORD flags, std::vector<Variant> args, Variant* result = nullptr) {
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = target->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    std::vector<VARIANT> reversed;
    for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(it->value());
    DISPID named = DISPID_PROPERTYPUT;
    bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), put ? &named : nullptr, static_cast<UINT>(reversed.size()),
                      put ? 1u : 0u};
    EXCEPINFO excep{};
    Variant ignored;
    hr = target->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, (result ? result : &ignored)->get(), &excep, nullptr);
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
    return hr;
}

HRESULT call(IDispatch* target, const wchar_t* name, std::vector<Variant> args = {}, Variant* result = nullptr) {
    return invoke(target, name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, std::move(args), result);
}

Variant get(IDispatch* target, const wchar_t* name, std::vector<Variant> args = {}) {
    Variant result;
    EXPECT_EQ(call(target, name, std::move(args), &result), S_OK) << "calling " << std::string(name, name + wcslen(name));
    return result;
}

Ref<IDispatch> object(IDispatch* parent, const wchar_t* name, std::vector<Variant> args = {}) {
    Variant v = get(parent, name, std::move(args));
    return v.type() == VT_DISPATCH ? Ref<IDispatch>(V_DISPATCH(&v.value())) : Ref<IDispatch>();
}

std::string text(IDispatch* target, const wchar_t* name) {
    std::wstring wide = get(target, name).asText();
    return std::string(wide.begin(), wide.end());
}

long number(IDispatch* target, const wchar_t* name) {
    return std::stol(get(target, name).asText());
}

bool flag(IDispatch* target, const wchar_t* name) {
    Variant v = get(target, name);
    EXPECT_EQ(v.type(), VT_BOOL) << std::string(name, name + wcslen(name));
    return v.type() == VT_BOOL && V_BOOL(&v.value()) != VARIANT_FALSE;
}

void put(IDispatch* target, const wchar_t* name, Variant value) {
    EXPECT_EQ(invoke(target, name, DISPATCH_PROPERTYPUT, {std::move(value)}), S_OK);
}

Variant t(const wchar_t* value) { return Variant::text(value); }
Variant n(long value) { return Variant::integer(value); }
Variant b(bool value) { return Variant::boolean(value); }
/// An optional argument left out.
Variant missing() {
    Variant v;
    V_VT(v.get()) = VT_ERROR;
    V_ERROR(v.get()) = DISP_E_PARAMNOTFOUND;
    return v;
}

Ref<IDispatch> explorerBars(StandInClient& client, long explorer) {
    auto explorers = object(client.application(), L"Explorers");
    return object(object(explorers.get(), L"Item", {n(explorer)}).get(), L"CommandBars");
}

/// A visible bar of the add-in's kind in a window, with buttons of those captions and tags.
Ref<IDispatch> toolbar(IDispatch* bars, const wchar_t* name, std::vector<std::pair<const wchar_t*, const wchar_t*>> buttons,
                       std::vector<Ref<IDispatch>>* made = nullptr) {
    auto bar = object(bars, L"Add", {t(name), n(1), b(false), b(true)});
    put(bar.get(), L"Visible", b(true));
    auto controls = object(bar.get(), L"Controls");
    for (const auto& [caption, tag] : buttons) {
        auto button = object(controls.get(), L"Add", {n(kButton), missing(), missing(), missing(), b(true)});
        put(button.get(), L"Caption", t(caption));
        put(button.get(), L"Tag", t(tag));
        if (made) made->push_back(button);
    }
    return bar;
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
/// A click sink: the caption of each clicked button it heard, whether the call had the documented shape.
class ClickSink : public IDispatch {
public:
    std::vector<std::string> clicked;
    /// CancelDefault as each click reached the sink.
    std::vector<bool> cancelIn;
    bool wellFormed = true;
    bool cancel = false;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        *out = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch)) return E_NOINTERFACE;
        *out = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives on the test's stack
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
        // Click(Ctrl, CancelDefault): the arguments arrive last first.
        if (id != 1 || params->cArgs != 2 || V_VT(&params->rgvarg[1]) != VT_DISPATCH ||
            V_VT(&params->rgvarg[0]) != (VT_BYREF | VT_BOOL)) {
            wellFormed = false;
            return S_OK;
        }
        clicked.push_back(text(V_DISPATCH(&params->rgvarg[1]), L"Caption"));
        cancelIn.push_back(*V_BOOLREF(&params->rgvarg[0]) != VARIANT_FALSE);
        if (cancel) *V_BOOLREF(&params->rgvarg[0]) = VARIANT_TRUE;
        return S_OK;
    }
};
#pragma GCC diagnostic pop

struct Advice {
    Ref<IConnectionPoint> point;
    DWORD cookie = 0;
    Advice(IDispatch* button, IUnknown* sink) {
        Ref<IConnectionPointContainer> container;
        EXPECT_EQ(button->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(container.put())), S_OK);
        if (container && SUCCEEDED(container->FindConnectionPoint(kButtonEvents, point.put()))) {
            EXPECT_EQ(point->Advise(sink, &cookie), S_OK);
        }
    }
    ~Advice() {
        if (point && cookie) point->Unadvise(cookie);
    }
};

std::vector<std::string> captions(const std::vector<standin::ControlState>& controls) {
    std::vector<std::string> out;
    for (const auto& c : controls) out.push_back(c.caption);
    return out;
}

const std::vector<std::string> kHelpEntries = {"&Help Topics", "&What's This?", "Detect and &Repair...", "&About the Mail Client"};

TEST(StandInCommandBarsTest, EveryWindowHasTheClientsOwnBarsWithItsHelpMenu) {
    StandInClient client;
    int before = client.openExplorer(kInbox);
    int inspector = client.openInspector(client.addMail(kInbox, {"A", "a@example.com", {}, "Hello", "", "", "", true, {}, {}, "SMTP"}));
    int after = client.openExplorer(kInbox);
    for (int window : {before, inspector, after}) {
        EXPECT_EQ(client.barNames(window), (std::vector<std::string>{"Menu Bar", "Standard"})) << window;
        auto menu = client.controls(window, "Menu Bar");
        ASSERT_FALSE(menu.empty());
        EXPECT_EQ(menu.back().caption, "&Help");
        EXPECT_EQ(menu.back().type, kPopup);
        EXPECT_EQ(captions(menu.back().children), kHelpEntries);
        EXPECT_GE(client.controls(window, "Standard").size(), 2u);
    }

    // Late-bound: any case for the bar's name, an unknown name raises, the Help popup by its caption.
    auto bars = explorerBars(client, 1);
    EXPECT_EQ(number(bars.get(), L"Count"), 2);
    auto menuBar = object(bars.get(), L"Item", {t(L"MENU BAR")});
    ASSERT_TRUE(menuBar);
    EXPECT_EQ(text(menuBar.get(), L"Name"), "Menu Bar");
    EXPECT_EQ(call(bars.get(), L"Item", {t(L"No Such Bar")}), DISP_E_EXCEPTION);
    auto active = object(bars.get(), L"ActiveMenuBar");
    ASSERT_TRUE(active);
    EXPECT_EQ(text(active.get(), L"Name"), "Menu Bar");
    auto help = object(object(menuBar.get(), L"Controls").get(), L"Item", {t(L"&Help")});
    ASSERT_TRUE(help);
    EXPECT_EQ(number(help.get(), L"Type"), kPopup);
    auto entries = object(help.get(), L"Controls");
    EXPECT_EQ(number(entries.get(), L"Count"), 4);
    auto last = object(entries.get(), L"Item", {n(4)});
    EXPECT_EQ(text(last.get(), L"Caption"), kHelpEntries[3]);
    EXPECT_EQ(number(last.get(), L"Index"), 4);

    // A member the other kind of control lacks.
    EXPECT_EQ(call(help.get(), L"Style"), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(call(help.get(), L"PasteFace"), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(call(last.get(), L"Controls"), DISP_E_MEMBERNOTFOUND);
    Ref<IConnectionPointContainer> none;
    EXPECT_EQ(help->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(none.put())), E_NOINTERFACE);
    // Built-in bars stay; a taken name is refused.
    EXPECT_EQ(call(menuBar.get(), L"Delete"), DISP_E_EXCEPTION);
    EXPECT_EQ(call(bars.get(), L"Add", {t(L"standard")}), DISP_E_EXCEPTION);
}

TEST(StandInCommandBarsTest, ClickReachesEveryButtonSharingItsTagInAnyWindowTheEmptyTagToo) {
    StandInClient client;
    int first = client.openExplorer(kInbox);
    int second = client.openExplorer(kInbox);
    std::vector<Ref<IDispatch>> a, b2;
    toolbar(explorerBars(client, 1).get(), L"Tarnwick",
            {{L"Approve 1", L"tw.approve"}, {L"Block 1", L"tw.block"}, {L"Plain 1", L""}, {L"Plain 2", L""}}, &a);
    toolbar(explorerBars(client, 2).get(), L"Tarnwick", {{L"Approve 2", L"tw.approve"}}, &b2);

    ClickSink approve1, block1, plain1, plain2, approve2;
    Advice advised[] = {{a[0].get(), &approve1}, {a[1].get(), &block1}, {a[2].get(), &plain1}, {a[3].get(), &plain2},
                        {b2[0].get(), &approve2}};

    ASSERT_TRUE(client.click(second, "tw.approve"));
    EXPECT_EQ(approve1.clicked, (std::vector<std::string>{"Approve 2"}));
    EXPECT_EQ(approve2.clicked, (std::vector<std::string>{"Approve 2"}));
    EXPECT_TRUE(block1.clicked.empty());
    EXPECT_TRUE(plain1.clicked.empty() && plain2.clicked.empty());

    ASSERT_TRUE(client.clickCaption(first, "Tarnwick", {"Plain 1"}));
    EXPECT_EQ(plain1.clicked, (std::vector<std::string>{"Plain 1"}));
    EXPECT_EQ(plain2.clicked, (std::vector<std::string>{"Plain 1"})) << "an untagged button did not share the click";
    EXPECT_EQ(approve1.clicked.size(), 1u);

    // Execute clicks as the user does; a sink may cancel the default action through the flag all sinks share.
    ClickSink afterBlock;
    Advice later(a[1].get(), &afterBlock);
    block1.cancel = true;
    EXPECT_EQ(call(a[1].get(), L"Execute"), S_OK);
    EXPECT_EQ(block1.clicked, (std::vector<std::string>{"Block 1"}));
    EXPECT_EQ(block1.cancelIn, (std::vector<bool>{false}));
    EXPECT_EQ(afterBlock.cancelIn, (std::vector<bool>{true}));

    // A closed window's buttons hear no more; a retagged button joins the other Tag.
    client.closeExplorer(second);
    put(a[3].get(), L"Tag", t(L"tw.approve"));
    ASSERT_TRUE(client.click(first, "tw.approve"));
    EXPECT_EQ(approve1.clicked, (std::vector<std::string>{"Approve 2", "Approve 1"}));
    EXPECT_EQ(plain2.clicked, (std::vector<std::string>{"Plain 1", "Approve 1"}));
    EXPECT_EQ(approve2.clicked.size(), 1u);

    EXPECT_FALSE(client.click(first, "tw.nothing"));
    for (auto* sink : {&approve1, &block1, &plain1, &plain2, &approve2, &afterBlock}) EXPECT_TRUE(sink->wellFormed);
}

TEST(StandInCommandBarsTest, OnlyButtonsTheUserCanReachAreClicked) {
    StandInClient client;
    int window = client.openExplorer(kInbox);
    auto bars = explorerBars(client, 1);
    auto hidden = object(bars.get(), L"Add", {t(L"Hidden"), n(1), b(false), b(true)});
    EXPECT_FALSE(flag(hidden.get(), L"Visible")) << "a new bar starts hidden";
    auto button = object(object(hidden.get(), L"Controls").get(), L"Add", {n(kButton)});
    put(button.get(), L"Tag", t(L"tw.hidden"));
    put(button.get(), L"Caption", t(L"Go"));
    EXPECT_FALSE(client.click(window, "tw.hidden"));
    EXPECT_FALSE(client.clickCaption(window, "Hidden", {"Go"}));
    put(hidden.get(), L"Visible", b(true));
    put(button.get(), L"Enabled", b(false));
    EXPECT_FALSE(client.click(window, "tw.hidden"));
    put(button.get(), L"Enabled", b(true));
    EXPECT_TRUE(client.click(window, "tw.hidden"));
    // Through the Help menu by captions, the '&' optional; a popup is no button to click.
    EXPECT_TRUE(client.clickCaption(window, "Menu Bar", {"Help", "About the Mail Client"}));
    EXPECT_FALSE(client.clickCaption(window, "Menu Bar", {"&Help"}));
}

TEST(StandInCommandBarsTest, FindControlMatchesTypeIdTagAndVisibilityAndLooksIntoPopupsOnlyWhenRecursive) {
    StandInClient client;
    client.openExplorer(kInbox);
    auto bars = explorerBars(client, 1);
    auto menuBar = object(bars.get(), L"Item", {t(L"Menu Bar")});
    auto caption = [](const Ref<IDispatch>& found) { return found ? text(found.get(), L"Caption") : std::string("<nothing>"); };
    auto find = [&](std::vector<Variant> args) { return object(menuBar.get(), L"FindControl", std::move(args)); };

    EXPECT_EQ(caption(find({n(kPopup)})), "&File");
    EXPECT_EQ(caption(find({n(kButton), n(983)})), "<nothing>") << "the entry is inside a popup";
    EXPECT_EQ(caption(find({n(kButton), n(983), missing(), missing(), b(true)})), "&Help Topics");
    EXPECT_EQ(caption(find({missing(), n(986), missing(), missing(), b(true)})), "&About the Mail Client");

    auto help = object(object(menuBar.get(), L"Controls").get(), L"Item", {t(L"&Help")});
    auto entries = object(help.get(), L"Controls");
    auto shy = object(entries.get(), L"Add", {n(kButton), missing(), missing(), n(1), b(true)});
    put(shy.get(), L"Caption", t(L"Shy"));
    put(shy.get(), L"Tag", t(L"tw.entry"));
    put(shy.get(), L"Visible", b(false));
    auto shown = object(entries.get(), L"Add", {n(kButton), missing(), missing(), missing(), b(true)});
    put(shown.get(), L"Caption", t(L"Shown"));
    put(shown.get(), L"Tag", t(L"tw.entry"));

    EXPECT_EQ(caption(find({missing(), missing(), t(L"tw.entry"), b(false), b(true)})), "Shy");
    EXPECT_EQ(caption(find({missing(), missing(), t(L"tw.entry"), b(true), b(true)})), "Shown");
    EXPECT_EQ(caption(find({missing(), missing(), t(L"tw.entry")})), "<nothing>");
    EXPECT_EQ(caption(find({n(kPopup), missing(), t(L"tw.entry"), missing(), b(true)})), "<nothing>");
    // The collection's FindControl looks through every bar.
    EXPECT_EQ(caption(object(bars.get(), L"FindControl", {missing(), missing(), t(L"tw.entry"), b(true)})), "Shown");
    // The same control answers the same object, so sinks advised through one reference hear clicks through another.
    auto again = find({missing(), missing(), t(L"tw.entry"), b(true), b(true)});
    EXPECT_EQ(again.get(), shown.get());
}

TEST(StandInCommandBarsTest, AddPlacesControlsBeforeTheGivenPlaceAndDeleteTakesThemOut) {
    StandInClient client;
    int window = client.openExplorer(kInbox);
    auto menuBar = object(explorerBars(client, 1).get(), L"Item", {t(L"Menu Bar")});
    auto help = object(object(menuBar.get(), L"Controls").get(), L"Item", {t(L"&Help")});
    auto entries = object(help.get(), L"Controls");

    auto third = object(entries.get(), L"Add", {n(kButton), n(1), missing(), n(3), b(true)});
    put(third.get(), L"Caption", t(L"Third"));
    auto first = object(entries.get(), L"Add", {n(kButton), n(1), missing(), n(1), b(true)});
    put(first.get(), L"Caption", t(L"First"));
    auto popup = object(entries.get(), L"Add", {n(kPopup), missing(), missing(), missing(), b(true)});
    put(popup.get(), L"Caption", t(L"More"));
    auto inner = object(object(popup.get(), L"Controls").get(), L"Add", {n(kButton)});
    put(inner.get(), L"Caption", t(L"Inner"));
    EXPECT_EQ(number(third.get(), L"Index"), 4);
    EXPECT_EQ(number(popup.get(), L"Index"), 7);
    EXPECT_EQ(captions(client.controls(window, "Menu Bar").back().children),
              (std::vector<std::string>{"First", "&Help Topics", "&What's This?", "Third", "Detect and &Repair...",
                                        "&About the Mail Client", "More"}));
    EXPECT_EQ(captions(client.controls(window, "Menu Bar").back().children.back().children), (std::vector<std::string>{"Inner"}));

    EXPECT_EQ(call(entries.get(), L"Add", {n(kButton), missing(), missing(), n(9)}), DISP_E_EXCEPTION) << "past the end";
    EXPECT_EQ(call(entries.get(), L"Add", {n(2)}), DISP_E_EXCEPTION) << "not a button or popup";
    EXPECT_EQ(call(entries.get(), L"Item", {n(8)}), DISP_E_EXCEPTION);

    EXPECT_EQ(call(third.get(), L"Delete"), S_OK);
    EXPECT_EQ(call(first.get(), L"Delete"), S_OK);
    EXPECT_EQ(number(entries.get(), L"Count"), 5);
    EXPECT_EQ(call(third.get(), L"Index"), DISP_E_EXCEPTION) << "a deleted control answers no more";
    EXPECT_EQ(call(third.get(), L"Caption"), DISP_E_EXCEPTION);
    EXPECT_EQ(captions(client.controls(window, "Menu Bar").back().children),
              (std::vector<std::string>{"&Help Topics", "&What's This?", "Detect and &Repair...", "&About the Mail Client", "More"}));

    auto bars = explorerBars(client, 1);
    auto own = object(bars.get(), L"Add", {t(L"Own")});
    EXPECT_EQ(number(bars.get(), L"Count"), 3);
    EXPECT_EQ(call(own.get(), L"Delete"), S_OK);
    EXPECT_EQ(number(bars.get(), L"Count"), 2);
    EXPECT_EQ(call(bars.get(), L"Item", {t(L"Own")}), DISP_E_EXCEPTION);
    EXPECT_EQ(call(own.get(), L"Controls"), DISP_E_EXCEPTION);
}

TEST(StandInCommandBarsTest, PropertiesReadBackAndBarPlacementIsKept) {
    StandInClient client;
    int window = client.openExplorer(kInbox);
    auto bars = explorerBars(client, 1);
    auto bar = object(bars.get(), L"Add", {t(L"Tarnwick"), n(4), b(false), b(true)});
    const std::pair<const wchar_t*, long> placement[] = {{L"Position", 3}, {L"Left", 40}, {L"Top", 12}, {L"RowIndex", 5}};
    for (const auto& [name, value] : placement) {
        put(bar.get(), name, n(value));
        EXPECT_EQ(number(bar.get(), name), value);
    }
    EXPECT_EQ(invoke(bar.get(), L"Position", DISPATCH_PROPERTYPUT, {n(9)}), DISP_E_EXCEPTION);
    auto button = object(object(bar.get(), L"Controls").get(), L"Add", {n(kButton)});
    put(button.get(), L"Caption", t(L"&Approve"));
    put(button.get(), L"TooltipText", t(L"Approve the sender"));
    put(button.get(), L"Style", n(3));
    put(button.get(), L"BeginGroup", b(true));

    auto state = client.bars(window).back();
    EXPECT_EQ(state.name, "Tarnwick");
    EXPECT_EQ(state.position, 3);
    EXPECT_EQ(state.left, 40);
    EXPECT_TRUE(state.temporary);
    auto c = client.controls(window, "tarnwick").at(0);
    EXPECT_EQ(c.type, kButton);
    EXPECT_EQ(c.caption, "&Approve");
    EXPECT_EQ(c.tooltip, "Approve the sender");
    EXPECT_EQ(c.style, 3);
    EXPECT_TRUE(c.beginGroup && c.visible);
    EXPECT_FALSE(c.temporary);
    EXPECT_THROW(client.controls(window, "No Such Bar"), std::runtime_error);
}

TEST(StandInCommandBarsTest, BarsAndControlsMadeToStaySurviveARestartAndTemporaryOnesDoNot) {
    auto profile = std::make_shared<standin::Profile>();
    {
        StandInClient client(profile);
        client.openExplorer(kInbox);
        auto bars = explorerBars(client, 1);
        auto kept = object(bars.get(), L"Add", {t(L"Kept"), n(1), b(false), b(false)});
        auto keptControls = object(kept.get(), L"Controls");
        put(object(keptControls.get(), L"Add", {n(kButton), missing(), missing(), missing(), b(false)}).get(), L"Caption", t(L"Stays"));
        put(object(keptControls.get(), L"Add", {n(kButton), missing(), missing(), missing(), b(true)}).get(), L"Caption", t(L"Goes"));
        object(bars.get(), L"Add", {t(L"Passing"), n(1), b(false), b(true)});
        auto helpEntries = object(object(object(object(bars.get(), L"Item", {t(L"Menu Bar")}).get(), L"Controls").get(), L"Item",
                                         {t(L"&Help")}).get(),
                                  L"Controls");
        put(object(helpEntries.get(), L"Add", {n(kButton), missing(), missing(), missing(), b(false)}).get(), L"Caption", t(L"Left behind"));
        put(object(helpEntries.get(), L"Add", {n(kButton), missing(), missing(), missing(), b(true)}).get(), L"Caption", t(L"Cleared"));

        // A second window in the same run starts from the active one's bars, temporary ones too.
        int second = client.openExplorer(kInbox);
        EXPECT_EQ(client.barNames(second), (std::vector<std::string>{"Menu Bar", "Standard", "Kept", "Passing"}));
    }
    StandInClient restarted(profile);
    int window = restarted.openExplorer(kInbox);
    EXPECT_EQ(restarted.barNames(window), (std::vector<std::string>{"Menu Bar", "Standard", "Kept"}));
    EXPECT_EQ(captions(restarted.controls(window, "Kept")), (std::vector<std::string>{"Stays"}));
    auto help = restarted.controls(window, "Menu Bar").back().children;
    ASSERT_EQ(help.size(), 5u);
    EXPECT_EQ(help.back().caption, "Left behind");

    StandInClient fresh;
    EXPECT_EQ(fresh.barNames(fresh.openExplorer(kInbox)), (std::vector<std::string>{"Menu Bar", "Standard"}));
}

/// A small bitmap of one colour with one pixel of another, so two pictures tell apart.
HBITMAP smallBitmap(COLORREF colour) {
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 4, 4);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) SetPixel(dc, x, y, x == y ? RGB(0, 0, 0) : colour);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

/// An OLE picture owning a copy of the bitmap.
Ref<IDispatch> pictureOf(HBITMAP bitmap) {
    PICTDESC description{};
    description.cbSizeofstruct = sizeof(description);
    description.picType = PICTYPE_BITMAP;
    description.bmp.hbitmap = static_cast<HBITMAP>(CopyImage(bitmap, IMAGE_BITMAP, 0, 0, 0));
    Ref<IDispatch> picture;
    EXPECT_EQ(OleCreatePictureIndirect(&description, IID_IPictureDisp, TRUE, reinterpret_cast<void**>(picture.put())), S_OK);
    return picture;
}

Ref<IDispatch> newButton(StandInClient& client, long explorer) {
    auto bar = object(explorerBars(client, explorer).get(), L"Add", {t(L"Faces"), n(1), b(false), b(true)});
    return object(object(bar.get(), L"Controls").get(), L"Add", {n(kButton)});
}

// The client of version 9 knows no Picture: the add-in has to find another road there.
TEST(StandInCommandBarsTest, PictureSetsAButtonsFaceFromVersion10AndIsUnknownBefore) {
    HBITMAP bitmap = smallBitmap(RGB(200, 30, 30));
    {
        StandInClient client;
        const int window = client.openExplorer(kInbox);
        auto button = newButton(client, 1);
        EXPECT_EQ(invoke(button.get(), L"Picture", DISPATCH_PROPERTYPUTREF, {t(L"not a picture")}), DISP_E_EXCEPTION);
        EXPECT_FALSE(client.controls(window, "Faces").at(0).faceSet);
        auto picture = pictureOf(bitmap);
        EXPECT_EQ(invoke(button.get(), L"Picture", DISPATCH_PROPERTYPUTREF, {Variant::object(picture.get())}), S_OK);
        const auto face = client.controls(window, "Faces").at(0);
        EXPECT_TRUE(face.faceSet);
        EXPECT_EQ(face.facePixels, standin::bitmapPixels(bitmap));
        EXPECT_FALSE(face.facePixels.empty());
    }
    {
        StandInClient client;
        client.setVersion("9.0.0.2711");
        const int window = client.openExplorer(kInbox);
        auto button = newButton(client, 1);
        auto picture = pictureOf(bitmap);
        EXPECT_EQ(invoke(button.get(), L"Picture", DISPATCH_PROPERTYPUTREF, {Variant::object(picture.get())}), DISP_E_UNKNOWNNAME);
        EXPECT_FALSE(client.controls(window, "Faces").at(0).faceSet);
    }
    DeleteObject(bitmap);
}

/// Puts data on the clipboard as another program would, owning it with a window of its own.
class OtherProgram {
public:
    OtherProgram() : window_(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {}
    ~OtherProgram() { DestroyWindow(window_); }
    /// Empties the clipboard, then puts the data (none for a null handle) in that format.
    bool copy(UINT format, HANDLE data) {
        if (!OpenClipboard(window_)) return false;
        EmptyClipboard();
        bool done = !data || SetClipboardData(format, data) != nullptr;
        CloseClipboard();
        return done;
    }

private:
    HWND window_;
};

HGLOBAL textMemory(const char* text) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, strlen(text) + 1);
    memcpy(GlobalLock(memory), text, strlen(text) + 1);
    GlobalUnlock(memory);
    return memory;
}

// A window has to own what is put on the clipboard, so this runs where windows can be made.
TEST(FormWindowStandInFaces, PasteFaceTakesThePictureOnTheClipboardAndFailsWithoutOne) {
    if (!test::canCreateWindows()) GTEST_SKIP() << "no display driver: no window can own the clipboard";
    StandInClient client;
    client.setVersion("9.0.0.2711");
    const int window = client.openExplorer(kInbox);
    auto button = newButton(client, 1);
    OtherProgram other;

    ASSERT_TRUE(other.copy(CF_TEXT, nullptr));
    EXPECT_EQ(call(button.get(), L"PasteFace"), DISP_E_EXCEPTION) << "an empty clipboard";
    ASSERT_TRUE(other.copy(CF_TEXT, textMemory("words, not a picture")));
    EXPECT_EQ(call(button.get(), L"PasteFace"), DISP_E_EXCEPTION) << "a clipboard holding text";
    EXPECT_FALSE(client.controls(window, "Faces").at(0).faceSet);

    HBITMAP bitmap = smallBitmap(RGB(30, 150, 50));
    const std::string pixels = standin::bitmapPixels(bitmap);
    ASSERT_TRUE(other.copy(CF_BITMAP, bitmap));
    EXPECT_EQ(call(button.get(), L"PasteFace"), S_OK);
    const auto face = client.controls(window, "Faces").at(0);
    EXPECT_TRUE(face.faceSet);
    EXPECT_EQ(face.facePixels, pixels);
    ASSERT_TRUE(other.copy(CF_TEXT, nullptr));
}

}  // namespace
}  // namespace tw::winetest
