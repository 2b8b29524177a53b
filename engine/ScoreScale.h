// Maps a spam probability onto the add-in's 0..100 score scale.
#pragma once

#include <cstdint>

#include "Classifier.h"

namespace tarn::engine {

/// Linear between 10 and 90 (a score of 90 means a probability of at least 0.9); the ends are
/// logarithmic, one score point per 0.6 decades of certainty, so that a merely likely message
/// never shares the top or bottom score with a certain one.
int32_t scoreOf(const Verdict& verdict);

}  // namespace tarn::engine
