// Robinson's f(w) with Fisher's chi-square combining, done in log space so long messages never underflow.
#include "Classifier.h"

#include <algorithm>
#include <cmath>

namespace tarn::engine {

double Classifier::logChiSquareTail(double chi2, int degrees) {
    if (chi2 <= 0) return 0.0;
    const double m = chi2 / 2.0;
    const int terms = std::max(1, degrees / 2);
    // The terms e^-m m^i / i! summed as logarithms, so neither e^-m nor the sum underflows.
    double logTerm = -m, logSum = logTerm;
    const double logM = std::log(m);
    for (int i = 1; i < terms; ++i) {
        logTerm += logM - std::log(static_cast<double>(i));
        double hi = std::max(logSum, logTerm), lo = std::min(logSum, logTerm);
        logSum = hi + std::log1p(std::exp(lo - hi));
    }
    return std::min(logSum, 0.0);
}

Verdict Classifier::fisherCombine(const std::vector<double>& probabilities) {
    Verdict verdict;
    if (probabilities.empty()) return verdict;
    double logSpam = 0, logHam = 0;
    for (double p : probabilities) {
        p = std::clamp(p, 1e-6, 1 - 1e-6);
        logHam += std::log(p);
        logSpam += std::log1p(-p);
    }
    const int degrees = 2 * static_cast<int>(probabilities.size());
    // Small tails mean strong evidence: the spam tail shrinks when the words lean to spam.
    const double logSpamTail = logChiSquareTail(-2.0 * logSpam, degrees);
    const double logHamTail = logChiSquareTail(-2.0 * logHam, degrees);
    // (1 + S - H) / 2 with S = 1 - spam tail and H = 1 - ham tail, each side written so it stays exact near 0.
    verdict.probability = (std::exp(logHamTail) - std::expm1(logSpamTail)) / 2.0;
    verdict.complement = (std::exp(logSpamTail) - std::expm1(logHamTail)) / 2.0;
    verdict.hasEvidence = true;
    return verdict;
}

double Classifier::wordProbability(const WordCounts& counts, const TrainingTotals& totals, double prior,
                                   double strength) const {
    const double spamTotal = static_cast<double>(std::max<uint64_t>(totals.spamWeight, 1));
    const double hamTotal = static_cast<double>(std::max<uint64_t>(totals.hamWeight, 1));
    const double spamRatio = std::min(1.0, counts.spam / spamTotal);
    const double hamRatio = std::min(1.0, counts.ham / hamTotal);
    if (spamRatio + hamRatio <= 0) return prior;
    const double p = spamRatio / (spamRatio + hamRatio);
    // The smaller class's size in messages rather than weight units.
    const double meanWeight = static_cast<double>(totals.spamWeight + totals.hamWeight) /
                              std::max<uint32_t>(1, totals.spamMessages + totals.hamMessages);
    const double smallerClass = std::min(spamTotal, hamTotal) / std::max(1.0, meanWeight);
    const double n = (spamRatio + hamRatio) * smallerClass;
    return (strength * prior + n * p) / (strength + n);
}

void Classifier::addClues(const WordStore& store, bool useWords, const RuleSet* rules,
                          const std::vector<uint64_t>& features, std::vector<double>& clues,
                          StrongestTokens* strongest) const {
    const TrainingTotals& totals = store.totals();
    const double smallerClass = std::min(totals.spamMessages, totals.hamMessages);
    for (uint64_t key : features) {
        WordCounts counts;
        const bool known = useWords && store.find(key, counts) && (counts.spam > 0 || counts.ham > 0);
        const ShippedWord* shipped = rules ? rules->words().find(key) : nullptr;
        if (!known && !shipped) continue;
        double f;
        if (shipped) {
            const RuleTuning& t = rules->tuning();
            const double x = t.use(shipped->spamProbability());
            if (!useWords) {
                f = x;
            } else if (known) {
                const double w = t.fade / (t.fade + smallerClass);
                f = wordProbability(counts, totals, tuning_.prior + (x - tuning_.prior) * w,
                                    tuning_.strength + (t.strength - tuning_.strength) * w);
            } else {
                continue;  // with the user's training in force, a word it never met is no evidence; measured so
            }
        } else {
            f = wordProbability(counts, totals);
        }
        if (std::fabs(f - 0.5) < tuning_.minDeviation) continue;
        clues.push_back(f);
        if (strongest) strongest->offer(key, f, counts, !known);
    }
}

void Classifier::keepStrongestOfEachSide(std::vector<double>& clues, size_t perSide) {
    auto strongerFirst = [](double a, double b) { return std::fabs(a - 0.5) > std::fabs(b - 0.5); };
    auto hamEnd = std::partition(clues.begin(), clues.end(), [](double f) { return f < 0.5; });
    std::vector<double> ham(clues.begin(), hamEnd), spam(hamEnd, clues.end());
    for (auto* side : {&ham, &spam})
        if (side->size() > perSide) {
            std::nth_element(side->begin(), side->begin() + static_cast<std::ptrdiff_t>(perSide), side->end(),
                             strongerFirst);
            side->resize(perSide);
        }
    clues = std::move(ham);
    clues.insert(clues.end(), spam.begin(), spam.end());
}

Verdict Classifier::classify(const WordStore& store, const MessageFeatures& features, bool useWords,
                             const std::vector<ExtraEvidence>& extra, StrongestTokens* strongest,
                             const RuleSet* rules) const {
    std::vector<double> clues;
    if (strongest) strongest->clear();
    if (rules && rules->words().empty()) rules = nullptr;
    if (useWords || rules) {
        clues.reserve(features.header.size() + features.body.size());
        addClues(store, useWords, rules, features.header, clues, strongest);
        std::vector<double> body;
        addClues(store, useWords, rules, features.body, body, strongest);
        keepStrongestOfEachSide(body, tuning_.maxBodyCluesPerSide);
        clues.insert(clues.end(), body.begin(), body.end());
        if (clues.size() > tuning_.maxDiscriminators) {
            auto strongerFirst = [](double a, double b) { return std::fabs(a - 0.5) > std::fabs(b - 0.5); };
            std::nth_element(clues.begin(), clues.begin() + static_cast<std::ptrdiff_t>(tuning_.maxDiscriminators),
                             clues.end(), strongerFirst);
            clues.resize(tuning_.maxDiscriminators);
        }
    }
    for (const auto& evidence : extra) clues.push_back(evidence.probability);
    return fisherCombine(clues);
}

}  // namespace tarn::engine
