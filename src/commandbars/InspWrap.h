// The wrapper kept for each open mail window: gives a received message the add-in's toolbar and
// menu, acts on that window's own message, keeps the toolbar's placement, and shuts the add-in
// down when the last window closes with no explorer left.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "commandbars/CommandBarsHost.h"
#include "core/Event.h"
#include "platform/CommandBars.h"
#include "platform/Outlook.h"

namespace tw::commandbars {

class InspWrap : public std::enable_shared_from_this<InspWrap> {
public:
    explicit InspWrap(CommandBarsHost& addin) : addin_(addin) {}
    InspWrap(const InspWrap&) = delete;
    InspWrap& operator=(const InspWrap&) = delete;

    void setInspector(std::shared_ptr<outlook::Inspector> inspector);
    std::shared_ptr<outlook::Inspector> Inspector() const { return m_objInsp_; }
    /// The window's item, kept by its class (mail, appointment, task or contact). A mail item's
    /// Read, Open, Send and Close are followed; the open and close of the other kinds mean nothing
    /// to the add-in, so they are not listened to.
    void setItem(std::shared_ptr<outlook::Item> item, int itemClass);
    std::shared_ptr<outlook::Item> item() const { return item_; }
    int itemClass() const { return itemClass_; }
    void setKey(int16_t key) { key_ = key; }
    int16_t Key() const { return key_; }

    /// The message is shown: builds the toolbar (once) unless it came from the default Drafts,
    /// Outbox or Sent Items. When the item tells nothing, the window's first Activate stands in.
    void m_objMail_Read();
    void m_objMail_Open();
    void m_objMail_Send();
    /// The message closes: takes the toolbar away, forgets the window and shuts the add-in down
    /// when no window is left; the window's own Close that follows finds nobody listening.
    void m_objMail_Close();
    void m_objInsp_Activate();
    void m_objInsp_Deactivate() {}
    void m_objInsp_Close();
    /// Stops following the window, takes its toolbar away and lets go of it; the add-in calls
    /// this at teardown.
    void detach();

    /// Whether a message in this folder gets the toolbar: any folder but the user's default
    /// Drafts, Outbox and Sent Items, told apart by entry identifier whatever their names.
    bool wantsToolbar(outlook::Folder& folder);
    const std::string& fromFolderName() const { return fromFolderName_; }

    void ShowToolBarMenu();
    void AddMMenu();
    void AddMAbout();
    /// Deletes the popup and forgets the menu's bindings.
    void RemoveMMenu();
    /// Stores the toolbar's visibility and placement, deletes its buttons and the toolbar.
    void RemoveMButtons();
    bool toolbarShown() const { return toolbarShown_; }
    std::shared_ptr<office::CommandBar> toolbar() const { return toolbar_; }
    /// The Tag of one of this window's controls: the word, the product name and the window's key,
    /// so a click on it reaches this window alone.
    std::string windowTag(const std::string& word) const;

    // What the toolbar and menu do with this window's message.
    void cmdInspApprove_Click();
    void cmdInspBlock_Click();
    /// The menu's approve and block entries (domain flag 0 sender, 1 domain; a dialog action).
    void cmdSingleSender_Click(int32_t domainFlag, int32_t dialogAction);
    /// The menu's report entries (1 spam, 2 legitimate, 3 fraud, 4 virus).
    void cmdInspReport_Click(int32_t kind);
    void cmdReportBug_Click();
    /// Why this window's message was judged as it was.
    void cmdInspWhy_Click();

private:
    /// The message this window shows.
    std::shared_ptr<outlook::Item> windowMessage();
    /// Version 9 gives a window that edits with Word the editor's bars, which the add-in cannot
    /// reach (it hears no NewInspector for such a window either): it gets no toolbar.
    bool editorOwnsBars();
    void bind(std::vector<Subscription>& bindings, const std::shared_ptr<office::CommandBarControl>& control,
              std::function<void()> handler);
    std::shared_ptr<office::CommandBarControl> helpMenu();
    void saveToolbarInspShow();
    /// Deletes what this window's toolbar holds without storing anything.
    void dropBars();
    void stopListening();
    void listenToMail();
    /// What both closes do: the toolbar goes, the wrapper leaves the list, and the add-in shuts
    /// down when this was the last window and no explorer is open.
    void closeWindow();

    CommandBarsHost& addin_;
    std::shared_ptr<outlook::Inspector> m_objInsp_;
    std::shared_ptr<outlook::Item> item_;
    int itemClass_ = 0;
    int16_t key_ = 0;
    bool read_ = false;
    bool toolbarShown_ = false;
    std::string fromFolderName_, fromFolderEntry_;
    std::shared_ptr<office::CommandBar> toolbar_;
    std::shared_ptr<office::CommandBarControl> popup_;
    std::vector<std::shared_ptr<office::CommandBarControl>> buttons_, helpEntries_;
    std::vector<Subscription> buttonBindings_, menuBindings_;
    Subscription onActivate_, onDeactivate_, onClose_;
    Subscription onMailRead_, onMailOpen_, onMailSend_, onMailClose_;
};

}  // namespace tw::commandbars
