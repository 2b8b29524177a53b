// Showing and changing the sender lists through the add-in's Senders store.
#include "host/ListsCommand.h"

#include <algorithm>

#include "addin/OrvennaOutAddIn.h"
#include "core/Error.h"
#include "core/Text.h"
#include "senders/Senders.h"

namespace tw::host {

namespace {
using List = ListsRequest::List;
using Action = ListsRequest::Action;
using Entries = senders::Senders::Entries;

Entries entriesOf(senders::Senders& store, List list) {
    switch (list) {
        case List::approved: return store.getApprovedSenders();
        case List::blocked: return store.getBlockedSenders();
        case List::ignored: return store.getIgnoredSenders();
        case List::myAddresses: return store.getToMe();
        case List::mailingLists: return store.getMailingList();
    }
    return {};
}

bool listed(senders::Senders& store, List list, const std::string& entry) {
    const Entries entries = entriesOf(store, list);
    return std::find(entries.begin(), entries.end(), text::lower(entry)) != entries.end();
}

/// Adds the entries; true when the other of approved and blocked lost some of them.
bool add(senders::Senders& store, List list, const Entries& entries) {
    bool removedFromOther = false;
    switch (list) {
        case List::approved: store.AddApprovedSenders(entries, removedFromOther, false, {}); break;
        case List::blocked: store.AddBlockedSenders(entries, removedFromOther, false, {}); break;
        case List::ignored: store.AddIgnoredSenders(entries); break;
        case List::myAddresses: store.AddMeTo(entries); break;
        case List::mailingLists: store.AddMailingList(entries); break;
    }
    return removedFromOther;
}

void remove(senders::Senders& store, List list, const Entries& entries) {
    switch (list) {
        case List::approved: store.DeleteApprovedSenders(entries); break;
        case List::blocked: store.DeleteBlockedSenders(entries); break;
        case List::ignored: store.DeleteIgnoredSenders(entries); break;
        case List::myAddresses: store.DeleteToMe(entries); break;
        case List::mailingLists: store.DeleteMailingList(entries); break;
    }
}

bool edit(senders::Senders& store, List list, const std::string& from, const std::string& to) {
    bool removedFromOther = false;
    switch (list) {
        case List::approved: store.EditApprovedSender(from, to, removedFromOther); break;
        case List::blocked: store.EditBlocked(from, to, removedFromOther); break;
        case List::ignored: store.EditIgnoredSender(from, to); break;
        case List::myAddresses: store.EditToMe(from, to); break;
        case List::mailingLists: store.EditMailingList(from, to); break;
    }
    return removedFromOther;
}

const char* otherList(List list) { return list == List::approved ? "blocked senders" : "approved senders"; }

int change(senders::Senders& store, const ListsRequest& request, std::ostream& out, std::ostream& err) {
    const char* name = shownListName(request.list);
    switch (request.action) {
        case Action::show: {
            const Entries entries = entriesOf(store, request.list);
            if (entries.empty()) out << "No " << name << ".\n";
            for (const auto& entry : entries) out << entry << "\n";
            return 0;
        }
        case Action::add: {
            Entries fresh;
            for (const auto& value : request.values)
                if (listed(store, request.list, value)) out << value << " is listed already\n";
                else fresh.push_back(value);
            if (fresh.empty()) return 0;
            const bool moved = add(store, request.list, fresh);
            for (const auto& value : fresh) out << "Added " << text::lower(value) << " to the " << name << "\n";
            if (moved) out << "Taken off the " << otherList(request.list) << " as well\n";
            return 0;
        }
        case Action::remove: {
            int status = 0;
            Entries present;
            for (const auto& value : request.values) {
                if (listed(store, request.list, value)) {
                    present.push_back(value);
                } else {
                    err << "tarnwick: " << value << " is not in the " << name << "\n";
                    status = 1;
                }
            }
            if (!present.empty()) remove(store, request.list, present);
            for (const auto& value : present) out << "Removed " << text::lower(value) << " from the " << name << "\n";
            return status;
        }
        case Action::edit: {
            const std::string& from = request.values[0];
            const std::string& to = request.values[1];
            if (!listed(store, request.list, from)) {
                err << "tarnwick: " << from << " is not in the " << name << "\n";
                return 1;
            }
            if (listed(store, request.list, to) && text::lower(from) != text::lower(to)) {
                err << "tarnwick: " << to << " is in the " << name << " already; nothing was changed\n";
                return 1;
            }
            const bool moved = edit(store, request.list, from, to);
            out << "Changed " << text::lower(from) << " to " << text::lower(to) << " in the " << name << "\n";
            if (moved) out << "Taken off the " << otherList(request.list) << " as well\n";
            return 0;
        }
    }
    return 0;
}
}  // namespace

int runListsCommand(HostSession& session, const ListsRequest& request, std::ostream& out, std::ostream& err) {
    session.startAddin();
    auto* addin = session.addin();
    auto* store = addin ? addin->senders() : nullptr;
    int status = 1;
    try {
        if (!store) err << "tarnwick: the add-in did not start; see the log " << session.logFileHostPath() << "\n";
        else status = change(*store, request, out, err);
    } catch (...) {
        session.stopAddin();
        throw;
    }
    session.stopAddin();
    return status;
}

}  // namespace tw::host
