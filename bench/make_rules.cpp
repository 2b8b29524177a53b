// Makes the engine's shipped rule files from a training corpus: word probabilities of a base model
// (tw1: the body's words; tw2: header fields and links) and the tuning constants (tw5).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <string>
#include <unordered_map>
#include <vector>

#include "BenchCorpus.h"
#include "FileIo.h"
#include "RuleFile.h"
#include "RuleSet.h"
#include "ShippedWords.h"
#include "Tokenizer.h"

namespace {

using namespace tarn::bench;
using namespace tarn::engine;
namespace fs = std::filesystem;

const char* kHelp = R"(usage: make_rules --corpus DIR --out DIR [options]

Tokenizes DIR/ham, DIR/hard_ham (when present) and DIR/spam as the engine does and writes tw1.bin,
tw2.bin and tw5.bin into the output folder.

  --stamp S           the release stamp (YYYY.MM.DD.HH.MM.SS; default: now, UTC)
  --min-messages N    a word is kept when at least N messages held it (default 4)
  --min-deviation D   ... and its probability is at least D from 0.5 (default 0.1)
  --skip-places LIST  words of these places ("received,message-id") are left out; on the shared
                      corpus leaving any out measured worse
  --holdout N         leaves every N-th file of each folder out, for measuring on the rest
  --strength S, --low L, --high H, --sharpen K, --fade F   the tuning written to tw5 (see engine/README.md)
)";

struct Counts {
    uint32_t spam = 0, ham = 0;
    bool link = false;  // a header field's word or a link's part: goes to tw2
};

std::string nowStamp() {
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y.%m.%d.%H.%M.%S", &utc);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    std::string corpus, out, stamp = nowStamp();
    uint32_t minMessages = 4;
    double minDeviation = 0.1;
    int holdout = 0;
    std::string skipPlaces;
    RuleTuning tuning;  // its defaults are the measured choice: see bench/README.md
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || i + 1 >= argc) {
            std::cout << kHelp;
            return arg == "--help" ? 0 : 2;
        }
        const std::string value = argv[++i];
        if (arg == "--corpus") corpus = value;
        else if (arg == "--out") out = value;
        else if (arg == "--stamp") stamp = value;
        else if (arg == "--min-messages") minMessages = static_cast<uint32_t>(std::stoul(value));
        else if (arg == "--min-deviation") minDeviation = std::stod(value);
        else if (arg == "--holdout") holdout = std::stoi(value);
        else if (arg == "--skip-places") skipPlaces = value;
        else if (arg == "--strength") tuning.strength = std::stod(value);
        else if (arg == "--low") tuning.low = std::stod(value);
        else if (arg == "--high") tuning.high = std::stod(value);
        else if (arg == "--sharpen") tuning.sharpen = std::stod(value);
        else if (arg == "--fade") tuning.fade = std::stod(value);
        else {
            std::cerr << "make_rules: unknown option " << arg << "\n" << kHelp;
            return 2;
        }
    }
    if (corpus.empty() || out.empty() || !isRuleStamp(stamp)) {
        std::cerr << kHelp;
        return 2;
    }

    // For trying whether a place's words tell the corpus's own servers rather than spam from legitimate mail.
    auto skipped = [&skipPlaces](const std::string& name) {
        const std::string place = "," + name.substr(0, name.find(':')) + ",";
        return ("," + skipPlaces + ",").find(place) != std::string::npos;
    };
    Tokenizer tokenizer;
    std::unordered_map<uint64_t, Counts> counts;
    uint32_t spamMessages = 0, hamMessages = 0;
    std::string raw, headers, body;
    MessageFeatures features;
    for (const char* folder : {"ham", "hard_ham", "spam"}) {
        const bool spam = std::string(folder) == "spam";
        const auto files = filesIn((fs::path(corpus) / folder).string());
        for (size_t i = 0; i < files.size(); ++i) {
            if (holdout > 1 && (i + 1) % static_cast<size_t>(holdout) == 0) continue;
            if (!readFile(files[i], raw)) continue;
            splitMessage(raw, headers, body);
            tokenizer.tokenize(headers, body, features);
            const auto names = tokenizer.nameFeatures(headers, body, features.body);
            const auto headerNames = tokenizer.nameFeatures(headers, body, features.header);
            (spam ? spamMessages : hamMessages) += 1;
            auto count = [&](uint64_t key, bool link) {
                Counts& c = counts[key];
                (spam ? c.spam : c.ham) += 1;
                c.link = c.link || link;
            };
            for (size_t k = 0; k < features.header.size(); ++k)
                if (!skipped(headerNames[k])) count(features.header[k], true);
            for (size_t k = 0; k < features.body.size(); ++k)
                if (!skipped(names[k])) count(features.body[k], names[k].rfind("url-", 0) == 0);
        }
    }
    if (spamMessages == 0 || hamMessages == 0) {
        std::cerr << "make_rules: no spam or no legitimate mail under " << corpus << "\n";
        return 1;
    }

    // Robinson's f(w) over the corpus, counted as in the engine: each class's share, as if both had as
    // many messages as the smaller one, leaning to 0.4 when seen little.
    std::vector<ShippedWord> words[2];
    const double smaller = std::min(spamMessages, hamMessages);
    for (const auto& [key, c] : counts) {
        if (c.spam + c.ham < minMessages) continue;
        const double spamRatio = c.spam / double(spamMessages), hamRatio = c.ham / double(hamMessages);
        const double p = spamRatio / (spamRatio + hamRatio), n = (spamRatio + hamRatio) * smaller;
        const double f = (0.4 + n * p) / (1.0 + n);
        if (std::fabs(f - 0.5) < minDeviation) continue;
        words[c.link ? 1 : 0].push_back({key, static_cast<uint16_t>(std::lround(f * 65535)),
                                         static_cast<uint16_t>(std::min<uint32_t>(c.spam + c.ham, 65535))});
    }
    fs::create_directories(out);
    const std::pair<const char*, std::string> files[] = {
        {"tw1", ShippedWords::serialize(words[0])}, {"tw2", ShippedWords::serialize(words[1])}, {"tw5", tuning.serialize()}};
    for (const auto& [name, fileBody] : files) {
        const std::string path = (fs::path(out) / (std::string(name) + ".bin")).string();
        if (!replaceFileAtomically(path, sealRuleFile(name, stamp, fileBody))) {
            std::cerr << "make_rules: cannot write " << path << "\n";
            return 1;
        }
    }
    std::printf("%u spam, %u legitimate messages; tw1 %zu words, tw2 %zu header and link words; stamp %s\n",
                spamMessages, hamMessages, words[0].size(), words[1].size(), stamp.c_str());
    return 0;
}
