// The options dialog as a real window: its tree's ticks, tab order and layout, the strength options
// under Tab and the arrow keys, Space on the tree, and the country and blacklist tick lists.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/StringTable.h"
#include "core/Text.h"
#include "diag/CErrorHandler.h"
#include "engineapi/EngineLibrary.h"
#include "options/OptionsTree.h"
#include "options/frmOrvennaOptions.h"
#include "senders/Senders.h"
#include "settings/Countries.h"
#include "settings/Settings.h"
#include "win32/TextEncoding.h"
#include "win32/Win32Platform.h"
#include "win32/forms/Win32FormWindow.h"
#include "wine/FormWindowScript.h"

namespace tw::test {
namespace {

using win32::forms::kFirstControlId;

constexpr const char* kTestKey = "Software\\TarnwickOptionsWindowTest";

/// The add-in's services over the real registry (a key of this test's own), files and windows;
/// no engine, no mail client.
class WineOptionsHost : public options::OptionsHost {
public:
    explicit WineOptionsHost(const std::string& folder) : folder_(folder) {
        forget();
        life_.begin();
    }
    ~WineOptionsHost() override { forget(); }

    settings::Settings& settings() override { return settings_; }
    ConnectionToken connection() const override { return life_.token(); }
    settings::SettingsKey settingsKey() override { return settings::SettingsKey(platform_.registry, kTestKey); }
    platform::Platform& platform() override { return platform_.ports; }
    diag::CErrorHandler& log() override { return log_; }
    senders::Senders* senders() override { return &senders_; }
    settings::Countries* countries() override { return &countries_; }
    scan::AutoScan* autoScan() const override { return nullptr; }
    engineapi::EngineLibrary& engine() override { return engine_; }
    std::shared_ptr<outlook::NameSpace> nameSpace() const override { return nullptr; }
    std::string folderPath(outlook::Folder&) override { return {}; }
    int32_t getEnginePointer() const override { return 0; }
    void refreshEngineOptions() override {}
    help::HelpWindow* helpWindow() override { return nullptr; }

    win32::Win32UserInterface& ui() { return platform_.ui; }
    /// Every value under the test's key, as text.
    std::map<std::string, std::string> stored() {
        std::map<std::string, std::string> values;
        auto& registry = platform_.registry;
        if (!registry.keyExists(platform::Hive::CurrentUser, kTestKey)) return values;
        for (const auto& name : registry.valueNames(platform::Hive::CurrentUser, kTestKey)) {
            const auto value = registry.queryValue(platform::Hive::CurrentUser, kTestKey, name);
            values[name] = value ? value->text + "|" + std::to_string(value->dword) : "";
        }
        return values;
    }

private:
    void forget() {
        if (platform_.registry.keyExists(platform::Hive::CurrentUser, kTestKey))
            platform_.registry.deleteTree(platform::Hive::CurrentUser, kTestKey);
    }
    std::string folder_;
    ConnectionLife life_;
    win32::Win32Platform platform_;
    diag::CErrorHandler log_{platform_.files, platform_.shell, platform_.clock};
    settings::Settings settings_;
    engineapi::EngineLibrary engine_{platform_.libraries, "no-engine-here.dll"};
    settings::Countries countries_;
    senders::Senders senders_{senders::SendersContext{platform_.files, platform_.clock, log_, settings_,
                                                      settings::SettingsKey(platform_.registry, kTestKey), folder_,
                                                      nullptr, nullptr, engineapi::Bounce(engine_, [] { return 0; })}};
};

HWND child(HWND form, const std::string& name) {
    const auto& controls = options::frmOrvennaOptions::declaration().controls;
    for (size_t i = 0; i < controls.size(); ++i)
        if (controls[i].name == name) return GetDlgItem(form, kFirstControlId + static_cast<int>(i));
    ADD_FAILURE() << "no control " << name;
    return nullptr;
}

std::string nameOf(HWND form, HWND control) {
    if (control == form) return "the form itself";
    const int index = GetDlgCtrlID(control) - kFirstControlId;
    const auto& controls = options::frmOrvennaOptions::declaration().controls;
    return index >= 0 && static_cast<size_t>(index) < controls.size() ? controls[static_cast<size_t>(index)].name
                                                                        : "an outside window";
}

RECT rectIn(HWND form, HWND control) {
    RECT box{};
    GetWindowRect(control, &box);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&box), 2);
    return box;
}

