// Combines the evidence of a message's features into a spam probability.
#pragma once

#include <cstdint>
#include <vector>

#include "Clues.h"
#include "RuleSet.h"
#include "Tokenizer.h"
#include "WordStore.h"

namespace tarn::engine {

struct ClassifierTuning {
    double strength = 1.0;       ///< s: how much a rarely seen word leans to the prior, in messages of the smaller class
    double prior = 0.4;          ///< x: the probability assumed for a word seen too little; below 0.5 guards against false positives
    double minDeviation = 0.25;  ///< only words below 0.25 or above 0.75 count: the rest is noise on long messages
    size_t maxDiscriminators = 150;
    /// At most this many of the body's clues on each side of 0.5, the strongest. Spam pads its text
    /// with hundreds of ordinary words copied from elsewhere, each mildly legitimate; uncapped they
    /// outvote the headers, the markup and the links, however sure those are.
    size_t maxBodyCluesPerSide = 60;
};

/// A fixed piece of evidence from outside the word store (the address book, the score flags),
/// as the probability it gives that the message is spam.
struct ExtraEvidence {
    double probability;
};

struct Verdict {
    double probability = 0.5;  ///< 0..1, 1 meaning spam
    double complement = 0.5;   ///< 1 - probability, kept exact where the probability rounds to 1
    bool hasEvidence = false;
};

class Classifier {
public:
    explicit Classifier(ClassifierTuning tuning = {}) : tuning_(tuning) {}

    /// The strongest clues of headers and body are combined in one verdict with the extra evidence.
    /// Averaging the two parts' verdicts instead caps a message whose headers look ordinary (as spam
    /// sent through a big mail service does) at half its body's certainty. With `useWords` false only
    /// the extra evidence counts; no evidence at all is 0.5. `strongest`, when given, is cleared and
    /// then holds the strongest of the word clues that counted. With `rules` given, a word's shipped
    /// probability stands for it where the store has no counts (all words when `useWords` is false),
    /// and is the prior of f(w) where it has: the user's counts take over as they grow.
    Verdict classify(const WordStore& store, const MessageFeatures& features, bool useWords,
                     const std::vector<ExtraEvidence>& extra, StrongestTokens* strongest = nullptr,
                     const RuleSet* rules = nullptr) const;

    /// Robinson's smoothed probability f(w) for counts in the store's weight units. How sure it is
    /// grows with the word's share of each class, counted as if both classes had as many messages as
    /// the smaller one: ten legitimate messages out of thousands are thin evidence next to a few
    /// hundred spam, and would otherwise make any ordinary word look certain.
    double wordProbability(const WordCounts& counts, const TrainingTotals& totals) const {
        return wordProbability(counts, totals, tuning_.prior, tuning_.strength);
    }
    /// The same with another prior x and strength s.
    double wordProbability(const WordCounts& counts, const TrainingTotals& totals, double prior, double strength) const;

    /// Fisher's combining of probabilities: (1 + S - H) / 2 over the chi-square tail probabilities.
    static Verdict fisherCombine(const std::vector<double>& probabilities);
    /// ln of the probability that chi-square with `degrees` (even) degrees of freedom exceeds `chi2`.
    static double logChiSquareTail(double chi2, int degrees);

    /// Keeps the `perSide` clues farthest from 0.5 below it and as many above it.
    static void keepStrongestOfEachSide(std::vector<double>& clues, size_t perSide);

private:
    void addClues(const WordStore& store, bool useWords, const RuleSet* rules, const std::vector<uint64_t>& features,
                  std::vector<double>& clues, StrongestTokens* strongest) const;

    ClassifierTuning tuning_;
};

}  // namespace tarn::engine
