// What the host's commands are asked to do, read from their words. Nothing here touches the add-in
// or the simulated client, so the command line can be read and checked on its own.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tw::host {

/// "run": how long the client stays open and what arrives meanwhile.
struct RunOptions {
    /// Virtual time the client stays open before the explorer is closed.
    int runSeconds = 10;
    /// Folders searched for the stand-in libraries (the engine).
    std::vector<std::string> librarySearchFolders;
    /// Message files, or folders of them, delivered after the profile's incoming folder.
    std::vector<std::string> deliver;
    /// The folder (a name or a path) the named messages go to instead of the Inbox; made when missing.
    std::string deliverTo;
};

/// Messages of one folder by their numbers in its listing, as "FOLDER:N[,N...]" names them.
struct MessageSelection {
    std::string folder;
    std::vector<int> numbers;
};

/// "approve" and "block".
struct SenderRequest {
    bool block = false;
    bool domain = false;
    bool report = false;
    MessageSelection selection;
    /// The sender dialog's answer given beforehand: true OK, false Cancel; none to ask.
    std::optional<bool> answer;
    /// Tick "Please don't show this dialog box again." before answering.
    bool dontAskAgain = false;
    /// Open the one message in a window of its own and press the window's control instead.
    bool inWindow = false;
};

/// "report".
struct ReportRequest {
    int32_t kind = 0;
    /// A folder path ("\Personal Folders\Inbox") or the name of a folder at the top of the store ("Inbox").
    std::string folder;
    /// 1-based positions in the folder.
    std::vector<int> positions;
    /// Open the one message in a window of its own and use the window's menu instead.
    bool inWindow = false;
};

/// "autoscan".
struct AutoScanRequest {
    enum class Action { list, add, remove };
    Action action = Action::list;
    /// A folder's name or path, for add and remove.
    std::string folder;
};

/// "lists".
struct ListsRequest {
    enum class Action { show, add, remove, edit };
    enum class List { approved, blocked, ignored, myAddresses, mailingLists };
    Action action = Action::show;
    List list = List::approved;
    /// The entries to add or remove; for edit the old entry, then the new one.
    std::vector<std::string> values;
};

/// "scan".
struct ScanRequest {
    /// A folder's name or path, as "show folder" takes it.
    std::string folder;
    /// Go on with the folder's read messages, as the result window's "Scan Read" does.
    bool read = false;
};

/// "train".
struct TrainRequest {
    std::vector<std::filesystem::path> spam;
    std::vector<std::filesystem::path> ham;
};

/// "import-addresses".
struct ImportRequest {
    /// The books to import, each by its name or by its number in the listing; none: list them.
    std::vector<std::string> books;
};

// Each reader raises tw::Error (number 5) with a sentence for the user when the words do not make a request.

/// Reads "FOLDER:N[,N...]": the last ":" separates, so a folder path may hold one; numbers count
/// from 1, none twice.
MessageSelection parseSelection(const std::string& text);
/// Reads the kind word (spam, legitimate, fraud, virus) and "FOLDER:N[,N...]".
ReportRequest parseReportRequest(const std::string& kindWord, const std::string& selection);
AutoScanRequest parseAutoScanRequest(const std::string& action, const std::string& folder);
ListsRequest parseListsRequest(const std::string& action, const std::string& list,
                               const std::vector<std::string>& values);
/// The Tag word of the control a request presses: the toolbar's buttons for plain approve and
/// block, the menu's entries otherwise. Raises for a combination the add-in has no command for.
std::string controlWordFor(const SenderRequest& request);
/// How the lists command shows a list's name ("approved senders").
const char* shownListName(ListsRequest::List list);

}  // namespace tw::host
