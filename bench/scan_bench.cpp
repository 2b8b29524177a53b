// Benchmark of the manual folder scan: the scan-folder command over a folder of generated unread
// messages (50,000 by default) with a scripted engine. Reports the add-in's own time per message,
// peak memory at a small and at the large folder, and how often the progress window was updated
// and what updating it costs.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "addin/AddinLibrary.h"
#include "addin/Connect.h"
#include "addin/OrvennaOutAddIn.h"
#include "platform/Platform.h"
#include "ScriptedEngine.h"
#include "scan/ManualScan.h"
#include "core/Text.h"
#include "scan/MsgQueue.h"
#include "scan/ProcessedCache.h"
#include "settings/RegistryAccess.h"
#include "sim/SimEventLoop.h"
#include "sim/SimFileSystem.h"
#include "sim/SimMailClient.h"
#include "sim/SimRegistry.h"
#include "sim/SimSafeMail.h"
#include "sim/SimShell.h"
#include "sim/SimUserInterface.h"

namespace {

using Clock = std::chrono::steady_clock;
using tw::bench::engineSeconds;
using tw::bench::ScriptedEngineLoader;

std::string message(int i) {
    bool spam = i % 10 == 0;
    std::string n = std::to_string(i);
    return "From: sender" + n + "@host" + std::to_string(i % 97) + ".example\r\nTo: demo@example.invalid\r\n"
           "Subject: " + (spam ? "SPAM offer " : "Note ") + n + "\r\nMessage-ID: <" + n + "@scanbench>\r\n\r\n"
           "Hello, this is message " + n + " of the scan benchmark.\r\n";
}

double percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(p * static_cast<double>(values.size() - 1))];
}

/// The process's peak resident memory so far, in MiB.
double peakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

struct Result {
    int messages = 0;
    double scanSeconds = 0, medianMs = 0, p95Ms = 0, meanMs = 0;
    double peakBeforeMiB = 0, peakAfterMiB = 0;
    int64_t updates = 0;
    double longestGapMs = 0, tailMs = 0;
    size_t cacheEntries = 0;
    int processed = 0, caught = 0, inJunk = 0;
};

Result scanFolder(int count, const std::filesystem::path& root) {
    tw::sim::SimRegistry registry;
    tw::sim::SimFileSystem files(root);
    tw::sim::SimShell shell;
    tw::sim::SimEventLoop loop(tw::OleDate::fromCivil({2026, 12, 8, 9, 0, 0}));
    tw::sim::SimUserInterface ui(loop);
    ScriptedEngineLoader engine;
    tw::sim::SimSafeMail safeMail;
    tw::platform::Platform platform{registry, files, shell, ui, loop, engine, safeMail};
    tw::sim::SimMailClient client(loop);
    safeMail.setClient(&client);
    files.createFolders(shell.libraryFolder());
    // Cache mode, where the scan also records each checked message in the processed cache.
    tw::settings::SettingsKey(registry).writeFlag(false, "useuserprops");
    tw::settings::SettingsKey(registry).writeNumber("debugginglevel", 0);
    tw::addin::AddinLibrary library(platform);
    tw::addin::Connect connect(library);
    client.openExplorer();
    connect.AddinInstance_OnConnection(client.application(), 1, "OrvennaOutlookAddIn.Connect");
    auto& addin = *connect.addin();

    auto top = std::dynamic_pointer_cast<tw::sim::SimFolder>(client.stores()->Item(1));
    auto folder = top->subfolder("Archive");
    // The sim parses a message once and keeps it; that happens here, so the scan's growth is the add-in's.
    for (int i = 0; i < count; ++i) client.deliverMessage(message(i), folder)->bodies();

    Result r;
    r.messages = count;
    r.peakBeforeMiB = peakMiB();
    // The walk yields once before each row: the time from one yield to the next is one message.
    std::vector<double> ownMs;
    ownMs.reserve(static_cast<size_t>(count) + 1);
    auto last = Clock::now();
    double engineAtLast = engineSeconds();
    ui.onYield = [&] {
        auto now = Clock::now();
        double engineNow = engineSeconds();
        ownMs.push_back((std::chrono::duration<double>(now - last).count() - (engineNow - engineAtLast)) * 1000.0);
        last = now;
        engineAtLast = engineNow;
    };
    client.setPickFolderAnswer(folder);
    auto start = Clock::now();
    addin.manualScan().cmdScanFolder();
    r.scanSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    ui.onYield = nullptr;
    if (!ownMs.empty()) ownMs.erase(ownMs.begin());  // from the start to the first row: no message
    r.medianMs = percentile(ownMs, 0.5);
    r.p95Ms = percentile(ownMs, 0.95);
    for (double ms : ownMs) r.meanMs += ms / static_cast<double>(ownMs.size());
    r.peakAfterMiB = peakMiB();
    r.updates = addin.manualScan().lastProgress().updates;
    r.longestGapMs = std::chrono::duration<double, std::milli>(addin.manualScan().lastProgress().longestGap).count();
    r.tailMs = std::chrono::duration<double, std::milli>(addin.manualScan().lastProgress().tail).count();
    r.cacheEntries = addin.inboxQueue()->processedCache().size();
    r.processed = library.settings.processed;
    r.caught = library.settings.caught;
    r.inJunk = count - folder->Items()->Count();
    connect.AddinInstance_OnDisconnection(0);
    return r;
}

