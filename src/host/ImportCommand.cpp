// Runs the address-book import dialog over the profile's address books.
#include "host/ImportCommand.h"

#include <algorithm>

#include "addin/OrvennaOutAddIn.h"
#include "core/Error.h"
#include "core/StringTable.h"
#include "core/Text.h"
#include "senders/Senders.h"
#include "senders/frmImportAddresses.h"

namespace tw::host {

namespace {

void listBooks(const std::vector<senders::ImportBook>& books, std::ostream& out) {
    for (size_t i = 0; i < books.size(); ++i) out << "  " << i + 1 << ". " << books[i].name << "\n";
}

/// The places in the list of the books asked for: a number from the listing picks that book, a
/// name every book of that name. False (with `unknown` set) for one that matches nothing.
bool pickBooks(const std::vector<senders::ImportBook>& books, const std::vector<std::string>& asked,
               std::vector<size_t>& picks, std::string& unknown) {
    for (const auto& wanted : asked) {
        bool found = false;
        const bool isNumber = !wanted.empty() && wanted.find_first_not_of("0123456789") == std::string::npos;
        for (size_t i = 0; i < books.size(); ++i) {
            if (isNumber ? wanted == std::to_string(i + 1) : books[i].name == wanted) {
                found = true;
                if (std::find(picks.begin(), picks.end(), i) == picks.end()) picks.push_back(i);
            }
        }
        if (!found) {
            unknown = wanted;
            return false;
        }
    }
    std::sort(picks.begin(), picks.end());
    return true;
}

}  // namespace

int runImportCommand(HostSession& session, const ImportRequest& request, std::ostream& out, std::ostream& err) {
    session.startAddin();
    auto* addin = session.addin();
    auto* lists = addin ? addin->senders() : nullptr;
    if (!lists) {
        session.stopAddin();
        throw Error(91, "tarnwick", "The add-in did not start; see the log in the profile.");
    }
    const auto books = lists->getImportList();
    if (request.books.empty()) {
        if (books.empty()) out << loadString(260) << "\n";
        else out << "Address books that can be imported:\n";
        listBooks(books, out);
        session.stopAddin();
        return 0;
    }
    std::vector<size_t> picks;
    std::string unknown;
    if (!pickBooks(books, request.books, picks, unknown)) {
        err << "tarnwick: the profile has no address book \"" << unknown << "\" to import; nothing was imported.\n";
        if (books.empty()) err << loadString(260) << "\n";
        else err << "The address books that can be imported are:\n";
        listBooks(books, err);
        session.stopAddin();
        return 1;
    }

    const size_t approvedBefore = lists->approvedSenders().entries.Count();
    auto& ui = session.ui();
    const size_t boxesBefore = ui.boxes.size();
    senders::frmImportAddresses form(*lists, ui, addin->log());
    ui.onModal(form.formName(), [&](platform::FormView& shown) {
        auto& list = (*shown.controls())["ImportList"];
        for (size_t pick : picks)
            if (pick < list.selected.size()) list.selected[pick] = true;
        out << "Pressed OK with " << picks.size() << (picks.size() == 1 ? " address book" : " address books")
            << " selected in \"" << shown.controls()->caption << "\"\n";
        shown.controls()->click("cmdOK");
    });
    form.Open();
    ui.onModal(form.formName(), nullptr);
    for (size_t i = boxesBefore; i < ui.boxes.size(); ++i) {
        out << "Message box \"" << ui.boxes[i].title << "\":\n";
        for (const auto& line : text::split(ui.boxes[i].prompt, "\r"))
            if (!line.empty()) out << "  " << line << "\n";
    }
    const size_t approvedAfter = lists->approvedSenders().entries.Count();
    out << "Approved senders: " << approvedAfter << (approvedAfter == 1 ? " entry" : " entries") << " (+"
        << approvedAfter - approvedBefore << ")\n";
    session.stopAddin();
    return 0;
}

}  // namespace tw::host
