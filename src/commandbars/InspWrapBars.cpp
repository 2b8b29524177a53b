// A mail window's toolbar "Velmora", its menu and Help entries, and the commands they run on the
// window's own message.
#include "classify/frmWhy.h"
#include "commandbars/CommandBarsHost.h"
#include "commandbars/ExplorerBars.h"
#include "commandbars/InspWrap.h"
#include "commandbars/WhyCommand.h"
#include "core/Error.h"
#include "core/StringTable.h"
#include "senders/ApproveBlock.h"
#include "settings/SettingsWriters.h"

namespace tw::commandbars {

namespace {
using namespace office;
using senders::dialogApprove;
using senders::dialogApproveReport;
using senders::dialogBlock;
using senders::dialogBlockReport;
constexpr int kSupportPageId = 989;
constexpr int kHelpEntryPlace = 3;

ExplorerBars& sharedBars(CommandBarsHost& host) {
    auto* bars = host.explorerBars();
    if (!bars) throw Error(91, "Tarnwick", "Object variable or With block variable not set");
    return *bars;
}

void quietly(const std::function<void()>& step) {
    try {
        step();
    } catch (...) {
    }
}
}  // namespace

std::string InspWrap::windowTag(const std::string& word) const { return controlTag(word) + std::to_string(key_); }

void InspWrap::bind(std::vector<Subscription>& bindings, const std::shared_ptr<CommandBarControl>& control,
                    std::function<void()> handler) {
    if (!control) return;
    bindings.push_back(control->onClick([handler](std::shared_ptr<CommandBarControl>, bool&) { handler(); }));
}

void InspWrap::ShowToolBarMenu() {
    auto& log = addin_.log();
    try {
        log.LogErrorMessage("InspExpl ShowToolBarMenu");
        const int itemClass = m_objInsp_->CurrentItem()->Class();
        log.LogErrorMessage("m_objInsp.CurrentItem.Class = " + std::to_string(itemClass));
        if (itemClass != outlook::olMail) return;
        auto& s = addin_.settings();
        auto bars = m_objInsp_->CommandBars();
        std::shared_ptr<CommandBar> bar;
        try {
            bar = bars->Item(toolbarName());
        } catch (...) {
        }
        if (bar) {
            log.LogErrorMessage("Toolbar exists, deleting controls");
            while (bar->Controls()->Count() > 0) bar->Controls()->Item(1)->Delete();
        } else {
            // Placement comes from the settings each time, so the client need not keep the bar.
            bar = bars->Add(toolbarName(), msoBarTop, false, true);
        }
        toolbar_ = bar;
        buttonBindings_.clear();
        buttons_.clear();
        auto& explorerBars = sharedBars(addin_);
        struct Button {
            const char* word;
            int caption, tooltip, picture;
            std::function<void()> handler;
        };
        const Button table[] = {
            {"InspOrvenna", 950, 951, faceSettings, [&explorerBars] { explorerBars.cmdOrvenna_Click(); }},
            {"InspApproveSender", 900, 900, faceApprove, [this] { cmdInspApprove_Click(); }},
            {"InspBlockSender", 902, 902, faceBlock, [this] { cmdInspBlock_Click(); }},
        };
        for (const auto& b : table) {
            auto button = explorerBars.CreateToolBarButton(*bar, loadString(b.caption), windowTag(b.word),
                                                           loadString(b.tooltip), false, msoButtonIcon, b.picture, true);
            buttons_.push_back(button);
            bind(buttonBindings_, button, b.handler);
        }
        AddMMenu();
        bar->setPosition(s.toolbarpositionInsp);
        bar->setLeft(s.toolbarleftInsp);
        bar->setTop(s.toolbartopInsp);
        bar->setRowIndex(s.toolbarrowindexInsp);
        bar->setVisible(s.ToolbarInspShow);
        AddMAbout();
    } catch (...) {
        log.logError("InspWrap ShowToolBarMenu");
    }
}

void InspWrap::AddMMenu() {
    auto& log = addin_.log();
    log.LogErrorMessage("InspWrap AddMMenu()");
    if (!toolbar_) return;
    try {
        if (auto old = toolbar_->FindControl(msoControlPopup, 0, toolbarName(), false, false)) old->Delete();
        popup_ = toolbar_->Controls()->Add(msoControlPopup, 1, "", 0, true);
        popup_->setCaption(loadString(960));
        popup_->setTag(toolbarName());
    } catch (...) {
        log.logError("InspWrap AddMMenu");
        return;
    }
    menuBindings_.clear();
    auto& explorerBars = sharedBars(addin_);
    struct Entry {
        const char* word;
        int caption;
        int picture;  // 0: the default style, no face
        bool group;
        std::function<void()> handler;
    };
    // The client raises a click for every control sharing its Tag, the empty one too: each entry's
    // Tag names its command and this window, so a click reaches this window's binding alone.
    const Entry entries[] = {
        {"InspmSettings", 961, faceSettings, false, [&explorerBars] { explorerBars.cmdOrvenna_Click(); }},
        {"InspmApproveSender", 962, faceApprove, true, [this] { cmdSingleSender_Click(0, dialogApprove); }},
        {"InspmBlockSender", 963, faceBlock, false, [this] { cmdSingleSender_Click(0, dialogBlock); }},
        {"InspmApproveDomain", 964, 0, false, [this] { cmdSingleSender_Click(1, dialogApprove); }},
        {"InspmBlockDomain", 965, 0, false, [this] { cmdSingleSender_Click(1, dialogBlock); }},
        {"InspmApproveSenderReport", 966, 0, false, [this] { cmdSingleSender_Click(0, dialogApproveReport); }},
        {"InspmBlockSenderReport", 967, 0, false, [this] { cmdSingleSender_Click(0, dialogBlockReport); }},
        {"InspmOnlineHelp", 969, 0, true, [&explorerBars] { explorerBars.cmdViewOnlineHelpMenuItem_Click(); }},
        {"InspmLogReport", 970, 0, false, [&explorerBars] { explorerBars.cmdViewLogReport_Click(); }},
        {"InspmViewStats", 971, 0, false, [&explorerBars] { explorerBars.cmdViewStats_Click(); }},
        {"InspmReportBug", 981, 0, true, [this] { cmdReportBug_Click(); }},
        {"InspmReportSpam", 972, 0, true, [this] { cmdInspReport_Click(1); }},
        {"InspmReportLegit", 973, 0, false, [this] { cmdInspReport_Click(2); }},
        {"InspmReportFraud", 975, 0, false, [this] { cmdInspReport_Click(3); }},
        {"InspmReportVirus", 974, 0, false, [this] { cmdInspReport_Click(4); }},
        {"InspmUpdates", 976, 0, true, [&explorerBars] { explorerBars.cmdCheckUpdates_Click(); }},
        {"InspmAbout", 977, 0, false, [&explorerBars] { explorerBars.cmdAboutMenuItem_Click(); }},
        {"InspmWhy", classify::kWhyCaptionId, 0, true, [this] { cmdInspWhy_Click(); }},
    };
    // One failing entry must not keep the others from the menu.
    for (const auto& e : entries) {
        try {
            auto item = popup_->Controls()->Add(msoControlButton, 1, "", 0, true);
            item->setCaption(loadString(e.caption));
            item->setTag(windowTag(e.word));
            if (e.picture != 0) {
                item->setStyle(msoButtonIconAndCaption);
                explorerBars.applyFace(*item, e.picture);
            }
            item->setBeginGroup(e.group);
            bind(menuBindings_, item, e.handler);
        } catch (...) {
            log.logError("InspWrap AddMMenu");
        }
    }
}

std::shared_ptr<CommandBarControl> InspWrap::helpMenu() {
    auto controls = m_objInsp_->CommandBars()->Item("Menu Bar")->Controls();
    for (int i = 1; i <= controls->Count(); ++i) {
        auto control = controls->Item(i);
        if (control->Caption() == "&Help") return control;
    }
    return nullptr;
}

void InspWrap::AddMAbout() {
    auto& log = addin_.log();
    try {
        log.LogErrorMessage("InspWrap AddMAbout()");
        auto help = helpMenu();
        if (!help) return;
        auto& explorerBars = sharedBars(addin_);
        auto controls = help->Controls();
        const std::string aboutTag = windowTag("AboutTarnwick"), helpTag = windowTag("TarnwickOnlineHelp");
        for (const std::string& tag : {aboutTag, helpTag})
            for (int i = controls->Count(); i >= 1; --i)
                if (controls->Item(i)->Tag() == tag) controls->Item(i)->Delete();
        helpEntries_.clear();
        auto about = controls->Add(msoControlButton, 1, "", 0, true);
        about->setCaption(loadString(978));
        about->setTag(aboutTag);
        bind(buttonBindings_, about, [&explorerBars] { explorerBars.cmdAboutMenuItem_Click(); });
        helpEntries_.push_back(about);
        if (controls->Count() >= kHelpEntryPlace) {
            auto online = controls->Add(msoControlButton, 1, "", controls->Item(kHelpEntryPlace)->Index(), true);
            online->setCaption(loadString(979));
            online->setTag(helpTag);
            bind(buttonBindings_, online, [&explorerBars] { explorerBars.cmdTarnwickOnlineHelp_Click(); });
            helpEntries_.push_back(online);
        }
    } catch (...) {
        log.logError("AddMAbout");
    }
}

void InspWrap::RemoveMMenu() {
    auto& log = addin_.log();
    try {
        log.LogErrorMessage("InspWrap RemoveMMenu");
        if (popup_) popup_->Delete();
        log.LogErrorMessage("End of RemoveMMenu()");
    } catch (...) {
        log.logError("RemoveMMenu");
    }
    popup_.reset();
    menuBindings_.clear();
}

void InspWrap::RemoveMButtons() {
    auto& log = addin_.log();
    try {
        log.LogErrorMessage("InspWrap RemoveMButtons");
        if (toolbar_) {
            auto& s = addin_.settings();
            settings::SettingsWriters writers(addin_.settingsKey(), s);
            s.ToolbarInspShow = toolbar_->Visible();
            writers.writeToolbarInspShow(s.ToolbarInspShow);
            s.toolbarpositionInsp = toolbar_->Position();
            s.toolbarleftInsp = toolbar_->Left();
            s.toolbartopInsp = toolbar_->Top();
            s.toolbarrowindexInsp = toolbar_->RowIndex();
            writers.writeToolbarPosition(true, s.toolbarpositionInsp, s.toolbarleftInsp, s.toolbartopInsp,
                                         s.toolbarrowindexInsp);
        }
        dropBars();
        log.LogErrorMessage("End of RemoveMButtons()");
    } catch (...) {
        log.logError("RemoveMButtons");
    }
    buttons_.clear();
    helpEntries_.clear();
    buttonBindings_.clear();
    toolbar_.reset();
}

void InspWrap::dropBars() {
    for (auto& group : {buttons_, helpEntries_})
        for (const auto& control : group)
            if (control) quietly([&] { control->Delete(); });
    if (popup_) quietly([&] { popup_->Delete(); });
    if (toolbar_) quietly([&] { toolbar_->Delete(); });
    buttons_.clear();
    helpEntries_.clear();
    buttonBindings_.clear();
    menuBindings_.clear();
    popup_.reset();
    toolbar_.reset();
}

void InspWrap::cmdInspApprove_Click() {
    try {
        addin_.commands().AddSingleSender(0, dialogApprove, windowMessage());
    } catch (...) {
        addin_.log().logError("cmdInspApprove_Click");
    }
}

void InspWrap::cmdInspBlock_Click() {
    try {
        addin_.commands().AddSingleSender(0, dialogBlock, windowMessage());
    } catch (...) {
        addin_.log().logError("cmdInspBlock_Click");
    }
}

void InspWrap::cmdSingleSender_Click(int32_t domainFlag, int32_t dialogAction) {
    try {
        addin_.commands().AddSingleSender(domainFlag, dialogAction, windowMessage());
    } catch (...) {
        addin_.log().logError("cmdSingleSender_Click");
    }
}

void InspWrap::cmdInspReport_Click(int32_t kind) {
    try {
        addin_.reportMessageCommand(windowMessage(), kind);
    } catch (...) {
        addin_.log().logError("cmdInspReport_Click");
    }
}

void InspWrap::cmdInspWhy_Click() {
    try {
        // The actions hold the add-in and the message, not this wrapper: the message window may
        // have closed by the time the "Why?" window does.
        auto message = windowMessage();
        auto& addin = addin_;
        auto senderCommand = [&addin, message](int32_t dialogAction) {
            try {
                addin.commands().AddSingleSender(0, dialogAction, message);
            } catch (...) {
                addin.log().logError("cmdInspWhy_Click");
            }
        };
        showWhyWindow(addin_, message, [senderCommand] { senderCommand(dialogApprove); },
                      [senderCommand] { senderCommand(dialogBlock); });
    } catch (...) {
        addin_.log().logError("cmdInspWhy_Click");
    }
}

void InspWrap::cmdReportBug_Click() {
    try {
        addin_.platform().shell.openWithShell(loadString(kSupportPageId));
    } catch (...) {
        addin_.log().logError("cmdReportBug_Click");
    }
}

}  // namespace tw::commandbars
