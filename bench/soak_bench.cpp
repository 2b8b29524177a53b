// Soak test of the add-in over a long virtual day: new mail arrives at random intervals, the user
// blocks and approves senders from the toolbar between deliveries, and the mail client restarts
// the add-in now and then (mail that arrives meanwhile waits in the Inbox). The engine is scripted.
// At the end every message must have been checked exactly once and lie where its verdict (or the
// user's command) put it, the counters must match, the log must have rotated at its size limit
// without losing a line, and the add-in's memory must not have grown with the mail.
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "LogFollower.h"
#include "SimBench.h"
#include "commandbars/ExplorerBars.h"
#include "scan/MsgQueue.h"
#include "sim/SimCommandBars.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr const char* kCheckLine = "checkMailItems checking message ";
constexpr uintmax_t kRotateAt = 400000;
/// Growth a message beyond the client's own before the soak calls it a leak: it includes the
/// benchmark's own record of each message and what the client keeps of the add-in's marks (a few
/// hundred bytes), not a copy of a message.
constexpr double kGrowthPerMessageBytes = 1024.0;

struct Sizes {
    int messages = 20000;
    int entries = 100000;
    double hours = 24;
    int restarts = 12;
    int commands = 40;
    int senders = 400;
    bool marker = true, cache = true;
};

struct Message {
    std::shared_ptr<tw::sim::SimItem> item;
    std::string subject, sender;
    bool spam = false;
    std::string expectedFolder;
};

/// Memory of the simulated client alone holding the same mail, near the start and at the end.
struct ClientAlone {
    double peakStart = 0, peakEnd = 0, residentStart = 0, residentEnd = 0;
};

/// Measured in a child process, so that the soak's own peak stays its own.
ClientAlone clientAlone(const Sizes& sizes, const std::filesystem::path& root) {
    ClientAlone figures;
    int fds[2];
    if (pipe(fds) != 0) return figures;
    std::fflush(stdout);
    pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        {
            tw::bench::SimBench b(root);
            for (int i = 0; i < sizes.messages; ++i) {
                b.client.deliverMessage(tw::bench::generatedMessage("soak", i, "x@y.example", false))->bodies();
                if (i == sizes.messages / 10) {
                    figures.peakStart = tw::bench::peakMiB();
                    figures.residentStart = tw::bench::residentMiB();
                }
            }
            figures.peakEnd = tw::bench::peakMiB();
            figures.residentEnd = tw::bench::residentMiB();
        }
        std::filesystem::remove_all(root);
        ssize_t written = write(fds[1], &figures, sizeof figures);
        _exit(written == sizeof figures ? 0 : 1);
    }
    close(fds[1]);
    ssize_t got = read(fds[0], &figures, sizeof figures);
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return got == sizeof figures ? figures : ClientAlone{};
}

class Soak {
public:
    Soak(const Sizes& sizes, bool marker, const std::filesystem::path& root)
        : sizes_(sizes),
          marker_(marker),
          b_(root),
          log_(b_.files.hostPath(b_.shell.libraryFolder() + "\\report.txt"),
               b_.files.hostPath(b_.shell.libraryFolder() + "\\report0.txt"), [this](const std::string& line) {
                   size_t at = line.find(kCheckLine);
                   if (at != std::string::npos && ++checks_[line.substr(at + std::strlen(kCheckLine))] == 1)
                       ++checkedMessages_;
               }),
          random_(20261208) {}

    /// Runs the day; returns false (after saying why on stderr) when a check failed.
    bool run();

private:
    void deliver(int i);
    /// Lets virtual time pass in timer steps until every delivered message was checked (or an hour went by).
    void drain();
    void command(bool block);
    void restart();
    bool countersMatch(const char* when);
    bool finalChecks();
    std::string folderName(const Message& m) const { return m.item->parentFolder()->Name(); }