HTREEITEM treeItem(HWND tree, const std::string& key) {
    const auto& nodes = options::optionsNodes();
    std::vector<HTREEITEM> pending{TreeView_GetRoot(tree)};
    while (!pending.empty()) {
        HTREEITEM item = pending.back();
        pending.pop_back();
        for (; item != nullptr; item = TreeView_GetNextSibling(tree, item)) {
            TVITEMW data{};
            data.mask = TVIF_PARAM | TVIF_HANDLE;
            data.hItem = item;
            TreeView_GetItem(tree, &data);
            if (static_cast<size_t>(data.lParam) < nodes.size() && key == nodes[static_cast<size_t>(data.lParam)].key)
                return item;
            pending.push_back(TreeView_GetChild(tree, item));
        }
    }
    return nullptr;
}

int treeStateImage(HWND tree, const std::string& key) {
    return static_cast<int>((TreeView_GetItemState(tree, treeItem(tree, key), TVIS_STATEIMAGEMASK) & TVIS_STATEIMAGEMASK) >> 12);
}

/// Shows a page as the user does by choosing its node, and puts the focus in the tree.
void showPage(HWND form, const std::string& key) {
    HWND tree = child(form, "tvwOptions");
    SetFocus(tree);
    TreeView_SelectItem(tree, treeItem(tree, key));
}

/// A key going through the dialog keys' handling, as the message loop hands it over.
void dialogKey(HWND form, WPARAM key) {
    MSG message{};
    message.hwnd = GetFocus();
    message.message = WM_KEYDOWN;
    message.wParam = key;
    if (!IsDialogMessageW(form, &message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

/// The controls Tab visits from the tree until it comes back to it.
std::vector<std::string> tabRound(HWND form) {
    std::vector<std::string> visited;
    HWND tree = child(form, "tvwOptions");
    SetFocus(tree);
    for (int i = 0; i < 40; ++i) {
        dialogKey(form, VK_TAB);
        if (GetFocus() == tree) break;
        visited.push_back(nameOf(form, GetFocus()));
    }
    return visited;
}

/// The controls that take the focus on the page shown, by where they stand: top first, then left.
std::vector<std::string> readingOrder(HWND form) {
    std::vector<std::pair<std::pair<LONG, LONG>, std::string>> shown;
    for (HWND c = GetWindow(form, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        if (!IsWindowVisible(c) || !IsWindowEnabled(c) || (GetWindowLongW(c, GWL_STYLE) & WS_TABSTOP) == 0) continue;
        const RECT box = rectIn(form, c);
        shown.push_back({{box.top, box.left}, nameOf(form, c)});
    }
    std::sort(shown.begin(), shown.end());
    std::vector<std::string> names;
    for (const auto& entry : shown)
        if (entry.second != "tvwOptions") names.push_back(entry.second);
    return names;
}

/// Presses the mouse on the tick box of a list view's row.
void clickTickBox(HWND list, int row) {
    RECT bounds{};
    bounds.left = LVIR_BOUNDS;
    SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&bounds));
    const int y = (bounds.top + bounds.bottom) / 2;
    for (int x = bounds.left; x < bounds.left + 40; ++x) {
        LVHITTESTINFO hit{};
        hit.pt = {x, y};
        if (SendMessageW(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) != row || (hit.flags & LVHT_ONITEMSTATEICON) == 0)
            continue;
        PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        PostMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        return;
    }
    ADD_FAILURE() << "row " << row << " shows no tick box";
}

/// Presses the mouse on the text of a list view's row.
void clickRowText(HWND list, int row) {
    RECT label{};
    label.left = LVIR_LABEL;
    SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&label));
    const LPARAM at = MAKELPARAM(label.left + 10, (label.top + label.bottom) / 2);
    PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(list, WM_LBUTTONUP, 0, at);
}

bool rowTicked(HWND list, int row) {
    return (SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) ==
           INDEXTOSTATEIMAGEMASK(2);
}

void press(HWND form, const std::string& button) { SendMessageW(child(form, button), BM_CLICK, 0, 0); }

class FormWindowOptions : public ::testing::Test {
protected:
    FormWindowOptions() {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        folder = win32::toUtf8(temp) + "TarnwickOptionsWindowTest";
        CreateDirectoryW(win32::toWide(folder).c_str(), nullptr);
    }
    void SetUp() override {
        if (!canCreateWindows()) GTEST_SKIP() << "no display driver: run.sh runs these under Wine's null driver";
        host = std::make_unique<WineOptionsHost>(folder);
    }
    /// Opens the dialog modally and plays the steps; true when they all ran and the dialog closed.
    bool run(std::vector<ScriptedUser::Step> steps) {
        form = std::make_unique<options::frmOrvennaOptions>(*host);
        form->Form_Load();
        const size_t count = steps.size();
        ScriptedUser user(host->ui(), *form, std::move(steps));
        host->ui().showForm(*form, true);
        EXPECT_EQ(user.messageBoxes, 0) << "the dialog showed a message box";
        return user.stepsTaken() == count && !user.gaveUp && !host->ui().isFormVisible(*form);
    }
    int rowOfCountry(const std::string& code) {
        const auto names = host->countries()->getAllNames();
        return static_cast<int>(std::find(names.begin(), names.end(), host->countries()->GetNameFromCode(code)) -
                                names.begin());
    }

