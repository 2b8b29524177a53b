// Rank statistics over the scores; ties are handled conservatively for the false-positive budget.
#include "BenchMetrics.h"

#include <algorithm>
#include <cmath>

namespace tarn::bench {

double rocArea(const std::vector<LabelledScore>& scores) {
    std::vector<LabelledScore> sorted = scores;
    std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.score < b.score; });
    double hamBelow = 0, pairs = 0;
    size_t spamCount = 0, hamCount = 0;
    for (size_t i = 0; i < sorted.size();) {
        size_t j = i;
        double hamHere = 0, spamHere = 0;
        while (j < sorted.size() && sorted[j].score == sorted[i].score) {
            (sorted[j].spam ? spamHere : hamHere) += 1;
            ++j;
        }
        pairs += spamHere * (hamBelow + hamHere / 2);
        hamBelow += hamHere;
        spamCount += static_cast<size_t>(spamHere);
        hamCount += static_cast<size_t>(hamHere);
        i = j;
    }
    if (spamCount == 0 || hamCount == 0) return 0;
    return pairs / (static_cast<double>(spamCount) * static_cast<double>(hamCount));
}

double spamCaughtAt(const std::vector<LabelledScore>& scores, double falsePositiveRate) {
    std::vector<double> ham, spam;
    for (const auto& s : scores) (s.spam ? spam : ham).push_back(s.score);
    if (spam.empty()) return 0;
    if (ham.empty()) return 1;
    std::sort(ham.begin(), ham.end(), std::greater<>());
    size_t allowed = static_cast<size_t>(std::floor(falsePositiveRate * static_cast<double>(ham.size()) + 1e-9));
    if (allowed >= ham.size()) return 1;
    double threshold = ham[allowed];  // the highest ham that must stay below the line
    size_t caught = static_cast<size_t>(std::count_if(spam.begin(), spam.end(), [&](double s) { return s > threshold; }));
    return static_cast<double>(caught) / static_cast<double>(spam.size());
}

double shareAtOrAbove(const std::vector<LabelledScore>& scores, double threshold, bool spam) {
    size_t total = 0, above = 0;
    for (const auto& s : scores) {
        if (s.spam != spam) continue;
        ++total;
        above += s.score >= threshold;
    }
    return total ? static_cast<double>(above) / static_cast<double>(total) : 0;
}

}  // namespace tarn::bench
