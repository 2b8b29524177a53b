// The strongest token clues of one classification, kept in a fixed array so scoring allocates nothing for them.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "WordStore.h"

namespace tarn::engine {

struct TokenClue {
    uint64_t key = 0;
    double probability = 0.5;
    WordCounts counts;
    bool shipped = false;  ///< the probability is the shipped rules' alone: the user's store has no counts for it
};

class StrongestTokens {
public:
    static constexpr size_t kCapacity = 10;

    /// Keeps the clue when it is among the strongest (farthest from 0.5); among equals the first seen stays first.
    void offer(uint64_t key, double probability, const WordCounts& counts, bool shipped = false) {
        const double strength = std::fabs(probability - 0.5);
        if (size_ == kCapacity && strength <= std::fabs(clues_[size_ - 1].probability - 0.5)) return;
        size_t at = size_ < kCapacity ? size_++ : size_ - 1;
        while (at > 0 && std::fabs(clues_[at - 1].probability - 0.5) < strength) {
            clues_[at] = clues_[at - 1];
            --at;
        }
        clues_[at] = {key, probability, counts, shipped};
    }
    void clear() { size_ = 0; }

    size_t size() const { return size_; }
    const TokenClue& operator[](size_t i) const { return clues_[i]; }

private:
    std::array<TokenClue, kCapacity> clues_{};
    size_t size_ = 0;
};

}  // namespace tarn::engine