    std::string folder;
    std::unique_ptr<WineOptionsHost> host;
    std::unique_ptr<options::frmOrvennaOptions> form;
};

TEST_F(FormWindowOptions, TheTreeShowsTheStoredTicksOnOpeningAndNoBoxBesideAHeading) {
    auto& s = host->settings();
    s.MarkSpamAsRead = true;
    s.EnableSpamFilterStrength = false;
    s.reportspam = 2;  // a mode the tick cannot show: the node shows no box
    s.showsenderdialog = 1;
    std::map<std::string, int> seen;
    ASSERT_TRUE(run({[&](HWND window) {
        HWND tree = child(window, "tvwOptions");
        for (const auto& node : options::optionsNodes()) seen[node.key] = treeStateImage(tree, node.key);
        press(window, "cmdCancel");
    }}));
    for (const auto& node : options::optionsNodes()) {
        const int image = options::checkImageFor(node.key, s);
        const int box = image == options::kImageTicked ? 2 : image == options::kImageCleared ? 1 : 0;
        EXPECT_EQ(seen[node.key], box) << node.key;
    }
    EXPECT_EQ(seen["MarkSpamAsRead"], 2);
    EXPECT_EQ(seen["CustomFilterThreshold"], 1);
    EXPECT_EQ(seen["General"], 0);
}

TEST_F(FormWindowOptions, SpaceOnATickNodeChangesTheSettingOkStores) {
    host->settings().MarkSpamAsRead = false;
    int shownAfter = -1;
    ASSERT_TRUE(run({[](HWND window) {
                         showPage(window, "MarkSpamAsRead");
                         PostMessageW(child(window, "tvwOptions"), WM_KEYDOWN, VK_SPACE, 0);
                         PostMessageW(child(window, "tvwOptions"), WM_KEYUP, VK_SPACE, 0);
                     },
                     [&](HWND window) {
                         shownAfter = treeStateImage(child(window, "tvwOptions"), "MarkSpamAsRead");
                         press(window, "cmdOK");
                     }}));
    EXPECT_EQ(shownAfter, 2) << "the box shows the tick once";
    EXPECT_TRUE(host->settings().MarkSpamAsRead);
    EXPECT_EQ(host->settingsKey().read("MarkSpamAsRead").toInteger(), 1);
}

TEST_F(FormWindowOptions, TabThroughTheStrengthPageKeepsTheThresholdAndAnArrowKeyChoosesAPreset) {
    auto& s = host->settings();
    s.EnableSpamFilterStrength = true;
    s.threshold2 = 85;
    std::vector<std::string> visited;
    std::string afterTab;
    ASSERT_TRUE(run({[&](HWND window) {
        showPage(window, "CustomFilterThreshold");
        visited = tabRound(window);
        afterTab = win32::toUtf8([&] {
            wchar_t text[16] = {};
            GetWindowTextW(child(window, "txtThreshold"), text, 16);
            return std::wstring(text);
        }());
        press(window, "cmdOK");
    }}));
    EXPECT_EQ(visited, (std::vector<std::string>{"optStrength2", "txtThreshold", "sldThreshold", "cmdOK", "cmdCancel",
                                                 "cmdHelp"}))
        << "the options take one tab stop, the chosen one";
    EXPECT_EQ(afterTab, "85");
    EXPECT_EQ(s.threshold2, 85);
    EXPECT_EQ(host->settingsKey().read("threshold2").toDouble(), 85);

    std::string afterArrow;
    bool aggressive = false;
    ASSERT_TRUE(run({[&](HWND window) {
        showPage(window, "CustomFilterThreshold");
        SetFocus(child(window, "tvwOptions"));
        dialogKey(window, VK_TAB);
        dialogKey(window, VK_RIGHT);
        aggressive = SendMessageW(child(window, "optStrength3"), BM_GETCHECK, 0, 0) == BST_CHECKED;
        afterArrow = form->controls()->operator[]("txtThreshold").text;
        tabRound(window);
        press(window, "cmdCancel");
    }}));
    EXPECT_TRUE(aggressive);
    EXPECT_EQ(afterArrow, "70") << "an arrow key that moves the choice applies the preset";
    EXPECT_EQ(s.threshold2, 85) << "Cancel keeps it";
}

