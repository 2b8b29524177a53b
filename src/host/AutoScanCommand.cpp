// Changing and listing the auto-scan's folders through the add-in's own AutoScan object.
#include "host/AutoScanCommand.h"

#include "addin/OrvennaOutAddIn.h"
#include "core/Error.h"
#include "core/Text.h"
#include "host/FolderListing.h"
#include "scan/AutoScan.h"
#include "scan/MsgQueue.h"

namespace tw::host {

namespace {

int changeList(addin::OrvennaOutAddIn& addin, scan::AutoScan& autoScan, sim::SimMailClient& client,
               const AutoScanRequest& request, std::ostream& out, std::ostream& err) {
    std::shared_ptr<sim::SimFolder> folder;
    try {
        folder = findFolder(client, request.folder);
    } catch (const Error& e) {
        err << "tarnwick: " << e.description() << "\n";
        return 1;
    }
    const std::string path = addin.folderPath(*folder);
    if (request.action == AutoScanRequest::Action::add) {
        int32_t index = 0;
        if (autoScan.addListener(folder, index)) out << "Watching " << path << "\n";
        else out << path << " is watched already\n";
        return 0;
    }
    std::shared_ptr<scan::MsgQueue> listener;
    if (!autoScan.findListener(listener, folder->EntryID(), folder->StoreID())) {
        err << "tarnwick: " << path << " is not watched\n";
        return 1;
    }
    autoScan.deleteListener(listener->internalIndex());
    out << "No longer watching " << path << "\n";
    return 0;
}

void listWatched(scan::AutoScan& autoScan, std::ostream& out) {
    for (int32_t i = 1; i <= autoScan.listenerCount(); ++i) out << autoScan.listener(i)->folderPath() << "\n";
    for (const auto& pending : autoScan.pendingFolders())
        out << "(not available now) entry " << pending.entryID << " in store " << pending.storeID << "\n";
    if (autoScan.listenerCount() == 0 && autoScan.pendingFolders().empty()) out << "No folders are watched.\n";
}
}  // namespace

int runAutoScanCommand(HostSession& session, const AutoScanRequest& request, std::ostream& out, std::ostream& err) {
    session.startAddin();
    auto* addin = session.addin();
    auto* autoScan = addin ? addin->autoScan() : nullptr;
    int status = 1;
    try {
        if (!autoScan) {
            err << "tarnwick: the add-in did not start; see the log " << session.logFileHostPath() << "\n";
        } else if (request.action == AutoScanRequest::Action::list) {
            listWatched(*autoScan, out);
            status = 0;
        } else {
            status = changeList(*addin, *autoScan, session.client(), request, out, err);
        }
    } catch (...) {
        session.stopAddin();
        throw;
    }
    session.stopAddin();
    return status;
}

}  // namespace tw::host
