// Drives the spamassassin program with its shipped rules only (no Bayes, no network tests) over the test mail.
#pragma once

#include <string>

#include "BenchCorpus.h"
#include "BogofilterRunner.h"

namespace tarn::bench {

bool spamAssassinAvailable();
/// Scores the test files (every one, or an even sample of `limit` of them when `limit` > 0; the others
/// score -1 and are left out of the metrics). Its points are mapped to 0..100 so that 5.0, its own
/// threshold, lands on 90 and the order is kept: 100 / (1 + e^(-(points - 5) / 2) / 9).
ComparatorResult runSpamAssassin(const CorpusSplit& split, const std::string& workFolder, int limit);

/// The mapping above and its inverse.
double spamAssassinScaled(double points);
double spamAssassinPoints(double scaled);

}  // namespace tarn::bench
