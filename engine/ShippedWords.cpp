// Reading and writing the shipped word table.
#include "ShippedWords.h"

#include <algorithm>

namespace tarn::engine {

namespace {

constexpr size_t kEntrySize = 12;

void put(std::string& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xff);
}

uint64_t get(std::string_view in, size_t at, int bytes) {
    uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(in[at + static_cast<size_t>(i)]);
    return value;
}

bool byKey(const ShippedWord& a, const ShippedWord& b) { return a.key < b.key; }

}  // namespace

std::string ShippedWords::serialize(std::vector<ShippedWord> words) {
    std::sort(words.begin(), words.end(), byKey);
    words.erase(std::unique(words.begin(), words.end(), [](auto& a, auto& b) { return a.key == b.key; }), words.end());
    std::string out;
    out.reserve(4 + words.size() * kEntrySize);
    put(out, words.size(), 4);
    for (const auto& word : words) {
        put(out, word.key, 8);
        put(out, word.probability, 2);
        put(out, word.evidence, 2);
    }
    return out;
}

bool ShippedWords::merge(std::string_view body) {
    if (body.size() < 4) return false;
    const uint64_t count = get(body, 0, 4);
    if (body.size() != 4 + count * kEntrySize) return false;
    std::vector<ShippedWord> added(count);
    for (size_t i = 0; i < count; ++i) {
        const size_t at = 4 + i * kEntrySize;
        added[i] = {get(body, at, 8), static_cast<uint16_t>(get(body, at + 8, 2)), static_cast<uint16_t>(get(body, at + 10, 2))};
        if (i > 0 && added[i].key <= added[i - 1].key) return false;
    }
    const size_t before = words_.size();
    words_.insert(words_.end(), added.begin(), added.end());
    std::inplace_merge(words_.begin(), words_.begin() + static_cast<std::ptrdiff_t>(before), words_.end(), byKey);
    // A key in both files keeps its first entry.
    words_.erase(std::unique(words_.begin(), words_.end(), [](auto& a, auto& b) { return a.key == b.key; }), words_.end());
    return true;
}

const ShippedWord* ShippedWords::find(uint64_t key) const {
    auto it = std::lower_bound(words_.begin(), words_.end(), ShippedWord{key, 0, 0}, byKey);
    return it != words_.end() && it->key == key ? &*it : nullptr;
}

}  // namespace tarn::engine
