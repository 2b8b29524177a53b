// Insertion-ordered set of texts with constant-time lookup and removal.
#include "core/KeyedSet.h"

#include <bit>
#include <functional>
#include <utility>

#include "core/Error.h"

namespace tw {

namespace {
constexpr size_t kSmallestTable = 16;

uint32_t hashTag(uint64_t hash) { return static_cast<uint32_t>(hash >> 32); }
size_t positionIn(uint64_t slot) { return static_cast<size_t>(slot & 0xFFFFFFFFu) - 1; }

/// The table is kept at most half full, so that linear probing stays short.
size_t tableFor(size_t keys) { return std::max(kSmallestTable, std::bit_ceil(keys * 2 + 1)); }
}  // namespace

uint64_t KeyedSet::hashOf(std::string_view key) { return std::hash<std::string_view>{}(key); }

size_t KeyedSet::findSlot(std::string_view key, uint64_t hash) const {
    if (table_.empty()) return kNone;
    const size_t mask = table_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot slot = table_[i];
        if (slot == 0) return kNone;
        if (static_cast<uint32_t>(slot >> 32) == hashTag(hash) && keys_[positionIn(slot)] == key) return i;
    }
}

void KeyedSet::placeInTable(uint64_t hash, size_t position) {
    const size_t mask = table_.size() - 1;
    size_t i = hash & mask;
    while (table_[i] != 0) i = (i + 1) & mask;
    table_[i] = (static_cast<Slot>(hashTag(hash)) << 32) | static_cast<Slot>(position + 1);
}

void KeyedSet::rebuildTable(size_t capacity) {
    table_.assign(capacity, 0);
    for (size_t position = 0; position < keys_.size(); ++position)
        if (!removed_[position]) placeInTable(hashOf(keys_[position]), position);
}

void KeyedSet::reserve(size_t count) {
    keys_.reserve(count);
    removed_.reserve(count);
    if (tableFor(count) > table_.size()) rebuildTable(tableFor(count));
}

void KeyedSet::Add(const std::string& key) {
    if (!insert(key)) throw Error(457, "Scripting.Dictionary", "This key is already associated with an element of this collection");
}

bool KeyedSet::insert(std::string&& key) {
    const uint64_t hash = hashOf(key);
    if (findSlot(key, hash) != kNone) return false;
    if (keys_.size() >= 0xFFFFFFFEu) throw Error(7, "KeyedSet", "Out of memory");
    keys_.push_back(std::move(key));
    removed_.push_back(0);
    ++count_;
    if (tableFor(keys_.size()) > table_.size()) rebuildTable(tableFor(keys_.size()));
    else placeInTable(hash, keys_.size() - 1);
    return true;
}

void KeyedSet::Remove(const std::string& key) {
    if (!erase(key)) throw Error(32811, "Scripting.Dictionary", "Element not found");
}

bool KeyedSet::erase(std::string_view key) {
    size_t hole = findSlot(key, hashOf(key));
    if (hole == kNone) return false;
    const size_t position = positionIn(table_[hole]);
    keys_[position] = std::string();
    removed_[position] = 1;
    --count_;
    // Backward-shift deletion: later slots of the same run move up, so lookups never meet a gap
    // inside a run and no tombstones pile up.
    const size_t mask = table_.size() - 1;
    for (size_t next = (hole + 1) & mask; table_[next] != 0; next = (next + 1) & mask) {
        const size_t home = hashOf(keys_[positionIn(table_[next])]) & mask;
        // The slot may move into the hole only when its home is not between the hole and it.
        if (((next - home) & mask) >= ((next - hole) & mask)) {
            table_[hole] = table_[next];
            hole = next;
        }
    }
    table_[hole] = 0;
    compactIfSparse();
    return true;
}

void KeyedSet::compactIfSparse() {
    const size_t removed = keys_.size() - count_;
    if (removed < 64 || removed < count_) return;
    size_t kept = 0;
    for (size_t position = 0; position < keys_.size(); ++position)
        if (!removed_[position]) {
            if (kept != position) keys_[kept] = std::move(keys_[position]);
            ++kept;
        }
    keys_.resize(kept);
    removed_.assign(kept, 0);
    rebuildTable(tableFor(kept));
}

void KeyedSet::RemoveAll() {
    keys_.clear();
    removed_.clear();
    table_.clear();
    count_ = 0;
}

}  // namespace tw
