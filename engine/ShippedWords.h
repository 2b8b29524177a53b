// The shipped word probabilities of the rule files tw1 and tw2: a sorted table looked up by token key.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarn::engine {

struct ShippedWord {
    uint64_t key = 0;         ///< the token's hash, as the Tokenizer makes it
    uint16_t probability = 0; ///< spam probability times 65535
    uint16_t evidence = 0;    ///< messages of the base model's corpus that held the token, at most 65535

    double spamProbability() const { return probability / 65535.0; }
};

/// The body of a word rule file: the number of entries (32-bit), then per entry the key (64-bit), the
/// probability and the evidence (16-bit each), all little-endian, keys strictly increasing.
class ShippedWords {
public:
    static std::string serialize(std::vector<ShippedWord> words);
    /// Adds the entries of one body; false (and nothing added) when the body is not well formed.
    bool merge(std::string_view body);
    void clear() { words_.clear(); }

    const ShippedWord* find(uint64_t key) const;
    size_t size() const { return words_.size(); }
    bool empty() const { return words_.empty(); }

private:
    std::vector<ShippedWord> words_;
};

}  // namespace tarn::engine
