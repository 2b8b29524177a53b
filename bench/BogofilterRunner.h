// Drives the bogofilter program over the same split, for a side-by-side comparison.
#pragma once

#include <string>
#include <vector>

#include "BenchCorpus.h"

namespace tarn::bench {

struct ComparatorResult {
    bool ran = false;
    std::string problem;
    double trainSeconds = 0;
    double scoreSeconds = 0;
    std::vector<double> scores;  ///< 0..100, in the order of the test files
    long long storeBytes = 0;
};

bool bogofilterAvailable();
/// Trains a fresh word list in `workFolder` with bulk mode and scores the test files in bulk mode.
ComparatorResult runBogofilter(const CorpusSplit& split, const std::string& workFolder);

}  // namespace tarn::bench
