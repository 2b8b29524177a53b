// Benchmark of the scoring engine: trains on a mail corpus, scores unseen mail (a validation set or
// a held-out part of the corpus), and prints accuracy and speed beside bogofilter's on the same mail.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "BenchCorpus.h"
#include "BenchMetrics.h"
#include "BogofilterRunner.h"
#include "SpamAssassinRunner.h"
#include "engineapi/EngineLibrary.h"
#include "core/Error.h"
#include "sim/SimLibraryLoader.h"

namespace {

using namespace tarn::bench;
namespace fs = std::filesystem;

const char* kHelp = R"(usage: engine_bench [options]

Trains the scoring engine on a mail corpus and scores other mail (a validation set, or a held-out
part of the same corpus), then does the same with bogofilter (when it is installed) and prints
both side by side.

  --corpus DIR         trains on DIR/ham, DIR/hard_ham (when present) and DIR/spam; without
                       --validation the same folders are split for testing (see --holdout)
  --validation DIR     scores DIR/ham and DIR/spam, mail from other senders and another time
  --train-ham DIR      folder of legitimate messages to train on (repeatable)
  --train-spam DIR     folder of spam to train on (repeatable)
  --test-ham DIR       folder of legitimate messages to score (repeatable)
  --test-spam DIR      folder of spam to score (repeatable)
  --holdout N          the split (default 5): a folder named both for training and for testing is
                       split by sorted file name; every N-th file (the 5th, 10th, ...) is scored, the
                       others are trained on. Folders named only once are used whole.
  --scores FILE        writes one line per test message: path, tab, score, tab, "ham" or "spam"
  --bogofilter-scores FILE   the same for bogofilter's scores (0..100)
  --engine-dir DIR     folder holding libtarnengine.so (default: the build's engine folder)
  --max-word-entries N the engine's word store bound (default: the engine's own, 50000)
  --whole-corpus-store also trains a fresh engine on every message (of the corpus, never of the
                       validation set) and reports its store's size
  --no-bogofilter      skips the comparison
  --rules-only         trains nothing: scores with the engine's shipped rules and an empty store,
                       beside spamassassin's shipped rules (see --spamassassin) instead of bogofilter
  --user-store N       trains only N spam and N legitimate messages (spread evenly over the training
                       mail), with "min_training" N so that they count: a new user's first weeks
  --no-rules           sets "enable_rules" to "no": the user's store alone, as before shipped rules
  --rules-folder DIR   the rule files to use (default: beside the engine library)
  --spamassassin       compares with spamassassin (shipped rules, no Bayes, no network) instead of
                       bogofilter; installed by bench/setup-spamassassin.sh
  --peer-limit N       scores only an even sample of N test messages with the comparison program
  --help               this text

Each file is one raw RFC 822 message; it is split at the first blank line into headers and body.
Messages are trained with weight 100 (ham -100, spam +100); scores are the engine's 0..100.
The shares of ham and of spam scoring at or above a few thresholds show what a user's threshold
does; bogofilter's spamicity is scaled to 0..100 for them.
)";

constexpr double kThresholds[] = {50, 70, 80, 90, 95};

struct Options {
    FolderChoice folders;
    std::string scoresFile, bogofilterScoresFile, engineDir = TW_BENCH_ENGINE_DIR, maxWordEntries;
    std::string corpus, validation;
    bool wholeCorpusStore = false, bogofilter = true, rulesOnly = false, noRules = false, spamAssassin = false;
    int userStore = 0, peerLimit = 0;
    std::string rulesFolder;
};

struct EngineRun {
    double trainSeconds = 0, scoreSeconds = 0;
    std::vector<double> scores;
    long long storeBytes = 0;
};

double seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

long long folderBytes(const fs::path& folder) {
    long long total = 0;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (entry.is_regular_file(ec)) total += static_cast<long long>(entry.file_size(ec));
    return total;
}

/// One engine in `dataFolder`: trains on `train`, scores `test` (when given), returns timings and scores.
EngineRun runEngine(const Options& options, const std::vector<CorpusFile>& train, const std::vector<CorpusFile>& test,
                    const fs::path& dataFolder) {
    EngineRun run;
    tw::sim::SimLibraryLoader loader({options.engineDir});
    tw::engineapi::EngineLibrary engine(loader);
    int32_t handle = engine.TW_constructor("Bench", dataFolder.string());
    engine.TW_setOption(handle, "offsetdir", dataFolder.string());
    if (!options.maxWordEntries.empty()) engine.TW_setOption(handle, "max_word_entries", options.maxWordEntries);
    if (options.noRules) engine.TW_setOption(handle, "enable_rules", "no");
    // The bench's engine is made for its data folder; the add-in's engine is made for its install folder.
    engine.TW_setOption(handle, "rules_folder", options.rulesFolder.empty() ? options.engineDir : options.rulesFolder);
    if (options.userStore > 0) engine.TW_setOption(handle, "min_training", std::to_string(options.userStore));
    engine.TW_initialize(handle);

    std::string raw, headers, body;
    auto start = std::chrono::steady_clock::now();
    for (const auto& file : train) {
        if (!readFile(file.path, raw)) continue;
        splitMessage(raw, headers, body);
        engine.TW_addMessage(handle, headers, body, file.spam ? 100 : -100);
    }
    run.trainSeconds = seconds(start);

    start = std::chrono::steady_clock::now();
    for (const auto& file : test) {
        int32_t score = 0;
        if (readFile(file.path, raw)) {
            splitMessage(raw, headers, body);
            engine.TW_score(handle, headers, body, "", 0, "", score);
        }
        run.scores.push_back(score);
    }
    run.scoreSeconds = seconds(start);
    engine.TW_destructor(handle);
    run.storeBytes = folderBytes(dataFolder);
    return run;
}

