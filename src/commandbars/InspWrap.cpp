// Mail window events: the toolbar for received mail, bookkeeping, and shut-down when the last
// window closes without an explorer.
#include "commandbars/InspWrap.h"

#include "commandbars/CommandBarsHost.h"
#include "core/Error.h"
#include "core/Text.h"
#include "settings/SettingsWriters.h"

namespace tw::commandbars {

namespace {
bool isVersion9(outlook::Application& application) { return text::startsWith(application.Version(), "9."); }

/// The message windows whose close the add-in hears: in version 9 a window that edits with Word
/// raises none of the events the add-in listens to, so it cannot wait for that one to close.
int heardWindows(outlook::Application& application) {
    auto windows = application.Inspectors();
    const bool version9 = isVersion9(application);
    int heard = 0;
    for (int i = 1; i <= windows->Count(); ++i)
        if (!version9 || windows->Item(i)->EditorType() != outlook::olEditorWord) ++heard;
    return heard;
}
}  // namespace

void InspWrap::setInspector(std::shared_ptr<outlook::Inspector> inspector) {
    m_objInsp_ = std::move(inspector);
    onActivate_ = m_objInsp_->Activate().connect([this] { m_objInsp_Activate(); });
    onDeactivate_ = m_objInsp_->Deactivate().connect([this] { m_objInsp_Deactivate(); });
    onClose_ = m_objInsp_->Close().connect([this] { m_objInsp_Close(); });
}

void InspWrap::setItem(std::shared_ptr<outlook::Item> item, int itemClass) {
    switch (itemClass) {
        case outlook::olMail:
        case outlook::olAppointment:
        case outlook::olTask:
        case outlook::olContact:
            item_ = std::move(item);
            itemClass_ = itemClass;
            break;
        default:
            break;
    }
    if (item_ && itemClass_ == outlook::olMail) listenToMail();
}

void InspWrap::listenToMail() {
    try {
        auto& events = item_->Events();
        onMailRead_ = events.Read().connect([this] { m_objMail_Read(); });
        onMailOpen_ = events.Open().connect([this] { m_objMail_Open(); });
        onMailSend_ = events.Send().connect([this] { m_objMail_Send(); });
        onMailClose_ = events.Close().connect([this] { m_objMail_Close(); });
    } catch (...) {
        // An item that cannot be listened to leaves the window's Activate and Close to stand in.
        addin_.log().logError("InspWrap setItem");
    }
}

void InspWrap::m_objInsp_Activate() {
    auto& log = addin_.log();
    try {
        log.LogErrorMessage("m_objInsp_Activate()");
        log.LogErrorMessage("Class = " + std::to_string(m_objInsp_->CurrentItem()->Class()));
        log.LogErrorMessage("Caption = " + m_objInsp_->Caption());
        log.LogErrorMessage("EditorType = " + std::to_string(m_objInsp_->EditorType()));
    } catch (...) {
        log.logError("m_objInsp_Activate");
    }
    // An item that told no Read is shown when its window first comes up.
    if (!read_ && itemClass_ == outlook::olMail) m_objMail_Read();
}

bool InspWrap::wantsToolbar(outlook::Folder& folder) {
    const std::string entry = folder.EntryID();
    auto ns = addin_.application()->GetNamespace("MAPI");
    for (int kind : {outlook::olFolderDrafts, outlook::olFolderOutbox, outlook::olFolderSentMail}) {
        std::shared_ptr<outlook::Folder> special;
        try {
            special = ns->GetDefaultFolder(kind);
        } catch (...) {
            continue;  // a store without that folder keeps nothing out
        }
        if (special && text::iequals(special->EntryID(), entry)) return false;
    }
    return true;
}

void InspWrap::m_objMail_Read() {
    auto& log = addin_.log();
    read_ = true;
    try {
        log.LogErrorMessage("m_objMail_Read()");
        auto message = windowMessage();
        // A message being written is in no folder yet: it is nothing to approve or block.
        std::shared_ptr<outlook::Folder> from;
        try {
            from = message->Parent();
        } catch (...) {
        }
        fromFolderName_ = from ? from->Name() : std::string();
        fromFolderEntry_ = from ? from->EntryID() : std::string();
        log.LogErrorMessage("m_FromFolder.Name = " + fromFolderName_);
        log.LogErrorMessage("m_FromFolder.Entry = " + fromFolderEntry_);
        if (!from || !wantsToolbar(*from) || toolbarShown_) return;
        if (editorOwnsBars()) {
            log.LogErrorMessage("Word is the editor of this window: no toolbar");
            return;
        }
        ShowToolBarMenu();
        toolbarShown_ = toolbar_ != nullptr;
    } catch (...) {
        log.logError("m_objMail_Read");
    }
}

bool InspWrap::editorOwnsBars() {
    if (!m_objInsp_ || m_objInsp_->EditorType() != outlook::olEditorWord) return false;
    auto application = addin_.application();
    return application && isVersion9(*application);
}

std::shared_ptr<outlook::Item> InspWrap::windowMessage() {
    if (item_) return item_;
    if (!m_objInsp_) throw Error(91, "Tarnwick", "Object variable or With block variable not set");
    return m_objInsp_->CurrentItem();
}

void InspWrap::saveToolbarInspShow() {
    try {
        if (!toolbar_) return;
        auto& s = addin_.settings();
        bool shown = toolbar_->Visible();
        settings::SettingsWriters(addin_.settingsKey(), s).writeToolbarInspShow(shown);
        s.ToolbarInspShow = shown;
    } catch (...) {
        addin_.log().logError("m_objInsp_Close");
    }
}

void InspWrap::m_objMail_Open() {
    try {
        addin_.log().LogErrorMessage("m_objMail_Open");
    } catch (...) {
        addin_.log().logError("m_objMail_Open");
    }
}

void InspWrap::m_objMail_Send() {
    try {
        addin_.log().LogErrorMessage("m_objMail_Send()");
    } catch (...) {
        addin_.log().logError("m_objMail_Send");
    }
}

void InspWrap::stopListening() {
    onActivate_.reset();
    onDeactivate_.reset();
    onClose_.reset();
    onMailRead_.reset();
    onMailOpen_.reset();
    onMailSend_.reset();
    onMailClose_.reset();
}

void InspWrap::detach() {
    stopListening();
    dropBars();
    item_.reset();
    m_objInsp_.reset();
}

void InspWrap::m_objMail_Close() {
    auto& log = addin_.log();
    try {
        // Keep the wrapper alive until this handler ends: leaving the list drops the last owner.
        auto self = shared_from_this();
        log.LogErrorMessage("m_objMail_Close()");
        closeWindow();
        log.LogErrorMessage("End of m_objMail_Close()");
    } catch (...) {
        log.logError("m_objMail_Close");
    }
}

void InspWrap::m_objInsp_Close() {
    auto& log = addin_.log();
    try {
        // Keep the wrapper alive until this handler ends: leaving the list drops the last owner.
        auto self = shared_from_this();
        log.LogErrorMessage("m_objInsp_Close");
        if (toolbarShown_) saveToolbarInspShow();
        closeWindow();
        log.LogErrorMessage("End of m_objInsp_Close()");
    } catch (...) {
        log.logError("m_objInsp_Close");
    }
}

void InspWrap::closeWindow() {
    // Whichever close comes first does the work; nothing of this window is heard after it.
    stopListening();
    if (toolbarShown_) {
        RemoveMMenu();
        RemoveMButtons();
        toolbarShown_ = false;
    }
    addin_.KillInsp(key_, *this);
    item_.reset();
    m_objInsp_.reset();
    auto application = addin_.application();
    // The last window the add-in can hear close: holding on would keep the client from ending.
    if (application && heardWindows(*application) < 2 && !application->ActiveExplorer()) {
        addin_.log().LogErrorMessage("Calling UnInitHandler from m_objInsp_Close()");
        addin_.UnInitHandler();
    }
}

}  // namespace tw::commandbars
