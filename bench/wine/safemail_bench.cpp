// The safe mail library's benchmark under Wine: new messages read as the add-in reads them, and the
// Inbox's table walked as the folder scan walks it, over the stand-in client's MAPI objects.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "bench/wine/SafeMailBenchMail.h"
#include "tests/wine/SafeMailInstall.h"
#include "classify/MessageContent.h"
#include "core/Text.h"
#include "diag/CErrorHandler.h"
#include "win32/Win32Clock.h"
#include "win32/Win32FileSystem.h"
#include "win32/Win32Shell.h"
#include "win32/outlook/ComApplication.h"
#include "win32/safemail/ComSafeMail.h"

namespace tw::bench::safemail {
namespace {

constexpr const char* kInbox = "\\Personal Folders\\Inbox";
// Version 9 from build 4201 on guards the bodies too, and hands out no session and no folder
// MAPIOBJECT: the library shares the client's logon and opens the folder by its ids.
constexpr const char* kVersion9 = "9.0.0.4527";

struct Options {
    int messages = 1000;
    std::vector<int> rows{10000, 50000};
    bool version9 = true;
};

struct Stats {
    double median = 0, p95 = 0, max = 0;
};

Stats statsOf(std::vector<double> values) {
    Stats s;
    if (values.empty()) return s;
    std::sort(values.begin(), values.end());
    auto rank = [&](double p) { return values[std::min(values.size() - 1, static_cast<size_t>(p * static_cast<double>(values.size())))]; };
    s.median = rank(0.5);
    s.p95 = rank(0.95);
    s.max = values.back();
    return s;
}

/// The add-in's reading parts, made as the add-in makes them at connection.
struct Reader {
    win32::Win32FileSystem files;
    win32::Win32Shell shell;
    win32::Win32Clock clock;
    diag::CErrorHandler log{files, shell, clock};
    win32::ComSafeMail safe;
    std::shared_ptr<tw::safemail::MAPIUtils> utils;
    std::unique_ptr<classify::MessageContent> content;

