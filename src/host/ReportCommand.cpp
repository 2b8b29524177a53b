// Parsing the report command's operands and running a report through the add-in's own command.
#include "host/ReportCommand.h"

#include <set>

#include "addin/OrvennaOutAddIn.h"
#include "commandbars/ExplorerBars.h"
#include "core/Error.h"
#include "core/StringTable.h"
#include "core/Text.h"
#include "net/MessageReport.h"

namespace tw::host {

namespace {
Error usage(const std::string& what) { return Error(5, "tarnwick report", what); }

/// The message window's menu entry of a report kind.
int windowEntryCaption(int32_t kind) {
    switch (kind) {
        case net::kReportSpam: return 972;
        case net::kReportLegitimate: return 973;
        case net::kReportFraud: return 975;
        default: return 974;
    }
}

/// Opens the message in a window and picks the window's menu entry; false when the window has none.
bool reportFromWindow(HostSession& session, const std::shared_ptr<outlook::Item>& item, int32_t kind) {
    auto window = session.client().openInspector(item);
    auto bar = window->bars()->bar(commandbars::toolbarName());
    auto entry = bar ? bar->controls()->byCaption(loadString(windowEntryCaption(kind))) : nullptr;
    if (entry) entry->click();
    session.client().closeInspector(window);
    return entry != nullptr;
}

std::set<std::filesystem::path> filesIn(const std::filesystem::path& folder) {
    std::set<std::filesystem::path> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) files.insert(entry.path());
    return files;
}
}  // namespace

std::vector<std::filesystem::path> reportMessages(HostSession& session, const ReportRequest& request,
                                                  std::ostream& out) {
    const auto outbox = session.profile().root() / "outbox";
    const auto before = filesIn(outbox);
    session.startAddin();
    auto* addin = session.addin();
    if (!addin) {
        session.stopAddin();
        throw Error(5, "tarnwick report", "the add-in did not start");
    }
    std::string path = request.folder;
    if (path.rfind("\\", 0) != 0) path = "\\" + session.client().inbox()->parentFolder()->Name() + "\\" + path;
    auto folder = std::dynamic_pointer_cast<sim::SimFolder>(addin->folderAtPath(path, false));
    if (!folder) {
        session.stopAddin();
        throw Error(5, "tarnwick report", "there is no folder \"" + request.folder + "\"");
    }
    auto items = folder->Items();
    if (request.inWindow && request.positions.size() != 1) {
        session.stopAddin();
        throw usage("--in-window opens one message: give one message position");
    }
    std::vector<std::shared_ptr<outlook::Item>> chosen;
    for (int position : request.positions) {
        if (position > items->Count()) {
            session.stopAddin();
            throw Error(5, "tarnwick report",
                        request.folder + " holds " + std::to_string(items->Count()) + " items, not " +
                            std::to_string(position));
        }
        chosen.push_back(items->Item(position));
    }
    session.ui().onModal("frmConfirmReportSpam", [](platform::FormView& form) { form.controls()->click("cmdYes"); });
    if (request.inWindow) {
        if (!reportFromWindow(session, chosen.front(), request.kind))
            out << "The message's window has no Tarnwick menu (a sent message or a draft gets none).\n";
    } else {
        auto explorer = session.client().activeExplorer();
        explorer->switchTo(folder);
        explorer->select(chosen);
        addin->reportCommand(request.kind);
    }
    session.ui().onModal("frmConfirmReportSpam", {});
    session.stopAddin();

    std::vector<std::filesystem::path> written;
    for (const auto& file : filesIn(outbox))
        if (!before.count(file)) written.push_back(file);
    if (written.empty()) out << "No report was sent; see the log " << session.logFileHostPath() << "\n";
    for (const auto& file : written) out << "Report mail written to " << file.string() << "\n";
    return written;
}

}  // namespace tw::host
