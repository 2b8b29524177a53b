// The options dialog: a tree of pages whose check nodes are the boolean settings, the spam filter
// strength, the junk destination and the expert fields; OK stores them all, Cancel nothing.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "options/JunkDestination.h"
#include "options/OptionsCommit.h"
#include "options/OptionsHost.h"
#include "platform/FormControls.h"
#include "platform/UserInterface.h"

namespace tw::options {

class frmOrvennaOptions : public platform::FormView {
public:
    explicit frmOrvennaOptions(OptionsHost& host);

    static const platform::FormDecl& declaration();
    std::string formName() const override { return "frmOrvennaOptions"; }
    platform::FormControls* controls() override { return &controls_; }

    /// Builds the tree with each check node's image, and fills the pages from the settings.
    void Form_Load();
    /// Opens the dialog modally; errors are logged under the caller's procedure.
    static void showModal(OptionsHost& host);

    /// A left-button press on the tree: on a node's icon the next node click toggles it.
    void tvwOptions_MouseDown(bool onIcon) { toggleNextClick_ = onIcon; }
    void tvwOptions_NodeClick(const std::string& key);
    /// The image a node shows now (0: none).
    int nodeImage(const std::string& key) const;

    void txtThreshold_Change();
    void sldThreshold_Change();
    void updThreshold_Step(int delta);
    /// Choosing an option applies its preset to the threshold and shows the option's short name.
    void optStrength_Click(int option);
    void cboJunkFolder_Click();
    /// The sender list pages: the entry dialogs and the store change the list at once.
    /// The approved page's Import button: the address-book import, then the page shows the list again.
    void cmdImport_Click();
    void cmdAdd_Click();
    void cmdEdit_Click();
    void cmdDelete_Click();
    /// The country pages' "Select All", "Clear All" and "Reset" (back to the stored list): they tick.
    void countryButton_Click(bool selectAll, bool reset);
    /// The folder-listener page: folders added through the picker and removed from the auto-scan at once.
    void cmdAddFolder_Click();
    void cmdRemoveFolder_Click();
    void cmdOK_Click();
    void cmdCancel_Click();
    /// Opens the help topic of the page shown.
    void cmdHelp_Click();

    /// The entries as OK finds them.
    OptionsEntries entries() const;
    const std::string& currentPage() const { return page_; }

private:
    platform::TreeNode* node(const std::string& key);
    /// Shows a node's page: its title, its description and its controls; hides the other pages' controls.
    void showPage(const std::string& key);
    void fillJunkFolder();
    /// The list of the page shown: a sender list, an IP list or the blacklist servers' tick list,
    /// scrolling sideways as far as its widest entry.
    void fillSenderList();
    void fillFolders();
    void openGenericEntry(int kind, const std::string& edited);
    /// The blacklist servers ticked as in use: read from the list while its page shows, else as last left.
    KeyedSet blacklistsInUse() const;
    void fillExpertFields();
    void unload();
    /// A handler that runs only while the add-in is still connected; otherwise the dialog closes.
    std::function<void()> guarded(std::function<void()> handler);

    OptionsHost& host_;
    /// The dialog may outlive the add-in it came from: it closes itself through the user interface alone.
    platform::UserInterface& ui_;
    ConnectionToken connection_;
    platform::FormControls controls_;
    std::unique_ptr<JunkDestination> junk_;
    std::string page_ = "Root";
    bool toggleNextClick_ = false;
    KeyedSet rblInUse_;
};

}  // namespace tw::options