    explicit Reader(int majorVersion) {
        // A failed read shows as a mismatch below, not in a log file.
        log.setEnabled(diag::oNothing);
        utils = safe.CreateMAPIUtils(classify::safeMailProgId("MAPIUtils"));
        content = std::make_unique<classify::MessageContent>(safe, log);
        content->setMapiUtils(utils);
        content->setVersion(majorVersion, true);
    }
    /// The library lets go of the client's session, as the add-in's teardown has it do.
    ~Reader() {
        try {
            utils->Cleanup();
        } catch (...) {
        }
    }
};

std::shared_ptr<outlook::Items> inboxItems(standin::StandInClient& client) {
    auto application = std::make_shared<win32::outlook::ComApplication>(win32::ComPtr<IDispatch>::share(client.application()));
    return application->GetNamespace("MAPI")->GetDefaultFolder(outlook::olFolderInbox)->Items();
}

struct ReadResult {
    Stats headers, sender, recipients, body, whole;
    double first = 0;
    /// One safe item made by ProgID and bound to a message: what each of the reader's parts pays first.
    Stats create, bind;
    int html = 0, large = 0, exchange = 0, mismatches = 0;
    std::string firstMismatch;
};

ReadResult readMessages(int count, const std::string& version) {
    standin::StandInClient client;
    if (!version.empty()) client.setVersion(version);
    client.addAddressBook("Global Address List", directoryUsers());
    std::vector<standin::MailSpec> mails;
    ReadResult result;
    for (int i = 0; i < count; ++i) {
        mails.push_back(benchMail(i));
        const auto& mail = mails.back();
        client.addMail(kInbox, mail);
        result.html += !mail.htmlBody.empty();
        result.large += mail.body.size() >= kLargeBody;
        result.exchange += mail.senderType == "EX";
    }
    std::vector<double> headers, sender, recipients, body, whole;
    {
        Reader reader(std::atoi(version.empty() ? "11" : version.c_str()));
        auto items = inboxItems(client);
        for (int i = 0; i < count; ++i) {
            // The add-in is handed the item by ItemAdd; reaching it is not part of the read.
            auto item = items->Item(i + 1);
            MessageRead read = readAsTheAddIn(*reader.content, item);
            if (std::string why = mismatch(mails[static_cast<size_t>(i)], read); !why.empty()) {
                if (result.mismatches++ == 0) result.firstMismatch = "message " + std::to_string(i) + ": " + why;
            }
            if (i == 0) result.first = read.totalMs();
            headers.push_back(read.headersMs);
            sender.push_back(read.senderMs);
            recipients.push_back(read.recipientsMs);
            body.push_back(read.bodyMs);
            whole.push_back(read.totalMs());
        }
        std::vector<double> creates, binds;
        for (int i = 0; i < std::min(count, 200); ++i) {
            auto item = items->Item(i + 1);
            const double start = nowMs();
            auto safe = reader.safe.CreateSafeMailItem(classify::safeMailProgId("SafeMailItem"));
            const double made = nowMs();
            safe->setItem(item);
            creates.push_back(made - start);
            binds.push_back(nowMs() - made);
        }
        result.create = statsOf(creates);
        result.bind = statsOf(binds);
    }
    result.headers = statsOf(headers);
    result.sender = statsOf(sender);
    result.recipients = statsOf(recipients);
    result.body = statsOf(body);
    result.whole = statsOf(whole);
    return result;
}

struct WalkResult {
    int rows = 0, unread = 0, walked = 0, countedBefore = 0, countedAfter = 0;
    double setupMs = 0, countBeforeMs = 0, walkMs = 0, countAfterMs = 0;
};

/// The folder scan's walk: the read-flag restriction, three columns, FindFirst/GetRow/FindNext.
WalkResult walkTable(int rows, const std::string& version) {
    standin::StandInClient client;
    if (!version.empty()) client.setVersion(version);
    WalkResult result;
    result.rows = rows;
    for (int i = 0; i < rows; ++i) {
        standin::MailSpec mail;
        mail.senderName = "Sender " + std::to_string(i % 300);
        mail.senderAddress = "sender" + std::to_string(i % 300) + "@domain.example";
        mail.to = {"me@home.example"};
        mail.subject = "Message " + std::to_string(i) + " about the weekly report";
        mail.body = "hello\r\n";
        mail.unread = i % 5 != 4;
        result.unread += mail.unread;
        client.addMail(kInbox, mail);
    }
    Reader reader(std::atoi(version.empty() ? "11" : version.c_str()));
    auto items = inboxItems(client);
    double start = nowMs();
    auto table = reader.safe.CreateMAPITable(classify::safeMailProgId("MAPITable"));
    table->setItem(items);
    table->Filter().Clear();
    auto& restriction = table->Filter().SetKind(tw::safemail::RES_BITMASK);
    restriction.relBMR = tw::safemail::BMR_EQZ;
    restriction.ulPropTag = tw::safemail::PR_MESSAGE_FLAGS;
    restriction.ulMask = tw::safemail::MSGFLAG_READ;
    table->setColumns({tw::safemail::PR_SUBJECT, tw::safemail::PR_ENTRYID, tw::safemail::PR_LONGTERM_ENTRYID_FROM_TABLE});
    result.setupMs = nowMs() - start;

    start = nowMs();
    result.countedBefore = table->RowCount();
    result.countBeforeMs = nowMs() - start;

    start = nowMs();
    for (bool more = table->FindFirst(true); more; more = table->FindNext(true)) {
        std::vector<tw::safemail::PropValue> row = table->GetRow();
        if (row.size() == 3 && !(row[2].isError() ? row[1] : row[2]).text().empty()) ++result.walked;
    }
    result.walkMs = nowMs() - start;

    start = nowMs();
    result.countedAfter = table->RowCount();
    result.countAfterMs = nowMs() - start;
    return result;
}

void printReads(const char* title, const ReadResult& r, int count) {
    std::printf("\n%s: %d messages (%d HTML, %d with a body over %zu KB, %d EX senders)\n", title, count, r.html, r.large,
                kLargeBody / 1024, r.exchange);
    std::printf("  %-34s %9s %9s %9s\n", "ms per message", "median", "p95", "max");
    auto line = [](const char* name, const Stats& s) { std::printf("  %-34s %9.3f %9.3f %9.3f\n", name, s.median, s.p95, s.max); };
    line("headers (HrGetOneProp)", r.headers);
    line("sender (type, address, SMTP, name)", r.sender);
    line("recipients (Count, each entry)", r.recipients);
    line("body (HTMLBody, Body)", r.body);
    line("whole message", r.whole);
    std::printf("  each part first makes a safe item and binds it to the message:\n");
    line("  safe item made by ProgID", r.create);
    line("  bound to the message (setItem)", r.bind);
    std::printf("  first message (session, address book): %.3f ms\n", r.first);
    if (r.mismatches) std::printf("  READ MISMATCHES: %d (first: %s)\n", r.mismatches, r.firstMismatch.c_str());
}

void printWalks(const char* title, const std::vector<WalkResult>& walks) {
    std::printf("\n%s\n", title);
    std::printf("  %8s %8s %8s %10s %14s %14s %10s %10s\n", "rows", "unread", "walked", "setup ms", "RowCount ms",
                "RowCount ms", "walk ms", "rows/s");
    std::printf("  %8s %8s %8s %10s %14s %14s %10s %10s\n", "", "", "", "", "before Find", "after walk", "", "");
    for (const WalkResult& w : walks) {
        std::printf("  %8d %8d %8d %10.2f %8.2f (%5d) %8.2f (%5d) %10.1f %10.0f\n", w.rows, w.unread, w.walked, w.setupMs,
                    w.countBeforeMs, w.countedBefore, w.countAfterMs, w.countedAfter, w.walkMs,
                    w.walkMs > 0 ? w.walked / (w.walkMs / 1000.0) : 0.0);
    }
}

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--messages" && i + 1 < argc) {
            options.messages = std::atoi(argv[++i]);
        } else if (arg == "--rows" && i + 1 < argc) {
            options.rows.clear();
            for (const std::string& n : text::split(argv[++i], ","))
                if (std::atoi(n.c_str()) > 0) options.rows.push_back(std::atoi(n.c_str()));
        } else if (arg == "--no-version9") {
            options.version9 = false;
        } else {
            return false;
        }
    }
    return options.messages > 0;
}

