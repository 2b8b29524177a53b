// Reads the host program's command line with CLI11 into a CommandLine.
#include "host/CommandLine.h"

#include <CLI/CLI.hpp>

#include "core/Error.h"
#include "host/Profile.h"

namespace tw::host {

const char* const kUsage =
    "Usage: tarnwick [--profile DIR] COMMAND [OPTIONS]\n"
    "\n"
    "Runs the mail client simulation with the Tarnwick add-in loaded, over a profile directory\n"
    "that holds one simulated Windows user: registry.reg (the registry), drive_c/ (the add-in\n"
    "folder with the log report.txt, and the user's home with the data folder) and mail/.\n"
    "\n"
    "Options:\n"
    "  --profile DIR   the profile to use; an absent or empty DIR is filled from the bundled demo\n"
    "                  profile. Without it: $XDG_DATA_HOME/tarnwick/demo-profile\n"
    "                  (~/.local/share/tarnwick/demo-profile).\n"
    "  --help          show this text.\n"
    "\n"
    "Commands:\n"
    "  run [--seconds N]   start the client with one explorer, connect the add-in, let N seconds\n"
    "                      of virtual time pass (default 10), close the explorer (which shuts the\n"
    "                      add-in down), save the registry and print a summary.\n"
    "      --deliver FILE_OR_FOLDER ...\n"
    "                      first deliver these messages (RFC 5322 files, or every file of a\n"
    "                      folder) into the Inbox one by one, after those dropped into the\n"
    "                      profile's incoming/ folder (which are removed once delivered); the\n"
    "                      add-in checks each as it arrives and virtual time runs until its queue\n"
    "                      is idle. The summary lists each message with its verdict and the\n"
    "                      folder it ended in, and the counters of checked and caught messages.\n"
    "                      The add-in's connectivity and release checks ask the network service\n"
    "                      named by the registry value serviceHost; the summary says whether it\n"
    "                      answered. Only this machine is reached unless TARNFETCH_LOOPBACK_ONLY=0.\n"
    "      --deliver-to FOLDER [FILE_OR_FOLDER ...]\n"
    "                      deliver the named messages (--deliver's and those after the options)\n"
    "                      into FOLDER, a name or a path, instead of the Inbox; a missing folder\n"
    "                      is made at the top of the store. Folders the auto-scan watches are\n"
    "                      checked on arrival and again on each auto-scan pass, which comes every\n"
    "                      autoscan_interval minutes (default 5): give --seconds 300 or more for one.\n"
    "  set NAME=VALUE ...  store settings in the profile's registry as the add-in stores them, for\n"
    "                      example threshold=85 EnableTarnwick=0 blockedCountries=cn,Russia.\n"
    "                      Flags take 1 or 0 (true or false); thresholds a number from 0 to 100;\n"
    "                      lists entries joined by \",\" (country lists codes or names). Every value\n"
    "                      is checked first: an unknown name, a value of the wrong form or outside\n"
    "                      the range the add-in accepts is refused and then nothing is written.\n"
    "  show settings       list every setting in force as NAME=VALUE, \"(default)\" marking the\n"
    "                      values that are the defaults. Changes nothing.\n"
    "  show folder NAME    list a folder's messages, numbered, with read state, date, sender and\n"
    "                      subject. NAME is a folder's name (Inbox, \"Deleted Items\", Tarnwick)\n"
    "                      or its path (\"\\Personal Folders\\Inbox\"). Changes nothing. A column\n"
    "                      after the date tells whether the add-in checked the message: marked\n"
    "                      (its marker property) or cached (in its processed cache), else -.\n"
    "  approve|block [--domain] [--report] [--in-window] FOLDER:N[,N...]\n"
    "                      select those messages of the folder (numbered as show folder lists\n"
    "                      them) in the main window and press the add-in's button or menu entry:\n"
    "                      \"Approve Sender\" or \"Block Sender\" on the toolbar, \"Approve Domain\",\n"
    "                      \"Block Domain\", \"Approve Message and Report\" or \"Block Message and\n"
    "                      Report\" in its menu. When the sender dialog appears its texts and lists\n"
    "                      are shown and it is answered by\n"
    "      --yes | --no    OK or Cancel, and\n"
    "      --dont-ask-again\n"
    "                      tick \"Please don't show this dialog box again.\" first;\n"
    "                      without --yes or --no the terminal is asked, and with no terminal the\n"
    "                      command fails and does nothing. The summary tells where each message\n"
    "                      went and what the sender lists, the threshold and the training store\n"
    "                      became. With --in-window the one message N is opened in a window of\n"
    "                      its own and the window's button or menu entry is pressed instead.\n"
    "  train --spam FOLDER ... --ham FOLDER ...\n"
    "                      train the profile's scoring engine on message files: each FOLDER is a\n"
    "                      message file, a folder of them or a Maildir. Spam trains as blocked\n"
    "                      mail, ham as approved mail; progress is shown as it goes.\n"
    "  report [--in-window] spam|legitimate|fraud|virus FOLDER:N[,N...]\n"
    "                      report messages to the network service as the toolbar does: the\n"
    "                      messages at positions N (from 1) of FOLDER (Inbox, or a path such as\n"
    "                      \\Personal Folders\\Inbox) go into one report mail, sent from the\n"
    "                      profile's mailbox and written to its outbox/ folder; the engine trains\n"
    "                      on each message. Prints where the report mail was written. With\n"
    "                      --in-window the one message N is reported from its own window's menu.\n"
    "  autoscan add|remove FOLDER | autoscan list\n"
    "                      change or list the folders the add-in's auto-scan watches besides the\n"
    "                      Inbox, as the options dialog does; FOLDER is a name or a path. The list\n"
    "                      is kept in the registry; \"run\" then checks those folders.\n"
    "  scan FOLDER [--read]\n"
    "                      press \"Scan Folder...\" in the add-in's menu and pick FOLDER (a name or\n"
    "                      path, as show folder takes it): its unread messages are checked with\n"
    "                      the progress shown (a bar on a terminal), then the result window's\n"
    "                      figures are printed; --read goes on with the read messages, as its\n"
    "                      \"Scan Read\" button does. Ctrl-C cancels like the progress window's\n"
    "                      Cancel. The junk folder is refused.\n"
    "  lists show|add|remove|edit LIST [VALUE...]\n"
    "                      show or change a sender list as the options dialog does: LIST is\n"
    "                      approved, blocked, ignored, my-addresses or mailing-lists; edit takes\n"
    "                      OLD NEW. Approving a sender takes it off the blocked list and the\n"
    "                      other way round.\n"
    "  options [--page KEY]\n"
    "                      open the options dialog and print its tree (a check node [x] ticked,\n"
    "                      [ ] cleared), the spam filter strength and the spam folder; with --page\n"
    "                      also the page of node KEY (\"ApprovedSenders\", \"Expert\" ...): its\n"
    "                      description and the controls it shows. Then Cancel.\n"
    "  import-addresses [BOOK...]\n"
    "                      without BOOK list the profile's address books that can be imported\n"
    "                      (mail/addressbooks/NAME/*.vcf), numbered; with names or numbers run the\n"
    "                      add-in's import dialog on them: their addresses become approved senders\n"
    "                      and the dialog's report is printed.\n"
    "  explain FOLDER:N    score message N of the folder with the add-in's engine as the filter\n"
    "                      does and print the score, the threshold in force and the strongest\n"
    "                      clues behind the score (words with their probability and where it\n"
    "                      came from, or the sender's relay and the list it is on). Says when\n"
    "                      the sender lists decide the message before any score. Changes nothing\n"
    "                      but the engine's record of its last score.\n"
    "  why FOLDER:N        judge message N of the folder as the filter does, without moving it,\n"
    "                      and say why in plain words: the list and entry that decided, or the\n"
    "                      score against the threshold and what weighed most.\n"
    "  stats               print the processed and caught counters, the filter's mistakes the\n"
    "                      user corrected (approvals out of the junk folder, blocks and spam\n"
    "                      reports from other folders, legitimate reports), their rates and a\n"
    "                      chart of the last twelve weeks. Changes nothing.\n";

namespace {

/// The options approve and block share; each writes into its own request.
CLI::App* senderCommand(CLI::App& app, const char* name, const char* what, SenderRequest& request,
                        std::string& selection, bool& yes, bool& no) {
    auto* sub = app.add_subcommand(name, what);
    sub->add_flag("--domain", request.domain, "act on the senders' domains");
    sub->add_flag("--report", request.report, "report the messages as well");
    auto* yesFlag = sub->add_flag("--yes", yes, "answer the sender dialog with OK");
    auto* noFlag = sub->add_flag("--no", no, "answer the sender dialog with Cancel");
    yesFlag->excludes(noFlag);
    sub->add_flag("--dont-ask-again", request.dontAskAgain, "tick the dialog's box not to ask again");
    sub->add_flag("--in-window", request.inWindow, "open the one message in a window and use its toolbar");
    sub->add_option("selection", selection, "FOLDER:N[,N...]")->required();
    return sub;
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    line.profile = defaultProfileDirectory();
    CLI::App app("The Tarnwick add-in in a simulated mail client", "tarnwick");
    // Options of the program may also follow the command, as they always could.
    app.fallthrough();
    std::string profile;
    app.add_option("--profile", profile, "the profile directory");

    auto* run = app.add_subcommand("run", "run the client with the add-in");
    run->add_option("--seconds", line.run.runSeconds, "virtual seconds to run")->check(CLI::NonNegativeNumber);
    run->add_option("--deliver", line.run.deliver, "messages to deliver first");
    run->add_option("--deliver-to", line.run.deliverTo, "the folder the named messages go to");
    std::vector<std::string> runFiles;
    run->add_option("files", runFiles, "more messages to deliver");

    auto* set = app.add_subcommand("set", "store settings");
    set->add_option("assignments", line.assignments, "NAME=VALUE ...")->required();

    auto* show = app.add_subcommand("show", "show settings or a folder");
    show->require_subcommand(1);
    auto* showSettings = show->add_subcommand("settings", "the settings in force");
    auto* showFolder = show->add_subcommand("folder", "a folder's messages");
    showFolder->add_option("name", line.folder, "the folder's name or path")->required();

    auto* train = app.add_subcommand("train", "train the engine on message files");
    std::vector<std::string> spam, ham;
    train->add_option("--spam", spam, "spam messages");
    train->add_option("--ham", ham, "legitimate messages");

    SenderRequest approveRequest, blockRequest;
    std::string approveSelection, blockSelection;
    bool approveYes = false, approveNo = false, blockYes = false, blockNo = false;
    senderCommand(app, "approve", "approve the senders of messages", approveRequest, approveSelection,
                                  approveYes, approveNo);
    auto* block = senderCommand(app, "block", "block the senders of messages", blockRequest, blockSelection, blockYes,
                                blockNo);

    auto* report = app.add_subcommand("report", "report messages to the network service");
    std::string reportKind, reportSelection;
    bool reportInWindow = false;
    report->add_flag("--in-window", reportInWindow, "open the one message in a window and use its menu");
    report->add_option("kind", reportKind, "spam, legitimate, fraud or virus")->required();
    report->add_option("selection", reportSelection, "FOLDER:N[,N...]")->required();

    auto* autoscan = app.add_subcommand("autoscan", "change or list the folders the auto-scan watches");
    std::string autoscanAction, autoscanFolder;
    autoscan->add_option("action", autoscanAction, "add, remove or list")->required();
    autoscan->add_option("folder", autoscanFolder, "the folder's name or path");
    auto* lists = app.add_subcommand("lists", "show or change a sender list");
    std::string listsAction, listsName;
    std::vector<std::string> listsValues;
    lists->add_option("action", listsAction, "show, add, remove or edit")->required();
    lists->add_option("list", listsName, "approved, blocked, ignored, my-addresses or mailing-lists")->required();
    lists->add_option("values", listsValues, "the entries; for edit OLD NEW");
    auto* optionsDialog = app.add_subcommand("options", "print what the options dialog shows");
    optionsDialog->add_option("--page", line.optionsPage, "the node key of a page to print");
    auto* scan = app.add_subcommand("scan", "check a folder's messages as the scan-folder command does");
    scan->add_option("folder", line.scan.folder, "the folder's name or path")->required();
    scan->add_flag("--read", line.scan.read, "go on with the read messages");

    auto* importAddresses = app.add_subcommand("import-addresses", "approve the addresses of other address books");
    importAddresses->add_option("books", line.importBooks.books, "the address books' names or numbers");

    auto* explain = app.add_subcommand("explain", "why the engine scores a message as it does");
    std::string explainSelection;
    explain->add_option("selection", explainSelection, "FOLDER:N")->required();
    auto* why = app.add_subcommand("why", "why the filter judges a message as it does");
    why->add_option("selection", explainSelection, "FOLDER:N")->required();

    auto* stats = app.add_subcommand("stats", "the filter's counters and mistakes, week by week");

    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        line.command = Command::help;
        return line;
    } catch (const CLI::ParseError& e) {
        throw UsageError(e.what());
    }
    if (!profile.empty()) line.profile = profile;

