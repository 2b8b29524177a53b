// Building and removing the explorer toolbar, its menu and Help entries, and their handlers.
#include "commandbars/ExplorerBars.h"

#include "classify/frmWhy.h"
#include "commandbars/CommandBarsHost.h"
#include "commandbars/WhyCommand.h"
#include "commandbars/frmAboutOrvenna.h"
#include "core/StringTable.h"
#include "core/Text.h"
#include "diag/frmStats.h"
#include "diag/frmViewLog.h"
#include "options/frmOrvennaOptions.h"
#include "settings/SettingsWriters.h"

namespace tw::commandbars {

namespace {
using namespace office;
constexpr int kProductNameId = 800;
constexpr int kToolbarNameId = 457;
constexpr int kUpdatePageId = 985;
constexpr int kSelectMessageId = 133;
constexpr int kOnlineHelpPageId = 986;
constexpr const char* kHelpMenuCaption = "&Help";
constexpr int kHelpEntryPlace = 3;
}  // namespace

std::string controlTag(const std::string& word) { return word + text::trim(loadString(kProductNameId)); }
std::string toolbarName() { return loadString(kToolbarNameId); }

void ExplorerBars::bind(std::vector<Subscription>& bindings, const std::shared_ptr<CommandBarControl>& control,
                        std::function<void()> handler) {
    if (!control) return;
    bindings.push_back(control->onClick([handler](std::shared_ptr<CommandBarControl>, bool&) { handler(); }));
}

void ExplorerBars::applyFace(CommandBarControl& control, int picture) {
    // A button without its face still works: its set-up and binding go on.
    try {
        control.setPicture(picture);
    } catch (...) {
        host_.log().logError("applyFace");
    }
}

void ExplorerBars::ShowToolBarMenu() {
    auto& log = host_.log();
    try {
        log.LogErrorMessage("ExplWrap ShowToolBarMenu()");
        auto& s = host_.settings();
        auto bars = host_.application()->ActiveExplorer()->CommandBars();
        std::shared_ptr<CommandBar> bar;
        try {
            bar = bars->Item(toolbarName());
        } catch (...) {
        }
        if (!bar) {
            bar = bars->Add(toolbarName(), s.toolbarposition, false, false);
        } else {
            while (bar->Controls()->Count() > 0) bar->Controls()->Item(1)->Delete();
        }
        toolbar_ = bar;
        buttonBindings_.clear();
        buttons_.clear();
        auto& commands = host_.commands();
        struct Button {
            const char* word;
            int caption, tooltip, picture;
            std::function<void()> handler;
        };
        const Button table[] = {
            {"Tarnwick Options", 950, 951, faceSettings, [this] { cmdOrvenna_Click(); }},
            {"Approve Sender", 900, 900, faceApprove, [&commands] { commands.cmdApproveSender_Click(); }},
            {"Block Sender", 902, 902, faceBlock, [&commands] { commands.cmdBlockSender_Click(); }},
        };
        for (const auto& b : table) {
            auto button = CreateToolBarButton(*bar, loadString(b.caption), controlTag(b.word), loadString(b.tooltip),
                                              false, msoButtonIcon, b.picture, true);
            buttons_.push_back(button);
            bind(buttonBindings_, button, b.handler);
        }
        AddMMenu();
        bar->setTop(s.toolbartop);
        bar->setLeft(s.toolbarleft);
        bar->setRowIndex(s.toolbarrowindex);
        bar->setVisible(s.ToolbarExplShow);
        AddMAbout();
    } catch (...) {
        log.logError("ExplWrap ShowToolBarMenu");
    }
}

std::shared_ptr<CommandBarControl> ExplorerBars::CreateToolBarButton(CommandBar& toolbar, const std::string& caption,
                                                                    const std::string& tag, const std::string& tooltip,
                                                                    bool beginGroup, int style, int picture,
                                                                    bool replace) {
    try {
        auto button = toolbar.FindControl(0, 0, tag, false, false);
        if (button && replace) {
            button->Delete();
            button.reset();
        }
        if (!button) {
            button = toolbar.Controls()->Add(msoControlButton, 1, "", 0, false);
            button->setCaption(caption);
            button->setTag(tag);
            if (style != msoButtonCaption) applyFace(*button, picture);
            button->setVisible(true);
            button->setStyle(style);
            button->setTooltipText(tooltip);
            button->setBeginGroup(beginGroup);
        }
        return button;
    } catch (...) {
        host_.log().logError("CreateToolBarButton");
        return nullptr;
    }
}

void ExplorerBars::AddMMenu() {
    auto& log = host_.log();
    log.LogErrorMessage("ExplWrap AddMMenu()");
    if (!toolbar_) return;
    try {
        if (auto old = toolbar_->FindControl(msoControlPopup, 0, toolbarName(), false, false)) old->Delete();
        popup_ = toolbar_->Controls()->Add(msoControlPopup, 1, "", 0, true);
        popup_->setCaption(loadString(960));
        popup_->setTag(toolbarName());
    } catch (...) {
        log.logError("AddMMenu");
        return;
    }
    menuBindings_.clear();
    auto& commands = host_.commands();
    struct Entry {
        const char* word;
        int caption;
        int picture;  // 0: the default style, no face
        bool group;
        std::function<void()> handler;
    };
    const Entry entries[] = {
        {"mSettings", 961, faceSettings, false, [this] { cmdOrvenna_Click(); }},
        {"mApproveSender", 962, faceApprove, true, [&commands] { commands.cmdApproveSenderMenuItem_Click(); }},
        {"mBlockSender", 963, faceBlock, false, [&commands] { commands.cmdBlockSenderMenuItem_Click(); }},
        {"mApproveDomain", 964, 0, false, [&commands] { commands.cmdApproveDomainMenuItem_Click(); }},
        {"mBlockDomain", 965, 0, false, [&commands] { commands.cmdBlockDomainMenuItem_Click(); }},
        {"mApproveSenderReport", 966, -1, false, [&commands] { commands.cmdApproveSenderReportMenuItem_Click(); }},
        {"mBlockSenderReport", 967, -1, false, [&commands] { commands.cmdBlockSenderReportMenuItem_Click(); }},
        {"mScanFolder", 968, 0, true, [this] { cmdScanFolder_Click(); }},
        {"mOnlineHelp", 969, 0, true, [this] { cmdViewOnlineHelpMenuItem_Click(); }},
        {"mLogReport", 970, 0, false, [this] { cmdViewLogReport_Click(); }},
        {"mViewStats", 971, 0, false, [this] { cmdViewStats_Click(); }},
        {"mReportSpam", 972, 0, true, [this] { cmdReport_Click(1); }},
        {"mReportLegit", 973, 0, false, [this] { cmdReport_Click(2); }},
        {"mReportVirus", 974, 0, false, [this] { cmdReport_Click(4); }},
        {"mReportFraud", 975, 0, false, [this] { cmdReport_Click(3); }},
        {"mUpdates", 976, 0, true, [this] { cmdCheckUpdates_Click(); }},
        {"mAbout", 977, 0, false, [this] { cmdAboutMenuItem_Click(); }},
        {"mWhy", classify::kWhyCaptionId, 0, true, [this] { cmdWhy_Click(); }},
    };
    // One failing entry must not keep the others from the menu.
    for (const auto& e : entries) {
        try {
            auto item = popup_->Controls()->Add(msoControlButton, 1, "", 0, true);
            item->setCaption(loadString(e.caption));
            item->setTag(controlTag(e.word));
            if (e.picture != 0) item->setStyle(msoButtonIconAndCaption);
            if (e.picture > 0) applyFace(*item, e.picture);
            item->setBeginGroup(e.group);
            bind(menuBindings_, item, e.handler);
        } catch (...) {
            log.logError("AddMMenu");
        }
    }
}

std::shared_ptr<CommandBarControl> ExplorerBars::helpMenu() {
    auto menuBar = host_.application()->ActiveExplorer()->CommandBars()->Item("Menu Bar");
    auto controls = menuBar->Controls();
    for (int i = 1; i <= controls->Count(); ++i) {
        auto control = controls->Item(i);
        if (control->Caption() == kHelpMenuCaption) return control;
    }
    return nullptr;
}

void ExplorerBars::AddMAbout() {
    auto& log = host_.log();
    try {
        log.LogErrorMessage("AddMAbout()");
        auto help = helpMenu();
        if (!help) return;
        auto controls = help->Controls();
        const std::string aboutTag = controlTag("AboutTarnwick"), helpTag = controlTag("TarnwickOnlineHelp");
        for (const std::string& tag : {aboutTag, helpTag})
            for (int i = controls->Count(); i >= 1; --i)
                if (controls->Item(i)->Tag() == tag) controls->Item(i)->Delete();
        helpEntries_.clear();
        auto about = controls->Add(msoControlButton, 1, "", 0, true);
        about->setCaption(loadString(978));
        about->setTag(aboutTag);
        bind(buttonBindings_, about, [this] { cmdAboutMenuItem_Click(); });
        helpEntries_.push_back(about);
        // The online help goes before the menu's third entry; a shorter menu gets none.
        if (controls->Count() >= kHelpEntryPlace) {
            auto online = controls->Add(msoControlButton, 1, "", controls->Item(kHelpEntryPlace)->Index(), true);
            online->setCaption(loadString(979));
            online->setTag(helpTag);
            bind(buttonBindings_, online, [this] { cmdTarnwickOnlineHelp_Click(); });
            helpEntries_.push_back(online);
        }
    } catch (...) {
        log.logError("AddMAbout");
    }
}

void ExplorerBars::RemoveMMenu() {
    try {
        if (popup_) {
            popup_->Delete();
            popup_.reset();
        }
        menuBindings_.clear();
    } catch (...) {
        popup_.reset();
        menuBindings_.clear();
        host_.log().logError("RemoveMMenu Handler Activated");
    }
}

void ExplorerBars::RemoveMButtons() {
    try {
        if (!buttons_.empty() && toolbar_) {
            auto& s = host_.settings();
            s.toolbarposition = toolbar_->Position();
            s.toolbarleft = toolbar_->Left();
            s.toolbartop = toolbar_->Top();
            s.toolbarrowindex = toolbar_->RowIndex();
            settings::SettingsWriters(host_.settingsKey(), s)
                .writeToolbarPosition(false, s.toolbarposition, s.toolbarleft, s.toolbartop, s.toolbarrowindex);
            for (auto& group : {buttons_, helpEntries_})
                for (const auto& control : group) try {
                        if (control) control->Delete();
                    } catch (...) {
                    }
            toolbar_->Delete();
        }
    } catch (...) {
        host_.log().logError("RemoveMButtons Handler Activated");
    }
    buttons_.clear();
    helpEntries_.clear();
    buttonBindings_.clear();
    toolbar_.reset();
}

void ExplorerBars::cmdOrvenna_Click() {
    try {
        options::frmOrvennaOptions::showModal(host_.optionsHost());
    } catch (...) {
        host_.log().logError("cmdOrvenna_Click");
    }
}

void ExplorerBars::cmdScanFolder_Click() { host_.manualScan().cmdScanFolder(); }

void ExplorerBars::cmdReport_Click(int kind) {
    try {
        host_.reportCommand(kind);
    } catch (...) {
        host_.log().logError("cmdReport_Click");
    }
}

void ExplorerBars::cmdViewOnlineHelpMenuItem_Click() {
    try {
        if (auto* help = host_.helpWindow()) help->openTopic("help_1.html");
    } catch (...) {
        host_.log().logError("cmdViewOnlineHelpMenuItem_Click");
    }
}

void ExplorerBars::cmdViewLogReport_Click() {
    try {
        auto& p = host_.platform();
        diag::frmViewLog form(p.files, p.shell, p.ui, host_.log());
        form.Form_Load();
        p.ui.showForm(form, true);
    } catch (...) {
        host_.log().logError("cmdViewLogReport_Click");
    }
}

void ExplorerBars::cmdViewStats_Click() {
    try {
        auto& p = host_.platform();
        diag::frmStats form(p.ui, host_.settings(), p.clock,
                            [this](int processed, int caught) {
                                settings::SettingsWriters writers(host_.settingsKey(), host_.settings());
                                writers.writeCounters(processed, caught);
                                writers.writeWeeklyStats();
                            },
                            host_.log());
        form.Form_Load();
        p.ui.showForm(form, true);
    } catch (...) {
        host_.log().logError("cmdViewStats_Click");
    }
}

void ExplorerBars::cmdWhy_Click() {
    try {
        auto& p = host_.platform();
        auto selection = host_.application()->ActiveExplorer()->Selection();
        if (selection->Count() != 1 || selection->Item(1)->Class() != outlook::olMail) {
            p.ui.MsgBox(loadString(kSelectMessageId), platform::vbOKOnly, loadString(classify::kWhyCaptionId));
            return;
        }
        auto& commands = host_.commands();
        showWhyWindow(host_, selection->Item(1), [&commands] { commands.cmdApproveSenderMenuItem_Click(); },
                      [&commands] { commands.cmdBlockSenderMenuItem_Click(); });
    } catch (...) {
        host_.log().logError("cmdWhy_Click");
    }
}

void ExplorerBars::cmdCheckUpdates_Click() {
    try {
        host_.platform().shell.openWithShell(loadString(kUpdatePageId));
    } catch (...) {
        host_.log().logError("cmdCheckUpdates_Click");
    }
}

void ExplorerBars::cmdTarnwickOnlineHelp_Click() {
    try {
        host_.platform().shell.openWithShell(loadString(kOnlineHelpPageId));
    } catch (...) {
        host_.log().logError("cmdTarnwickOnlineHelp_Click");
    }
}

void ExplorerBars::cmdAboutMenuItem_Click() {
    frmAboutOrvenna about(host_.platform(), host_.log());
    about.show();
}

}  // namespace tw::commandbars