    Sizes sizes_;
    bool marker_;
    tw::bench::SimBench b_;
    tw::bench::LogFollower log_;
    std::mt19937 random_;
    std::map<std::string, int> checks_;
    size_t checkedMessages_ = 0;
    std::vector<Message> messages_;
    std::set<std::string> blocked_, approved_;
    std::string junkName_;
    int blocks_ = 0, approvals_ = 0, restarts_ = 0;
    bool failed_ = false;

public:
    double peakStartMiB = 0, peakEndMiB = 0, residentStartMiB = 0, residentEndMiB = 0, realSeconds = 0,
           virtualHours = 0;
};

void Soak::deliver(int i) {
    Message m;
    int who = static_cast<int>(random_() % static_cast<unsigned>(sizes_.senders));
    m.sender = "sender" + std::to_string(who) + "@host" + std::to_string(who % 37) + ".example";
    bool spamSubject = random_() % 10 == 0;
    m.spam = blocked_.count(m.sender) ? true : approved_.count(m.sender) ? false : spamSubject;
    std::string raw = tw::bench::generatedMessage("soak", i, m.sender, spamSubject);
    m.subject = std::string(spamSubject ? "SPAM offer " : "Note ") + "soak-" + std::to_string(i);
    m.item = b_.client.deliverMessage(raw);
    messages_.push_back(m);
    log_.poll();
}

void Soak::drain() {
    for (int waited = 0; waited < 3600 && checkedMessages_ < messages_.size(); waited += 2) {
        b_.loop.advance(2000);
        log_.poll();
    }
}

void Soak::command(bool block) {
    drain();
    // The newest message the user sees from a sender on neither list: a good one in the Inbox to
    // block, a caught one in the junk folder to approve.
    const std::string from = block ? b_.client.inbox()->Name() : junkName_;
    Message* chosen = nullptr;
    for (auto it = messages_.rbegin(); it != messages_.rend() && !chosen; ++it)
        if (!blocked_.count(it->sender) && !approved_.count(it->sender) && folderName(*it) == from &&
            it->expectedFolder.empty() && checks_.count(it->subject))
            chosen = &*it;
    if (!chosen) return;
    auto explorer = b_.client.activeExplorer();
    explorer->switchTo(chosen->item->parentFolder());
    explorer->select({chosen->item});
    auto button = explorer->bars()->bar(tw::commandbars::toolbarName())->controls()->find(
        0, 0, tw::commandbars::controlTag(block ? "Block Sender" : "Approve Sender"), false, true);
    button->click();
    explorer->switchTo(b_.client.inbox());
    (block ? blocked_ : approved_).insert(chosen->sender);
    (block ? approved_ : blocked_).erase(chosen->sender);
    chosen->expectedFolder = block ? "Deleted Items" : b_.client.inbox()->Name();
    ++(block ? blocks_ : approvals_);
    log_.poll();
}

bool Soak::countersMatch(const char* when) {
    auto key = b_.settingsKey();
    int processed = key.getNumberFromRegistry("processed"), caught = key.getNumberFromRegistry("caught");
    int checked = 0, spam = 0;
    for (const auto& m : messages_)
        if (checks_.count(m.subject)) {
            checked += checks_[m.subject];
            spam += m.spam ? checks_[m.subject] : 0;
        }
    if (processed == checked && caught == spam) return true;
    std::fprintf(stderr, "soak_bench: %s the stored counters say %d processed and %d caught; the log shows %d checks, %d of them spam\n",
                 when, processed, caught, checked, spam);
    return false;
}

void Soak::restart() {
    b_.disconnectAddin();
    log_.poll();
    ++restarts_;
    if (!countersMatch("after a stop,")) failed_ = true;
}