std::vector<LabelledScore> labelled(const std::vector<CorpusFile>& test, const std::vector<double>& scores) {
    std::vector<LabelledScore> out;
    for (size_t i = 0; i < test.size() && i < scores.size(); ++i)
        if (scores[i] >= 0) out.push_back({scores[i], test[i].spam});  // below 0: not in the sample scored
    return out;
}

void writeScores(const std::string& path, const std::vector<CorpusFile>& test, const std::vector<double>& scores) {
    if (path.empty()) return;
    std::ofstream out(path);
    for (size_t i = 0; i < test.size() && i < scores.size(); ++i)
        out << test[i].path << '\t' << scores[i] << '\t' << (test[i].spam ? "spam" : "ham") << '\n';
}

/// --corpus and --validation as the folders they stand for.
void addCorpusFolders(Options& options) {
    auto& f = options.folders;
    if (!options.corpus.empty()) {
        const fs::path corpus = options.corpus;
        std::vector<std::string> ham{(corpus / "ham").string()};
        if (fs::is_directory(corpus / "hard_ham")) ham.push_back((corpus / "hard_ham").string());
        const std::string spam = (corpus / "spam").string();
        f.trainHam.insert(f.trainHam.end(), ham.begin(), ham.end());
        f.trainSpam.push_back(spam);
        if (options.validation.empty()) {
            f.testHam.insert(f.testHam.end(), ham.begin(), ham.end());
            f.testSpam.push_back(spam);
        }
    }
    if (!options.validation.empty()) {
        f.testHam.push_back((fs::path(options.validation) / "ham").string());
        f.testSpam.push_back((fs::path(options.validation) / "spam").string());
    }
}

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw std::runtime_error("missing value after " + arg);
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            std::cout << kHelp;
            std::exit(0);
        } else if (arg == "--corpus") options.corpus = value();
        else if (arg == "--validation") options.validation = value();
        else if (arg == "--train-ham") options.folders.trainHam.push_back(value());
        else if (arg == "--train-spam") options.folders.trainSpam.push_back(value());
        else if (arg == "--test-ham") options.folders.testHam.push_back(value());
        else if (arg == "--test-spam") options.folders.testSpam.push_back(value());
        else if (arg == "--holdout") options.folders.holdout = std::max(2, std::atoi(value().c_str()));
        else if (arg == "--scores") options.scoresFile = value();
        else if (arg == "--bogofilter-scores") options.bogofilterScoresFile = value();
        else if (arg == "--engine-dir") options.engineDir = value();
        else if (arg == "--max-word-entries") options.maxWordEntries = value();
        else if (arg == "--whole-corpus-store") options.wholeCorpusStore = true;
        else if (arg == "--no-bogofilter") options.bogofilter = false;
        else if (arg == "--rules-only") options.rulesOnly = true;
        else if (arg == "--user-store") options.userStore = std::max(1, std::atoi(value().c_str()));
        else if (arg == "--no-rules") options.noRules = true;
        else if (arg == "--rules-folder") options.rulesFolder = value();
        else if (arg == "--spamassassin") options.spamAssassin = true;
        else if (arg == "--peer-limit") options.peerLimit = std::max(1, std::atoi(value().c_str()));
        else throw std::runtime_error("unknown option " + arg + " (see --help)");
    }
    addCorpusFolders(options);
    return !(options.folders.trainHam.empty() || options.folders.trainSpam.empty() || options.folders.testHam.empty() ||
             options.folders.testSpam.empty());
}

void printRow(const char* name, const std::string& ours, const std::string& theirs) {
    std::printf("%-30s %16s %16s\n", name, ours.c_str(), theirs.c_str());
}

/// `perClass` spam and as many legitimate messages, taken evenly from each class of `train`.
std::vector<CorpusFile> smallStore(const std::vector<CorpusFile>& train, int perClass) {
    std::vector<CorpusFile> picked;
    for (bool spam : {false, true}) {
        std::vector<CorpusFile> cls;
        for (const auto& f : train)
            if (f.spam == spam) cls.push_back(f);
        const size_t want = std::min(cls.size(), static_cast<size_t>(perClass));
        for (size_t i = 0; i < want; ++i) picked.push_back(cls[i * cls.size() / want]);
    }
    return picked;
}