/// What one update of the progress window costs: its count formatted into the label.
double updateCostUs() {
    tw::scan::frmScanning window;
    constexpr int kRounds = 200000;
    auto start = Clock::now();
    for (int i = 0; i < kRounds; ++i) window.setProcessed(i);
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / kRounds;
}

/// The peak memory a processed cache of that many identifiers adds on its own (ids as long as the sim's).
double cacheAloneMiB(int count) {
    tw::sim::SimEventLoop loop(tw::OleDate::fromCivil({2026, 12, 8, 9, 0, 0}));
    tw::sim::SimMailClient client(loop);
    const std::string sample = tw::text::lower(client.createItem(tw::outlook::olMail)->EntryID());
    double before = peakMiB();
    tw::scan::ProcessedCache cache;
    for (int i = 0; i < count; ++i) {
        std::string id = std::to_string(i);
        cache.add(sample.substr(0, sample.size() - std::min(sample.size(), id.size())) + id);
    }
    return peakMiB() - before;
}

void print(const char* name, const Result& r, double costUs) {
    double updateShare = r.scanSeconds > 0 ? static_cast<double>(r.updates) * costUs / 1e6 / r.scanSeconds : 0;
    std::printf("%-6s %9d %8.2f %12.4f %10.4f %11.4f %9.1f %9.1f %9.1f %9lld %12.3f %9.1f %9.2f%% %7d %7d %7d\n", name,
                r.messages, r.scanSeconds, r.medianMs, r.p95Ms, r.meanMs, r.peakBeforeMiB, r.peakAfterMiB,
                r.peakAfterMiB - r.peakBeforeMiB, static_cast<long long>(r.updates), r.longestGapMs, r.tailMs,
                updateShare * 100.0, r.processed, r.caught, r.inJunk);
}

}  // namespace

int main(int argc, char** argv) {
    int count = 50000, small = 1000;
    bool cacheAlone = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--messages") == 0 && i + 1 < argc) count = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--cache-alone") == 0) cacheAlone = true;
        else if (std::strcmp(argv[i], "--small") == 0 && i + 1 < argc) small = std::atoi(argv[++i]);
        else {
            std::fprintf(stderr, "usage: scan_bench [--messages N] [--small N] [--cache-alone]\n");
            return 2;
        }
    }
    if (count <= 0 || small <= 0 || small > count) {
        std::fprintf(stderr, "scan_bench: --messages and --small must be positive, the small folder no larger\n");
        return 2;
    }
    if (cacheAlone) {
        // Its own run: the peak of a scan would hide it.
        std::printf("a processed cache of %d identifiers alone: %.1f MiB\n", count, cacheAloneMiB(count));
        return 0;
    }
    auto root = std::filesystem::temp_directory_path() / ("tarnwick-scan-bench-" + std::to_string(getpid()));
    const double costUs = updateCostUs();
    std::printf("%-6s %9s %8s %12s %10s %11s %9s %9s %9s %9s %12s %9s %10s %7s %7s %7s\n", "folder", "messages", "scan s",
                "own ms med", "own ms p95", "own ms mean", "peak MiB", "after", "growth", "updates", "max gap ms", "move ms",
                "update %", "proc", "caught", "junk");
    bool ok = true;
    Result results[2];
    int sizes[2] = {small, count};
    for (int k = 0; k < 2; ++k) {
        std::filesystem::remove_all(root);
        results[k] = scanFolder(sizes[k], root);
        print(k == 0 ? "small" : "large", results[k], costUs);
        const Result& r = results[k];
        int spam = (sizes[k] + 9) / 10;
        if (r.processed != sizes[k] || r.caught != spam || r.inJunk != spam || r.cacheEntries != static_cast<size_t>(sizes[k])) {
            std::fprintf(stderr, "unexpected result: processed %d, caught %d, in junk %d, cache %zu\n", r.processed,
                         r.caught, r.inJunk, r.cacheEntries);
            ok = false;
        }
    }
    std::filesystem::remove_all(root);
    const Result& large = results[1];
    double share = large.scanSeconds > 0 ? static_cast<double>(large.updates) * costUs / 1e6 / large.scanSeconds : 0;
    std::printf("one progress update: %.3f us; the window updated at least every 250 ms: %s; updating under 5%% of "
                "the scan: %s\n",
                costUs, large.longestGapMs <= 250.0 ? "yes" : "NO", share <= 0.05 ? "yes" : "NO");
    ok = ok && large.longestGapMs <= 250.0 && share <= 0.05;
    return ok ? 0 : 1;
}