bool Soak::run() {
    auto realStart = Clock::now();
    b_.settingsKey().writeFlag(marker_, "useuserprops");
    b_.connectAddin();
    b_.writeSenderLists(sizes_.entries);
    b_.disconnectAddin();
    // The detailed log (the add-in's default level), so that it fills and rotates.
    b_.settingsKey().writeNumber("debugginglevel", 1);
    b_.settingsKey().writeNumber("showsenderdialog", 1);
    b_.connectAddin();
    junkName_ = b_.library.settings.junkfolderName;
    log_.poll();

    const double meanGapMs = sizes_.hours * 3600000.0 / sizes_.messages;
    std::exponential_distribution<double> gap(1.0 / meanGapMs);
    const int restartEvery = sizes_.messages / (sizes_.restarts + 1);
    const int commandEvery = sizes_.commands > 0 ? sizes_.messages / (sizes_.commands + 1) : sizes_.messages + 1;
    // Mail keeps arriving for a while after each stop, before the client loads the add-in again.
    const int downFor = std::max(1, restartEvery / 20);
    int upAgainAt = -1;
    for (int i = 0; i < sizes_.messages; ++i) {
        if (i > 0 && i % restartEvery == 0 && restarts_ < sizes_.restarts) {
            restart();
            upAgainAt = i + downFor;
        }
        if (i == upAgainAt) {
            b_.connectAddin();
            log_.poll();
        }
        deliver(i);
        b_.loop.advance(static_cast<int64_t>(std::llround(gap(random_))));
        log_.poll();
        if (i > 0 && i % commandEvery == 0 && b_.connect.addin()) command((i / commandEvery) % 2 == 1);
        if (i == sizes_.messages / 10) {
            peakStartMiB = tw::bench::peakMiB();
            residentStartMiB = tw::bench::residentMiB();
        }
    }
    if (!b_.connect.addin()) b_.connectAddin();
    // The last mail needs a quiet moment before the queue takes up what arrived while the add-in was stopped.
    drain();
    peakEndMiB = tw::bench::peakMiB();
    residentEndMiB = tw::bench::residentMiB();
    b_.disconnectAddin();
    log_.poll();
    virtualHours = static_cast<double>(b_.loop.elapsedMs()) / 3600000.0;
    realSeconds = std::chrono::duration<double>(Clock::now() - realStart).count();
    return finalChecks() && !failed_;
}

bool Soak::finalChecks() {
    bool ok = countersMatch("at the end,");
    int twice = 0, missed = 0, misplaced = 0, unmarked = 0, spam = 0;
    for (auto& m : messages_) {
        int checks = checks_.count(m.subject) ? checks_[m.subject] : 0;
        if (checks == 0) ++missed;
        if (checks > 1) ++twice;
        std::string expected = !m.expectedFolder.empty() ? m.expectedFolder : m.spam ? junkName_ : b_.client.inbox()->Name();
        if (folderName(m) != expected) {
            if (misplaced < 5)
                std::fprintf(stderr, "soak_bench: \"%s\" from %s lies in %s, not in %s\n", m.subject.c_str(),
                             m.sender.c_str(), folderName(m).c_str(), expected.c_str());
            ++misplaced;
        }
        if (marker_ && checks > 0 && !m.item->UserProperties()->Find(tw::scan::MsgQueue::kMarkerName)) ++unmarked;
        spam += m.spam ? 1 : 0;
    }
    std::printf("    %d messages (%d spam), %d blocks, %d approvals, %d restarts over %.1f virtual hours in %.0f s\n",
                static_cast<int>(messages_.size()), spam, blocks_, approvals_, restarts_, virtualHours, realSeconds);
    std::printf("    checked once: %d, twice or more: %d, never: %d; misplaced %d; checked without marker %d\n",
                static_cast<int>(messages_.size()) - twice - missed, twice, missed, misplaced, unmarked);
    std::printf("    log: %d rotations, largest report.txt %ju bytes, smallest report0.txt at rotation %ju bytes, "
                "%d report files at the end\n",
                log_.rotations(), log_.largestCurrent(), log_.rotations() ? log_.smallestRotated() : 0,
                log_.reportFiles());
    if (twice || missed || misplaced || unmarked) {
        std::fprintf(stderr, "soak_bench: %d messages checked more than once, %d never, %d in the wrong folder, %d without marker\n",
                     twice, missed, misplaced, unmarked);
        ok = false;
    }
    // The log rotates before a write once it has reached the limit, so it never holds more than
    // the limit and one entry; every rotated file held at least the limit; at most one older file.
    if (log_.rotations() == 0 || log_.smallestRotated() < kRotateAt || log_.largestCurrent() > kRotateAt + 4096 ||
        log_.reportFiles() != 2) {
        std::fprintf(stderr, "soak_bench: the log did not rotate at %ju bytes into one older file\n", kRotateAt);
        ok = false;
    }
    return ok;
}

