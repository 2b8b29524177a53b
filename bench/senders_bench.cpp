// Benchmark of the sender lists: one isBlocked decision over 100,000 blocked and 100,000 approved
// entries (refresh check included), and loading, sorting and saving a 100,000-entry list.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "engineapi/EngineLibrary.h"
#include "engineapi/Bounce.h"
#include "classify/MessageContent.h"
#include "diag/CErrorHandler.h"
#include "senders/ListFile.h"
#include "senders/Senders.h"
#include "settings/RegistryAccess.h"
#include "sim/SimEventLoop.h"
#include "sim/SimFileSystem.h"
#include "sim/SimLibraryLoader.h"
#include "sim/SimMailClient.h"
#include "sim/SimRegistry.h"
#include "sim/SimShell.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kEntries = 100000;
constexpr int kDecisions = 200000;
constexpr int kListRounds = 11;
constexpr const char* kDataFolder = "C:\\Documents and Settings\\demo\\Application Data\\Tarnwick";

/// The simulated file system, counting the calls the refresh makes so the benchmark can show that
/// unchanged files are never read again.
class CountingFileSystem : public tw::sim::SimFileSystem {
public:
    using SimFileSystem::SimFileSystem;
    std::string readAll(const std::string& path) override {
        ++reads;
        return SimFileSystem::readAll(path);
    }
    int64_t lastModified(const std::string& path) override {
        ++timeChecks;
        return SimFileSystem::lastModified(path);
    }
    long reads = 0;
    long timeChecks = 0;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double percentile(std::vector<double> values, double share) {
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(share * static_cast<double>(values.size() - 1))];
}

template <typename Fn>
double microseconds(Fn&& fn) {
    auto start = Clock::now();
    fn();
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

std::string listOf(const char* prefix) {
    std::string bytes;
    for (int i = kEntries; i-- > 0;) bytes += std::string(prefix) + std::to_string(i) + ".example.com\r\n";
    return bytes;
}

/// Senders as the filter meets them: exact blocked and approved addresses, domain entries at
/// several depths, country codes and strangers.
std::vector<std::string> senderMix() {
    std::vector<std::string> mix;
    for (int i = 0; i < 1000; ++i) {
        std::string n = std::to_string(i * 97 % kEntries);
        mix.push_back("user@blocked" + n + ".example.com");
        mix.push_back("someone@mail.approved" + n + ".example.com");
        mix.push_back("x@deep.sub.blocked" + n + ".example.com");
        mix.push_back("stranger" + n + "@nowhere.example.org");
        mix.push_back("sales@shop" + n + ".example.ru");
    }
    return mix;
}

}  // namespace