TEST_F(FormWindowOptions, TabRunsDownEveryPageToOkCancelHelpAndCancelAfterwardsStoresNothing) {
    ASSERT_TRUE(run({[](HWND window) { press(window, "cmdOK"); }}));
    const auto before = host->stored();
    const settings::Settings settingsBefore = host->settings();
    ASSERT_FALSE(before.empty());

    std::map<std::string, std::vector<std::string>> visited, expected;
    ASSERT_TRUE(run({[&](HWND window) {
        for (const auto& node : options::optionsNodes()) {
            showPage(window, node.key);
            expected[node.key] = readingOrder(window);
            visited[node.key] = tabRound(window);
        }
        press(window, "cmdCancel");
    }}));
    for (const auto& node : options::optionsNodes()) {
        EXPECT_EQ(visited[node.key], expected[node.key]) << node.key;
        ASSERT_GE(visited[node.key].size(), 3u) << node.key;
        EXPECT_EQ(std::vector<std::string>(visited[node.key].end() - 3, visited[node.key].end()),
                  (std::vector<std::string>{"cmdOK", "cmdCancel", "cmdHelp"}))
            << node.key;
    }
    EXPECT_EQ(host->stored(), before);
    EXPECT_EQ(host->settings().threshold2, settingsBefore.threshold2);
    EXPECT_EQ(host->settings().MarkSpamAsRead, settingsBefore.MarkSpamAsRead);
}

TEST_F(FormWindowOptions, APageThatHidesTheFocusedControlLeavesTheFocusOnAShownOne) {
    std::string focused;
    ASSERT_TRUE(run({[&](HWND window) {
        showPage(window, "ApprovedSenders");
        SetFocus(child(window, "cmdAdd"));
        TreeView_SelectItem(child(window, "tvwOptions"), treeItem(child(window, "tvwOptions"), "Root"));
        HWND now = GetFocus();
        focused = now != nullptr && IsWindowVisible(now) ? nameOf(window, now) : "nothing shown";
        press(window, "cmdCancel");
    }}));
    EXPECT_EQ(focused, "tvwOptions");
}

TEST_F(FormWindowOptions, EveryPageFitsTheFormWithoutOverlapsAndEveryTextFitsItsControl) {
    std::vector<std::string> faults;
    ASSERT_TRUE(run({[&](HWND window) {
        RECT inside{};
        GetClientRect(window, &inside);
        HWND tree = child(window, "tvwOptions");
        for (const auto& node : options::optionsNodes()) {
            showPage(window, node.key);
            std::vector<std::pair<std::string, RECT>> shown;
            for (HWND c = GetWindow(window, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT))
                if (IsWindowVisible(c)) shown.push_back({nameOf(window, c), rectIn(window, c)});
            for (size_t i = 0; i < shown.size(); ++i) {
                const RECT& a = shown[i].second;
                if (a.left < 0 || a.top < 0 || a.right > inside.right || a.bottom > inside.bottom)
                    faults.push_back(std::string(node.key) + ": " + shown[i].first + " reaches outside the form");
                for (size_t j = i + 1; j < shown.size(); ++j) {
                    RECT both{};
                    if (IntersectRect(&both, &a, &shown[j].second))
                        faults.push_back(std::string(node.key) + ": " + shown[i].first + " overlaps " + shown[j].first);
                }
            }
        }
        // Every label, check box and option shows its text whole, the strength descriptions included.
        HDC dc = GetDC(window);
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(tree, WM_GETFONT, 0, 0)));
        const auto fits = [&](const std::string& name, const std::wstring& text, int boxWidth) {
            const RECT box = rectIn(window, child(window, name));
            RECT need{0, 0, box.right - box.left - boxWidth, 0};
            DrawTextW(dc, text.c_str(), -1, &need, DT_CALCRECT | DT_WORDBREAK);
            if (need.bottom > box.bottom - box.top || need.right > box.right - box.left - boxWidth)
                faults.push_back(name + " cuts \"" + win32::toUtf8(text) + "\"");
        };
        for (const auto& c : options::frmOrvennaOptions::declaration().controls) {
            const std::wstring text = win32::toWide((*form->controls())[c.name].caption);
            if (c.kind == platform::ControlKind::Label && !text.empty()) fits(c.name, text, 0);
            if (c.kind == platform::ControlKind::CheckBox || c.kind == platform::ControlKind::OptionButton)
                fits(c.name, text, GetSystemMetrics(SM_CXMENUCHECK) + 6);
        }
        for (int id = 1154; id <= 1158; ++id) fits("lblStrengthDesc", win32::toWide(loadString(id)), 0);
        ReleaseDC(window, dc);
        // The tree shows every caption whole, without scrolling sideways.
        RECT treeInside{};
        GetClientRect(tree, &treeInside);
        for (const auto& node : options::optionsNodes()) {
            HTREEITEM item = treeItem(tree, node.key);
            TreeView_EnsureVisible(tree, item);
            RECT text{};
            if (TreeView_GetItemRect(tree, item, &text, TRUE) && text.right > treeInside.right)
                faults.push_back("the tree cuts " + std::string(node.key));
        }
        if ((GetWindowLongW(tree, GWL_STYLE) & WS_HSCROLL) != 0) faults.push_back("the tree scrolls sideways");
        press(window, "cmdCancel");
    }}));
    EXPECT_EQ(faults, std::vector<std::string>{});
}