int run(const Options& options) {
    std::printf("Safe mail library (tarnredemption.dll) over the stand-in client's MAPI, through the add-in's reader\n");
    std::printf("Built for %d-bit Windows%s; times from QueryPerformanceCounter.\n", static_cast<int>(sizeof(void*) * 8),
#ifdef NDEBUG
                ", optimised (Release)"
#else
                ", unoptimised (Debug)"
#endif
    );
    bool clean = true;
    ReadResult current = readMessages(options.messages, "");
    printReads("New messages read on version 11", current, options.messages);
    clean = clean && current.mismatches == 0;
    if (options.version9) {
        ReadResult old = readMessages(options.messages, kVersion9);
        printReads("The same on version 9 (shared logon, directory through its address book)", old, options.messages);
        clean = clean && old.mismatches == 0;
    }

    std::vector<WalkResult> walks, walks9;
    for (int rows : options.rows) walks.push_back(walkTable(rows, ""));
    printWalks("Inbox table walk, unread rows (version 11: the folder's MAPIOBJECT)", walks);
    if (options.version9 && !options.rows.empty()) {
        walks9.push_back(walkTable(options.rows.front(), kVersion9));
        printWalks("The same on version 9 (folder opened by its ids in the shared session)", walks9);
    }
    for (const auto* set : {&walks, &walks9})
        for (const WalkResult& w : *set) clean = clean && w.walked == w.unread;
    if (!clean) std::printf("\nFAILED: a read or a walk did not answer what the store holds (see above).\n");
    return clean ? 0 : 1;
}

}  // namespace
}  // namespace tw::bench::safemail

int main(int argc, char** argv) {
    using namespace tw::bench::safemail;
    Options options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr, "usage: safemail_bench [--messages N] [--rows N,N] [--no-version9]\n");
        return 2;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (const HRESULT hr = tw::winetest::installSafeMailLibrary(true); FAILED(hr)) {
        std::fprintf(stderr, "safemail_bench: registering tarnredemption.dll failed (0x%08lX)\n", static_cast<unsigned long>(hr));
        return 1;
    }
    int status = 1;
    try {
        status = run(options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "safemail_bench: %s\n", e.what());
    }
    tw::winetest::installSafeMailLibrary(false);
    CoUninitialize();
    std::fflush(stdout);
    return status;
}
