// Reading the operands of the host's commands into requests.
#include "host/CommandRequests.h"

#include <algorithm>
#include <charconv>
#include <iterator>

#include "core/Error.h"
#include "core/Text.h"
#include "net/MessageReport.h"

namespace tw::host {

namespace {
Error usage(const char* command, const std::string& what) { return Error(5, command, what); }

Error selectionError(const std::string& text, const std::string& why) {
    return usage("tarnwick", "\"" + text + "\" " + why + "; give FOLDER:N[,N...], for example Inbox:1,3");
}

struct ListName {
    const char* word;
    ListsRequest::List list;
    const char* shown;
};
constexpr ListName kLists[] = {
    {"approved", ListsRequest::List::approved, "approved senders"},
    {"blocked", ListsRequest::List::blocked, "blocked senders"},
    {"ignored", ListsRequest::List::ignored, "ignored senders"},
    {"my-addresses", ListsRequest::List::myAddresses, "my email addresses"},
    {"mailing-lists", ListsRequest::List::mailingLists, "mailing lists"},
};
}  // namespace

MessageSelection parseSelection(const std::string& text) {
    auto colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) throw selectionError(text, "names no folder");
    MessageSelection selection{text.substr(0, colon), {}};
    for (const std::string& part : text::split(text.substr(colon + 1), ",")) {
        std::string n = text::trim(part);
        int value = 0;
        auto [end, ec] = std::from_chars(n.data(), n.data() + n.size(), value);
        if (n.empty() || ec != std::errc() || end != n.data() + n.size() || value < 1)
            throw selectionError(text, "has \"" + n + "\" where a message number (1 or more) belongs");
        if (std::find(selection.numbers.begin(), selection.numbers.end(), value) != selection.numbers.end())
            throw selectionError(text, "names message " + n + " twice");
        selection.numbers.push_back(value);
    }
    return selection;
}

ReportRequest parseReportRequest(const std::string& kindWord, const std::string& selection) {
    const char* const command = "tarnwick report";
    ReportRequest request;
    const std::string word = text::lower(kindWord);
    if (word == "spam") request.kind = net::kReportSpam;
    else if (word == "legitimate") request.kind = net::kReportLegitimate;
    else if (word == "fraud") request.kind = net::kReportFraud;
    else if (word == "virus") request.kind = net::kReportVirus;
    else throw usage(command, "the report kind is spam, legitimate, fraud or virus, not \"" + kindWord + "\"");

    size_t colon = selection.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == selection.size())
        throw usage(command, "the messages are given as FOLDER:N[,N...], not \"" + selection + "\"");
    request.folder = selection.substr(0, colon);
    for (const std::string& part : text::split(selection.substr(colon + 1), ",")) {
        std::string number = text::trim(part);
        if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos || number.size() > 6 ||
            std::stoi(number) < 1)
            throw usage(command, "a message position is a number from 1, not \"" + part + "\"");
        request.positions.push_back(std::stoi(number));
    }
    return request;
}

AutoScanRequest parseAutoScanRequest(const std::string& action, const std::string& folder) {
    const char* const command = "tarnwick autoscan";
    AutoScanRequest request;
    const std::string word = text::lower(action);
    if (word == "list") request.action = AutoScanRequest::Action::list;
    else if (word == "add") request.action = AutoScanRequest::Action::add;
    else if (word == "remove") request.action = AutoScanRequest::Action::remove;
    else throw usage(command, "autoscan takes add, remove or list, not \"" + action + "\"");
    request.folder = text::trim(folder);
    if (request.action == AutoScanRequest::Action::list && !request.folder.empty())
        throw usage(command, "autoscan list takes no folder");
    if (request.action != AutoScanRequest::Action::list && request.folder.empty())
        throw usage(command, "autoscan " + word + " needs a folder's name or path");
    return request;
}

ListsRequest parseListsRequest(const std::string& action, const std::string& list,
                               const std::vector<std::string>& values) {
    using Action = ListsRequest::Action;
    const char* const command = "tarnwick lists";
    ListsRequest request;
    const std::string word = text::lower(action);
    if (word == "show") request.action = Action::show;
    else if (word == "add") request.action = Action::add;
    else if (word == "remove") request.action = Action::remove;
    else if (word == "edit") request.action = Action::edit;
    else throw usage(command, "lists takes show, add, remove or edit, not \"" + action + "\"");

    const std::string listWord = text::lower(list);
    const auto* found = std::find_if(std::begin(kLists), std::end(kLists),
                                     [&](const ListName& l) { return listWord == l.word; });
    if (found == std::end(kLists))
        throw usage(command,
                    "no list \"" + list + "\"; the lists are approved, blocked, ignored, my-addresses and mailing-lists");
    request.list = found->list;

    for (const auto& value : values) {
        const std::string entry = text::trim(value);
        if (entry.empty() || entry.find_first_of(" \t,;\r\n") != std::string::npos)
            throw usage(command, "\"" + value + "\" is not an address or domain");
        request.values.push_back(entry);
    }
    const size_t count = request.values.size();
    if (request.action == Action::show && count != 0) throw usage(command, "lists show takes no entries");
    if ((request.action == Action::add || request.action == Action::remove) && count == 0)
        throw usage(command, "lists " + word + " needs at least one entry");
    if (request.action == Action::edit && count != 2)
        throw usage(command, "lists edit takes the old entry and the new one");
    return request;
}

std::string controlWordFor(const SenderRequest& request) {
    if (request.domain && request.report)
        throw usage("tarnwick", "the add-in has no command that reports a whole domain: give --domain or --report");
    if (request.domain) return request.block ? "mBlockDomain" : "mApproveDomain";
    if (request.report) return request.block ? "mBlockSenderReport" : "mApproveSenderReport";
    return request.block ? "Block Sender" : "Approve Sender";
}

const char* shownListName(ListsRequest::List list) {
    for (const auto& l : kLists)
        if (l.list == list) return l.shown;
    return "";
}

}  // namespace tw::host
