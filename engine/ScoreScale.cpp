// The ends of the scale carry the ranking that a linear 0..100 would throw away.
#include "ScoreScale.h"

#include <algorithm>
#include <cmath>

namespace tarn::engine {

namespace {

constexpr double kEdge = 0.1;
constexpr double kDecadesToEnd = 6.0;

double decadesBeyondEdge(double tail) { return std::log10(kEdge / std::max(tail, 1e-300)); }

}  // namespace

int32_t scoreOf(const Verdict& verdict) {
    double p = std::clamp(verdict.probability, 0.0, 1.0);
    double c = std::clamp(verdict.complement, 0.0, 1.0);
    double score;
    if (c <= kEdge) {
        score = 90.0 + 10.0 * std::min(1.0, decadesBeyondEdge(c) / kDecadesToEnd);
    } else if (p < kEdge) {
        score = 10.0 - 10.0 * std::min(1.0, decadesBeyondEdge(p) / kDecadesToEnd);
    } else {
        score = 10.0 + (p - kEdge) * 100.0;
    }
    return static_cast<int32_t>(std::clamp(std::floor(score + 1e-9), 0.0, 100.0));
}

}  // namespace tarn::engine