bool readSizes(int argc, char** argv, Sizes& sizes) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--quick") {
            sizes = Sizes{2000, 10000, 4, 4, 10, 100, true, true};
            continue;
        }
        if (arg == "--mode" && i + 1 < argc) {
            std::string mode = argv[++i];
            sizes.marker = mode == "marker" || mode == "both";
            sizes.cache = mode == "cache" || mode == "both";
            if (!sizes.marker && !sizes.cache) return false;
            continue;
        }
        int* into = arg == "--messages" ? &sizes.messages
                    : arg == "--entries" ? &sizes.entries
                    : arg == "--restarts" ? &sizes.restarts
                    : arg == "--commands" ? &sizes.commands
                    : arg == "--senders" ? &sizes.senders
                                         : nullptr;
        if (arg == "--hours" && i + 1 < argc) sizes.hours = std::atof(argv[++i]);
        else if (into && i + 1 < argc) *into = std::atoi(argv[++i]);
        else return false;
    }
    return sizes.messages >= 100 && sizes.entries >= 0 && sizes.hours > 0 && sizes.restarts >= 0 &&
           sizes.commands >= 0 && sizes.senders > 0 && sizes.restarts < sizes.messages / 20;
}

}  // namespace

int main(int argc, char** argv) {
    Sizes sizes;
    if (!readSizes(argc, argv, sizes)) {
        std::fprintf(stderr, "usage: soak_bench [--quick] [--mode marker|cache|both] [--messages N] [--entries N] "
                             "[--hours H] [--restarts N] [--commands N] [--senders N]\n");
        return 2;
    }
    auto root = std::filesystem::temp_directory_path() / ("tarnwick-soak-bench-" + std::to_string(getpid()));
    std::printf("soak: %d messages over %.0f virtual hours from %d senders, %d blocked and %d approved entries, "
                "%d restarts, %d commands\n",
                sizes.messages, sizes.hours, sizes.senders, sizes.entries, sizes.entries, sizes.restarts, sizes.commands);
    const ClientAlone client = clientAlone(sizes, root);
    std::printf("  the simulated client alone with that mail: peak %.1f MiB after a tenth, %.1f MiB at the end "
                "(resident %.1f and %.1f MiB)\n",
                client.peakStart, client.peakEnd, client.residentStart, client.residentEnd);
    bool ok = true;
    for (bool marker : {true, false}) {
        if (!(marker ? sizes.marker : sizes.cache)) continue;
        std::filesystem::remove_all(root);
        std::printf("  %s mode:\n", marker ? "marker" : "cache");
        // Each mode in a child of its own, so that its peak memory is its own.
        std::fflush(stdout);
        pid_t child = fork();
        if (child == 0) {
            Soak soak(sizes, marker, root);
            bool passed = soak.run();
            // Resident memory, not the peak: loading the lists at each start peaks higher than the day's mail.
            double growth = (soak.residentEndMiB - soak.residentStartMiB) - (client.residentEnd - client.residentStart);
            double perMessage = growth * 1048576.0 / (sizes.messages * 0.9);
            std::printf("    peak memory %.1f MiB after a tenth of the mail, %.1f MiB at the end (resident %.1f and "
                        "%.1f MiB); beyond the client's own growth the add-in grew %.1f MiB (%.0f bytes a message)\n",
                        soak.peakStartMiB, soak.peakEndMiB, soak.residentStartMiB, soak.residentEndMiB, growth,
                        perMessage);
            if (perMessage > kGrowthPerMessageBytes) {
                std::fprintf(stderr, "soak_bench: the add-in's memory grew with the mail: %.0f bytes a message\n",
                             perMessage);
                passed = false;
            }
            std::fflush(stdout);
            std::filesystem::remove_all(root);
            _exit(passed ? 0 : 1);
        }
        int status = 0;
        waitpid(child, &status, 0);
        ok = ok && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    std::filesystem::remove_all(root);
    std::printf("soak passed: %s\n", ok ? "yes" : "NO");
    return ok ? 0 : 1;
}
