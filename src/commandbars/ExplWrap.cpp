// Explorer window events: folder tracking and shut-down on the last close.
#include "commandbars/ExplWrap.h"

#include "commandbars/CommandBarsHost.h"
#include "commandbars/ExplorerBars.h"
#include "core/StringTable.h"
#include "settings/SettingsWriters.h"

namespace tw::commandbars {

void ExplWrap::setExplorer(std::shared_ptr<outlook::Explorer> explorer) {
    m_objExpl_ = std::move(explorer);
    addin_.log().LogErrorMessage("Let Explorer " + std::to_string(key_));
    rememberCurrentFolder();
    onActivate_ = m_objExpl_->Activate().connect([this] { m_objExpl_Activate(); });
    onDeactivate_ = m_objExpl_->Deactivate().connect([this] { m_objExpl_Deactivate(); });
    onBeforeFolderSwitch_ = m_objExpl_->BeforeFolderSwitch().connect(
        [this](auto folder, bool& cancel) { m_objExpl_BeforeFolderSwitch(folder, cancel); });
    onFolderSwitch_ = m_objExpl_->FolderSwitch().connect([this] { m_objExpl_FolderSwitch(); });
    onSelectionChange_ = m_objExpl_->SelectionChange().connect([this] { m_objExpl_SelectionChange(); });
    onViewSwitch_ = m_objExpl_->ViewSwitch().connect([this] { m_objExpl_ViewSwitch(); });
    onClose_ = m_objExpl_->Close().connect([this] { m_objExpl_Close(); });
}

void ExplWrap::rememberCurrentFolder() {
    try {
        m_CurrentFolder_ = m_objExpl_->CurrentFolder();
        currentFolderName_ = m_CurrentFolder_ ? m_CurrentFolder_->Name() : std::string();
        currentFolderEntryId_ = m_CurrentFolder_ ? m_CurrentFolder_->EntryID() : std::string();
    } catch (...) {
        addin_.log().logError("ExplWrap rememberCurrentFolder");
    }
}

void ExplWrap::m_objExpl_Activate() {
    addin_.log().LogErrorMessage("m_objExpl_Activate");
    rememberCurrentFolder();
    RefreshToolbar();
}

void ExplWrap::m_objExpl_FolderSwitch() {
    auto& log = addin_.log();
    try {
        log.LogErrorMessage("m_objExpl_FolderSwitch()");
        if (!m_objExpl_->CurrentFolder()) {
            log.LogErrorMessage("Probably IMAP Root");
            m_CurrentFolder_.reset();
            currentFolderName_ = "IMAP ROOT";
            currentFolderEntryId_.clear();
            return;
        }
        rememberCurrentFolder();
        RefreshToolbar();
    } catch (...) {
        log.logError("m_objExpl_FolderSwitch");
    }
}

void ExplWrap::m_objExpl_SelectionChange() {
    bool& fresh = addin_.newExplorerFlag();
    if (!fresh) return;
    rememberCurrentFolder();
    RefreshToolbar();
    fresh = false;
}

void ExplWrap::RefreshToolbar() {
    auto& log = addin_.log();
    try {
        log.LogErrorMessage("RefreshToolbar " + std::to_string(key_));
        log.LogErrorMessage("m_objExpl.CurrentFolder = " + currentFolderName_);
        toolbar_ = m_objExpl_->CommandBars()->Item(toolbarName());
        toolbar_->setVisible(addin_.settings().ToolbarExplShow);
        MOutlookHelpButtons();
    } catch (...) {
        log.logError("RefreshToolbar");
    }
}

void ExplWrap::MOutlookHelpButtons() {
    try {
        auto controls = m_objExpl_->CommandBars()->Item("Menu Bar")->Controls();
        for (int i = 1; i <= controls->Count(); ++i) {
            auto menu = controls->Item(i);
            if (menu->Caption() != "&Help") continue;
            auto entries = menu->Controls();
            for (int j = 1; j <= entries->Count(); ++j) {
                auto entry = entries->Item(j);
                if (entry->Caption() == loadString(979) || entry->Caption() == loadString(978)) entry->setVisible(true);
            }
        }
    } catch (...) {
        addin_.log().logError("MOutlookHelpButtons");
    }
}

void ExplWrap::saveSettingToolbarShow() {
    try {
        addin_.log().LogErrorMessage("saveSettingToolbarShow");
        if (toolbar_) addin_.settings().ToolbarExplShow = toolbar_->Visible();
    } catch (...) {
        addin_.log().logError("saveSettingToolbarShow");
    }
}

void ExplWrap::SaveToolbarExplSetting() {
    try {
        auto& s = addin_.settings();
        if (!toolbar_) toolbar_ = m_objExpl_->CommandBars()->Item(toolbarName());
        bool shown = toolbar_->Visible();
        addin_.log().LogErrorMessage(shown ? "Saving True" : "Saving False");
        settings::SettingsWriters(addin_.settingsKey(), s).writeToolbarExplShow(shown);
        s.ToolbarExplShow = shown;
    } catch (...) {
        addin_.log().logError("SaveToolbarExplSetting");
    }
}

void ExplWrap::detach() {
    for (Subscription* s : {&onActivate_, &onDeactivate_, &onBeforeFolderSwitch_, &onFolderSwitch_, &onSelectionChange_,
                            &onViewSwitch_, &onClose_})
        s->reset();
    m_CurrentFolder_.reset();
    toolbar_.reset();
    m_objExpl_.reset();
}

void ExplWrap::m_objExpl_Close() {
    // Keep the wrapper alive until this handler ends: removing it from the list drops the last owner.
    auto self = shared_from_this();
    auto& log = addin_.log();
    try {
        log.LogErrorMessage("m_objExpl_Close()");
        log.LogErrorMessage("m_CurrentFolder.Name = " + currentFolderName_);
        SaveToolbarExplSetting();
        toolbar_.reset();
        m_CurrentFolder_.reset();
        addin_.KillExpl(key_, *this);
        onActivate_.reset();
        onDeactivate_.reset();
        onBeforeFolderSwitch_.reset();
        onFolderSwitch_.reset();
        onSelectionChange_.reset();
        onViewSwitch_.reset();
        auto application = addin_.application();
        m_objExpl_.reset();
        if (application && application->Explorers()->Count() < 2) {
            log.LogErrorMessage("Calling UnInitHandler from m_objExpl_Close()");
            addin_.UnInitHandler();
        }
    } catch (...) {
        log.logError("m_objExpl_Close");
    }
}

}  // namespace tw::commandbars
