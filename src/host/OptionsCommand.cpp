// Printing the options dialog as the user would see it.
#include "host/OptionsCommand.h"

#include <map>

#include "addin/OrvennaOutAddIn.h"
#include "commandbars/ExplorerBars.h"
#include "options/OptionsPages.h"
#include "options/OptionsTree.h"
#include "options/frmOrvennaOptions.h"

namespace tw::host {

namespace {
const char* tick(int image) {
    if (image == options::kImageTicked) return "[x] ";
    if (image == options::kImageCleared) return "[ ] ";
    return "[-] ";
}

/// True when some check node shows neither tick.
bool printTree(const platform::ControlState& tree, std::ostream& out) {
    bool neither = false;
    std::map<std::string, int> depth;
    for (const auto& node : tree.nodes) {
        const int level = node.parent.empty() ? 0 : depth[node.parent] + 1;
        depth[node.key] = level;
        out << std::string(static_cast<size_t>(2 + 2 * level), ' ');
        bool check = false;
        for (const auto& declared : options::optionsNodes())
            if (node.key == declared.key) check = declared.kind == options::NodeKind::Check;
        if (check) out << tick(node.image);
        neither = neither || (check && node.image == 0);
        out << node.caption << "\n";
    }
    return neither;
}

void printDialog(platform::FormControls& c, std::ostream& out) {
    out << c.caption << "\n";
    if (printTree(c["tvwOptions"], out)) out << "\n  [-] shows neither tick: OK keeps the stored value.\n";
    out << "\nSpam filter strength: " << c["txtThreshold"].text << " (slider at " << c["sldThreshold"].number << ")\n  ";
    for (int option = 1; option <= 4; ++option) {
        const auto& button = c["optStrength" + std::to_string(option)];
        out << (button.value ? "(o) " : "( ) ") << button.caption << (option < 4 ? "  " : "\n");
    }
    out << "  " << c["lblStrengthDesc"].caption << "\n";
    const auto& junk = c["cboJunkFolder"];
    out << "\nSpam folder:";
    for (size_t i = 0; i < junk.items.size(); ++i)
        out << (i ? " | " : " ") << (static_cast<int>(i) == junk.listIndex ? "[" + junk.items[i] + "]" : junk.items[i]);
    out << "\n";
}

/// The page of a node as the user sees it after clicking the node: title, description and controls.
void printPage(options::frmOrvennaOptions& dialog, const std::string& key, std::ostream& out) {
    dialog.tvwOptions_NodeClick(key);
    auto& c = *dialog.controls();
    out << "\nPage " << key << ": " << c["lblPageTitle"].caption << "\n  " << c["lblPageText"].caption << "\n  Shows:";
    bool any = false;
    for (const auto& name : options::pageControls(key)) {
        if (!c[name].visible) continue;
        out << " " << name;
        any = true;
    }
    out << (any ? "\n" : " nothing but its text\n");
}
}  // namespace

int runOptionsCommand(HostSession& session, std::ostream& out, std::ostream& err, const std::string& page) {
    if (!page.empty() && !options::findOptionsNode(page)) {
        err << "tarnwick: the options dialog has no page \"" << page << "\"; the pages are:";
        for (const auto& node : options::optionsNodes()) err << " " << node.key;
        err << "\n";
        return 1;
    }
    session.startAddin();
    auto* addin = session.addin();
    bool shown = false;
    session.ui().onModal("frmOrvennaOptions", [&](platform::FormView& form) {
        shown = true;
        printDialog(*form.controls(), out);
        if (auto* dialog = dynamic_cast<options::frmOrvennaOptions*>(&form); dialog && !page.empty())
            printPage(*dialog, page, out);
        form.controls()->click("cmdCancel");
    });
    try {
        if (addin && addin->explorerBars()) addin->explorerBars()->cmdOrvenna_Click();
        else if (addin) options::frmOrvennaOptions::showModal(*addin);
    } catch (...) {
        session.ui().onModal("frmOrvennaOptions", nullptr);
        session.stopAddin();
        throw;
    }
    session.ui().onModal("frmOrvennaOptions", nullptr);
    session.stopAddin();
    if (!shown) {
        err << "tarnwick: the options dialog did not open; see the log " << session.logFileHostPath() << "\n";
        return 1;
    }
    return 0;
}

}  // namespace tw::host
