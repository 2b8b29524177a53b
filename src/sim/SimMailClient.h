// The simulated mail client as a whole: its stores and default folders, its windows, and the
// controls a test or the host program uses to deliver mail and open or close windows.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/Clock.h"
#include "sim/SimOutlook.h"

namespace tw::sim {

class SimMailClient {
public:
    /// A client with one store "Personal Folders" holding the usual default folders.
    SimMailClient(platform::Clock& clock, std::string version = "10.0.0.4712",
                  std::string storeName = "Personal Folders");
    SimMailClient(const SimMailClient&) = delete;
    SimMailClient& operator=(const SimMailClient&) = delete;

    std::shared_ptr<SimApplication> application() { return application_; }
    std::shared_ptr<SimNameSpace> nameSpace() { return nameSpace_; }
    std::shared_ptr<SimFolders> stores() { return stores_; }
    std::shared_ptr<SimFolder> defaultFolder(int which) const;
    std::shared_ptr<SimFolder> inbox() const { return defaultFolder(outlook::olFolderInbox); }

    std::string version() const { return version_; }
    void setVersion(std::string v) { version_ = std::move(v); }

    /// Opens an explorer on a folder (the Inbox by default) and raises NewExplorer.
    std::shared_ptr<SimExplorer> openExplorer(std::shared_ptr<SimFolder> folder = nullptr);
    /// Raises the explorer's Close (while it still counts among the open ones), then forgets it.
    void closeExplorer(const std::shared_ptr<SimExplorer>& explorer);
    std::shared_ptr<SimExplorer> activeExplorer() const;

    std::shared_ptr<SimInspector> openInspector(std::shared_ptr<outlook::Item> item);
    void closeInspector(const std::shared_ptr<SimInspector>& inspector);

    std::shared_ptr<SimExplorers> explorers() { return explorers_; }
    std::shared_ptr<SimInspectors> inspectors() { return inspectors_; }
    std::shared_ptr<SimCOMAddIns> comAddIns() { return comAddIns_; }

    /// A new item of the given class, not yet in any folder.
    std::shared_ptr<SimItem> createItem(int itemClass, std::string subject = {});
    /// Puts a new mail item into the Inbox, raising ItemAdd.
    std::shared_ptr<SimItem> deliver(std::string subject);

    /// What PickFolder answers (nothing = the user cancels).
    void setPickFolderAnswer(std::shared_ptr<SimFolder> folder) { pickAnswer_ = std::move(folder); }
    std::shared_ptr<SimFolder> pickFolderAnswer() const { return pickAnswer_; }

    std::string newEntryId();
    platform::Clock& clock() { return clock_; }

private:
    platform::Clock& clock_;
    std::string version_;
    uint64_t nextId_ = 1;
    std::shared_ptr<SimApplication> application_;
    std::shared_ptr<SimNameSpace> nameSpace_;
    std::shared_ptr<SimFolders> stores_;
    std::map<int, std::shared_ptr<SimFolder>> defaults_;
    std::shared_ptr<SimExplorers> explorers_;
    std::shared_ptr<SimInspectors> inspectors_;
    std::shared_ptr<SimCOMAddIns> comAddIns_;
    std::shared_ptr<SimFolder> pickAnswer_;
};

}  // namespace tw::sim