    if (app.get_subcommands().empty()) throw UsageError("no command given");
    if (*run) {
        line.command = Command::run;
        line.run.deliver.insert(line.run.deliver.end(), runFiles.begin(), runFiles.end());
        if (!runFiles.empty() && line.run.deliverTo.empty())
            throw UsageError("message files after the options go with --deliver-to FOLDER; "
                             "use --deliver for the Inbox");
    } else if (*autoscan) {
        line.command = Command::autoscan;
        try {
            line.autoscan = parseAutoScanRequest(autoscanAction, autoscanFolder);
        } catch (const Error& e) {
            throw UsageError(e.description());
        }
    } else if (*lists) {
        line.command = Command::lists;
        try {
            line.lists = parseListsRequest(listsAction, listsName, listsValues);
        } catch (const Error& e) {
            throw UsageError(e.description());
        }
    } else if (*optionsDialog) {
        line.command = Command::options;
    } else if (*set) {
        line.command = Command::set;
    } else if (*show) {
        line.command = *showSettings ? Command::showSettings : Command::showFolder;
    } else if (*train) {
        if (spam.empty() && ham.empty()) throw UsageError("train needs --spam or --ham with message files or folders");
        line.command = Command::train;
        line.training.spam.assign(spam.begin(), spam.end());
        line.training.ham.assign(ham.begin(), ham.end());
    } else if (*scan) {
        line.command = Command::scan;
    } else if (*importAddresses) {
        line.command = Command::importAddresses;
    } else if (*stats) {
        line.command = Command::stats;
    } else if (*explain || *why) {
        line.command = *why ? Command::why : Command::explain;
        try {
            line.explain = parseSelection(explainSelection);
        } catch (const Error& e) {
            throw UsageError(e.description());
        }
        if (line.explain.numbers.size() != 1) throw UsageError(std::string(*why ? "why" : "explain") + " takes one message: FOLDER:N");
    } else if (*report) {
        line.command = Command::report;
        try {
            line.report = parseReportRequest(reportKind, reportSelection);
            line.report.inWindow = reportInWindow;
            if (reportInWindow && line.report.positions.size() != 1)
                throw UsageError("--in-window opens one message: give one message position");
        } catch (const Error& e) {
            throw UsageError(e.description());
        }
    } else {
        const bool isBlock = block->parsed();
        line.command = isBlock ? Command::block : Command::approve;
        line.sender = isBlock ? blockRequest : approveRequest;
        line.sender.block = isBlock;
        const bool yes = isBlock ? blockYes : approveYes, no = isBlock ? blockNo : approveNo;
        if (yes || no) line.sender.answer = yes;
        try {
            line.sender.selection = parseSelection(isBlock ? blockSelection : approveSelection);
            controlWordFor(line.sender);
            if (line.sender.inWindow && line.sender.selection.numbers.size() != 1)
                throw UsageError("--in-window opens one message: give one message number");
        } catch (const Error& e) {
            throw UsageError(e.description());
        }
    }
    return line;
}

}  // namespace tw::host