int main() {
    fs::path root = fs::temp_directory_path() / ("tarnwick-senders-bench-" + std::to_string(::getpid()));
    fs::remove_all(root);

    CountingFileSystem files(root);
    tw::sim::SimShell shell("demo", "C:\\Program Files\\Tarnwick");
    tw::sim::SimEventLoop loop(tw::OleDate::fromCivil({2026, 12, 8, 9, 0, 0}));
    tw::sim::SimRegistry registry;
    tw::sim::SimLibraryLoader libraries({(root / "no-engine").string()});
    tw::sim::SimMailClient client(loop);
    files.createFolders("C:\\Program Files\\Tarnwick");
    files.createFolders(kDataFolder);
    tw::diag::CErrorHandler log(files, shell, loop);
    tw::engineapi::EngineLibrary engine(libraries);
    tw::settings::Settings settings;
    settings.blockedCountries.Add("ru");
    for (int i = 0; i < 200; ++i)
        client.addContact("Contact " + std::to_string(i), {"contact" + std::to_string(i) + "@friends.example"});

    const std::string folder = kDataFolder;
    files.replaceContents(folder + "\\" + tw::senders::kBlockedFile, listOf("blocked"));
    files.replaceContents(folder + "\\" + tw::senders::kApprovedFile, listOf("approved"));

    auto makeLists = [&](double refreshSeconds, bool withContacts) {
        tw::senders::SendersContext context{files, loop, log, settings, tw::settings::SettingsKey(registry), folder,
                                            withContacts ? client.nameSpace() : nullptr, nullptr,
                                            tw::engineapi::Bounce(engine, [] { return 0; })};
        context.decisionRefreshSeconds = refreshSeconds;
        return std::make_unique<tw::senders::Senders>(context);
    };
    std::vector<std::string> mix = senderMix();
    std::vector<std::string> domains;
    for (const auto& address : mix) domains.push_back(tw::classify::getDomain(address));

    // One decision each; the virtual clock moves a millisecond per decision, as in a fast scan.
    struct Run {
        std::vector<double> micros;
        double checksPerDecision = 0;
        long reads = 0;
        int blocked = 0;
    };
    auto decide = [&](tw::senders::Senders& lists) {
        Run run;
        run.micros.reserve(kDecisions);
        long readsBefore = files.reads, checksBefore = files.timeChecks;
        for (int i = 0; i < kDecisions; ++i) {
            size_t k = static_cast<size_t>(i) % mix.size();
            bool approved = false, isBlocked = false;
            run.micros.push_back(microseconds([&] { isBlocked = lists.isBlocked(mix[k], domains[k], approved); }));
            run.blocked += isBlocked ? 1 : 0;
            loop.advance(1);
        }
        run.reads = files.reads - readsBefore;
        run.checksPerDecision = static_cast<double>(files.timeChecks - checksBefore) / kDecisions;
        return run;
    };
    auto report = [&](const char* what, const Run& run) {
        double mean = 0;
        for (double m : run.micros) mean += m;
        mean /= static_cast<double>(run.micros.size());
        std::printf("  %-52s median %6.2f us, mean %6.2f us, 99th %7.2f us; file-time checks per decision %.3f, "
                    "files re-read %ld\n",
                    what, median(run.micros), mean, percentile(run.micros, 0.99), run.checksPerDecision, run.reads);
    };

    auto lists = makeLists(1.0, false);
    if (lists->blockedSenders().entries.Count() != kEntries || lists->approvedSenders().entries.Count() != kEntries) {
        std::fprintf(stderr, "the lists did not load\n");
        return 1;
    }
    std::printf("isBlocked, %d blocked and %d approved entries, %d decisions over %zu senders\n", kEntries, kEntries,
                kDecisions, mix.size());
    Run lookAtMostOnceASecond = decide(*lists);
    report("files looked at once a second, no Contacts:", lookAtMostOnceASecond);
    report("files looked at before every decision, no Contacts:", decide(*makeLists(0.0, false)));
    report("once a second, 200 contacts in the sim client:", decide(*makeLists(1.0, true)));
    std::vector<double> refresh;
    for (int i = 0; i < 20000; ++i) refresh.push_back(microseconds([&] { lists->updateCachedLists(); }));
    std::printf("  one look at the three list files (unchanged): median %.2f us\n", median(refresh));
    std::printf("  (%d of each %zu senders blocked)\n", lookAtMostOnceASecond.blocked / (kDecisions / static_cast<int>(mix.size())),
                mix.size());

    // Load, sort and save one 100,000-entry list.
    const std::string bigList = folder + "\\big list.txt";
    files.replaceContents(bigList, listOf("sender"));
    std::vector<double> load, sort, save, whole;
    for (int round = 0; round < kListRounds; ++round) {
        tw::KeyedSet entries;
        std::vector<std::string> sorted;
        double l = microseconds([&] { entries = tw::senders::readListFile(files, bigList); });
        double s = microseconds([&] { sorted = tw::senders::getSortedKeys(entries); });
        double w = microseconds([&] { files.replaceContents(bigList, tw::senders::formatListFile(sorted)); });
        load.push_back(l / 1000);
        sort.push_back(s / 1000);
        save.push_back(w / 1000);
        whole.push_back((l + s + w) / 1000);
    }

    std::printf("load + sort + save of a %d-entry list (median of %d): %.1f ms (load %.1f, sort %.1f, save %.1f)\n",
                kEntries, kListRounds, median(whole), median(load), median(sort), median(save));

    fs::remove_all(root);
    return 0;
}
