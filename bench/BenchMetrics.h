// Accuracy measures of a scored test set: ROC area, spam caught at a false-positive budget, threshold shares.
#pragma once

#include <cstddef>
#include <vector>

namespace tarn::bench {

struct LabelledScore {
    double score;
    bool spam;
};

/// The probability that a random spam scores above a random ham; ties count half.
double rocArea(const std::vector<LabelledScore>& scores);

/// Share of spam scoring strictly above the ham score that leaves at most `falsePositiveRate` of ham
/// at or above it (0 means: above every ham).
double spamCaughtAt(const std::vector<LabelledScore>& scores, double falsePositiveRate);

/// Share of the spam (or of the ham) scoring `threshold` or more: what a user's threshold moves.
double shareAtOrAbove(const std::vector<LabelledScore>& scores, double threshold, bool spam);

}  // namespace tarn::bench
