// Turns a message into the set of hashed features the classifier weighs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarn::engine {

struct TokenizerLimits {
    size_t maxHeaderBytes = 256 * 1024;
    size_t maxTextBytes = 512 * 1024;  ///< decoded body text looked at; the rest of a huge mail adds little
    size_t maxFeatures = 40000;
    bool wordPairs = false;  ///< adjacent word pairs as features too: on this corpus they cost 4x the store for no gain
};

/// Features are 64-bit hashes, kept apart for the headers and the body so that each can be weighed
/// on its own; within each, every distinct feature appears once, sorted.
struct MessageFeatures {
    std::vector<uint64_t> header;
    std::vector<uint64_t> body;
};

class Tokenizer {
public:
    explicit Tokenizer(TokenizerLimits limits = {}) : limits_(limits) {}

    void tokenize(std::string_view headers, std::string_view body, MessageFeatures& features) const;
    /// Tokenizes again to tell what each of `keys` stands for, as "where:token" ("subject:cheap",
    /// "from-address:joe@example.com", "body:offer"); a key the message does not give is named "#" and its hex.
    std::vector<std::string> nameFeatures(std::string_view headers, std::string_view body,
                                          const std::vector<uint64_t>& keys) const;

    /// What nameFeatures collects while it tokenizes; scoring never makes one.
    struct Namer;

private:
    void run(std::string_view headers, std::string_view body, MessageFeatures& features, Namer* namer) const;

    TokenizerLimits limits_;
};

}  // namespace tarn::engine
