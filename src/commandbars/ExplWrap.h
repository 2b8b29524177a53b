// The wrapper kept for each open explorer window: follows its events and shuts the add-in down
// when the last explorer closes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "commandbars/CommandBarsHost.h"
#include "core/Event.h"
#include "platform/Outlook.h"

namespace tw::commandbars {

class ExplWrap : public std::enable_shared_from_this<ExplWrap> {
public:
    explicit ExplWrap(CommandBarsHost& addin) : addin_(addin) {}
    ExplWrap(const ExplWrap&) = delete;
    ExplWrap& operator=(const ExplWrap&) = delete;

    /// Keeps the explorer and starts listening to its events.
    void setExplorer(std::shared_ptr<outlook::Explorer> explorer);
    std::shared_ptr<outlook::Explorer> Explorer() const { return m_objExpl_; }
    void setKey(int16_t key) { key_ = key; }
    int16_t Key() const { return key_; }

    void m_objExpl_Activate();
    void m_objExpl_Deactivate() { saveSettingToolbarShow(); }
    void m_objExpl_BeforeFolderSwitch(const std::shared_ptr<outlook::Folder>&, bool&) { saveSettingToolbarShow(); }
    void m_objExpl_FolderSwitch();
    void m_objExpl_SelectionChange();
    void m_objExpl_ViewSwitch() {}
    void m_objExpl_Close();
    /// Stops following the window and lets go of it; the add-in calls this at teardown.
    void detach();

    const std::string& currentFolderName() const { return currentFolderName_; }

    /// Finds this window's toolbar and shows or hides it as the setting says, with the Help entries.
    void RefreshToolbar();
    /// Writes the toolbar's visibility to the settings store (and keeps it in the record).
    void SaveToolbarExplSetting();
    /// Keeps the toolbar's visibility in the record only.
    void saveSettingToolbarShow();
    void MOutlookHelpButtons();

private:
    void rememberCurrentFolder();

    CommandBarsHost& addin_;
    std::shared_ptr<outlook::Explorer> m_objExpl_;
    int16_t key_ = 0;
    std::shared_ptr<outlook::Folder> m_CurrentFolder_;
    std::string currentFolderName_;
    std::string currentFolderEntryId_;
    std::shared_ptr<office::CommandBar> toolbar_;
    Subscription onActivate_, onDeactivate_, onBeforeFolderSwitch_, onFolderSwitch_, onSelectionChange_,
        onViewSwitch_, onClose_;
};

}  // namespace tw::commandbars