std::string fixed(double v, int digits) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", digits, v);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    try {
        if (!parse(argc, argv, options)) {
            std::cerr << "engine_bench: give at least one folder each for --train-ham, --train-spam, --test-ham and "
                         "--test-spam (see --help)\n";
            return 2;
        }
        CorpusSplit split = splitCorpus(options.folders);
        if (options.rulesOnly) split.train.clear();
        else if (options.userStore > 0) split.train = smallStore(split.train, options.userStore);
        size_t testSpam = 0;
        for (const auto& f : split.test) testSpam += f.spam;
        std::printf("training on %zu messages, scoring %zu (%zu ham, %zu spam)\n", split.train.size(), split.test.size(),
                    split.test.size() - testSpam, testSpam);

        fs::path work = fs::temp_directory_path() / ("tarn-bench-" + std::to_string(::getpid()));
        fs::remove_all(work);
        fs::create_directories(work / "engine");
        EngineRun ours = runEngine(options, split.train, split.test, work / "engine");
        writeScores(options.scoresFile, split.test, ours.scores);

        ComparatorResult theirs;
        const bool spamAssassin = options.spamAssassin || options.rulesOnly;
        const char* peer = spamAssassin ? "spamassassin" : "bogofilter";
        if (!options.bogofilter) theirs.problem = "skipped";
        else if (spamAssassin && !options.spamAssassin) theirs.problem = "skipped (add --spamassassin)";
        else if (spamAssassin && spamAssassinAvailable())
            theirs = runSpamAssassin(split, (work / "spamassassin").string(), options.peerLimit);
        else if (!spamAssassin && bogofilterAvailable()) theirs = runBogofilter(split, (work / "bogofilter").string());
        else theirs.problem = std::string(peer) + " is not installed";
        if (theirs.ran) writeScores(options.bogofilterScoresFile, split.test, theirs.scores);

        auto ourScores = labelled(split.test, ours.scores);
        auto theirScores = labelled(split.test, theirs.scores);
        auto both = [&](auto metric) {
            return std::make_pair(metric(ourScores, ours), theirs.ran ? metric(theirScores, theirs) : std::string("-"));
        };
        auto row = [&](const char* name, auto metric) {
            auto [a, b] = both(metric);
            printRow(name, a, b);
        };
        const double trainCount = static_cast<double>(split.train.size()), testCount = static_cast<double>(split.test.size());
        std::printf("\n");
        printRow("", "tarnengine", peer);
        row("ROC area", [](auto& s, auto&) { return fixed(rocArea(s), 5); });
        row("1 - ROC area", [](auto& s, auto&) { return fixed(1 - rocArea(s), 5); });
        row("spam caught at 0 FP", [](auto& s, auto&) { return fixed(100 * spamCaughtAt(s, 0), 1) + "%"; });
        row("spam caught at 0.1% FP", [](auto& s, auto&) { return fixed(100 * spamCaughtAt(s, 0.001), 1) + "%"; });
        for (double t : kThresholds) {
            std::string name = "ham scoring >= " + fixed(t, 0);
            row(name.c_str(), [t](auto& s, auto&) { return fixed(100 * shareAtOrAbove(s, t, false), 1) + "%"; });
        }
        for (double t : kThresholds) {
            std::string name = "spam scoring >= " + fixed(t, 0);
            row(name.c_str(), [t](auto& s, auto&) { return fixed(100 * shareAtOrAbove(s, t, true), 1) + "%"; });
        }
        row("training msgs/s", [&](auto&, auto& r) { return fixed(trainCount / std::max(r.trainSeconds, 1e-9), 0); });
        row("scoring msgs/s", [&](auto&, auto& r) { return fixed(testCount / std::max(r.scoreSeconds, 1e-9), 0); });
        row("store bytes (training part)", [](auto&, auto& r) { return std::to_string(r.storeBytes); });
        if (spamAssassin && theirs.ran)
            printRow("spam at 5.0 points", "-",
                     fixed(100 * shareAtOrAbove(theirScores, spamAssassinScaled(5.0) - 1e-9, true), 1) + "%");
        if (spamAssassin && theirs.ran)
            printRow("ham at 5.0 points", "-",
                     fixed(100 * shareAtOrAbove(theirScores, spamAssassinScaled(5.0) - 1e-9, false), 1) + "%");
        if (!theirs.ran) std::printf("\n%s: %s\n", peer, theirs.problem.c_str());

        if (options.wholeCorpusStore) {
            // Validation mail is for measuring only: the store is never trained on it.
            std::vector<CorpusFile> all = split.train;
            if (options.validation.empty()) all.insert(all.end(), split.test.begin(), split.test.end());
            fs::create_directories(work / "whole");
            EngineRun whole = runEngine(options, all, {}, work / "whole");
            std::printf("\nstore after training on all %zu messages: %lld bytes (with its backup copy)\n", all.size(),
                        whole.storeBytes);
        }
        fs::remove_all(work);
    } catch (const tw::Error& e) {
        std::cerr << "engine_bench: " << e.description() << '\n';
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "engine_bench: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