TEST_F(FormWindowOptions, OneClickTicksOneCountryAndKeepsTheOthersTheFirstTickedIsInView) {
    auto& s = host->settings();
    s.blockedCountries = KeyedSet();
    s.blockedCountries.Add("ph");
    s.blockedCountries.Add("se");
    const int philippines = rowOfCountry("ph"), sweden = rowOfCountry("se");
    int top = -1, perPage = 0, clicked = -1, chosen = -1;
    std::vector<bool> ticksShown;
    ASSERT_TRUE(run({[&](HWND window) {
                         showPage(window, "CountryBlocking");
                         HWND list = child(window, "lstBlockedCountries");
                         top = static_cast<int>(SendMessageW(list, LVM_GETTOPINDEX, 0, 0));
                         perPage = static_cast<int>(SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0));
                         clicked = philippines == top ? top + 1 : top;
                         chosen = clicked + 2;
                         clickTickBox(list, clicked);
                     },
                     [&](HWND window) { clickRowText(child(window, "lstBlockedCountries"), chosen); },
                     [&](HWND window) {
                         HWND list = child(window, "lstBlockedCountries");
                         for (int row : {philippines, sweden, clicked, chosen}) ticksShown.push_back(rowTicked(list, row));
                         press(window, "cmdOK");
                     }}));
    EXPECT_LE(top, philippines);
    EXPECT_LT(philippines, top + perPage) << "the first ticked country is in view";
    EXPECT_EQ(ticksShown, (std::vector<bool>{true, true, true, false}));
    const auto names = host->countries()->getAllNames();
    std::vector<std::string> wanted;
    for (int row : {clicked, philippines, sweden})
        wanted.push_back(text::lower(host->countries()->GetCodeFromName(names[static_cast<size_t>(row)])));
    std::vector<std::string> got = s.blockedCountries.Keys();
    std::sort(wanted.begin(), wanted.end());
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, wanted) << "a click on another country's name ticks nothing";
}

TEST_F(FormWindowOptions, ABlacklistServerIsTickedWithOneClickOrWithSpace) {
    auto& s = host->settings();
    s.allblacklists = KeyedSet();
    for (const char* server : {"a.rbl.example", "b.rbl.example", "c.rbl.example"}) s.allblacklists.Add(server);
    s.rbl_list = KeyedSet();
    std::vector<bool> ticksShown;
    ASSERT_TRUE(run({[](HWND window) {
                         showPage(window, "RBLs");
                         clickTickBox(child(window, "lstServers"), 0);
                     },
                     [](HWND window) {
                         HWND list = child(window, "lstServers");
                         SetFocus(list);
                         LVITEMW item{};
                         item.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
                         item.state = LVIS_FOCUSED | LVIS_SELECTED;
                         SendMessageW(list, LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&item));
                         PostMessageW(list, WM_KEYDOWN, VK_SPACE, 0);
                         PostMessageW(list, WM_KEYUP, VK_SPACE, 0);
                     },
                     [&](HWND window) {
                         HWND list = child(window, "lstServers");
                         for (int row = 0; row < 3; ++row) ticksShown.push_back(rowTicked(list, row));
                         press(window, "cmdOK");
                     }}));
    EXPECT_EQ(ticksShown, (std::vector<bool>{true, false, true}));
    EXPECT_EQ(s.rbl_list.Keys(), (std::vector<std::string>{"a.rbl.example", "c.rbl.example"}));
    EXPECT_EQ(host->settingsKey().read("rbl_list").text(), "a.rbl.example,c.rbl.example");
}

}  // namespace
}  // namespace tw::test
