// The keyed string set: insertion-ordered texts compared exactly (callers lower-case first).
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

/// Sender lists of 100,000 entries are read at every start of the mail client, so the set keeps its
/// texts in one array in insertion order and finds them through an open-addressed table of
/// positions: one allocation per long text, no node per entry.
class KeyedSet {
public:
    /// Walks the texts in insertion order, past the places of removed ones.
    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = std::string;
        using difference_type = std::ptrdiff_t;
        using pointer = const std::string*;
        using reference = const std::string&;

        const_iterator() = default;
        reference operator*() const { return set_->keys_[position_]; }
        pointer operator->() const { return &set_->keys_[position_]; }
        const_iterator& operator++() {
            ++position_;
            skipRemoved();
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator before = *this;
            ++*this;
            return before;
        }
        bool operator==(const const_iterator& other) const { return position_ == other.position_; }

    private:
        friend class KeyedSet;
        const_iterator(const KeyedSet* set, size_t position) : set_(set), position_(position) { skipRemoved(); }
        void skipRemoved() {
            while (position_ < set_->keys_.size() && set_->removed_[position_]) ++position_;
        }
        const KeyedSet* set_ = nullptr;
        size_t position_ = 0;
    };

    bool Exists(std::string_view key) const { return findSlot(key, hashOf(key)) != kNone; }
    /// Adds a key; adding one that exists raises error 457 as the scripting dictionary does.
    void Add(const std::string& key);
    /// Adds a key unless present; returns whether it was added.
    bool insert(const std::string& key) { return insert(std::string(key)); }
    bool insert(std::string&& key);
    /// Makes room for this many keys in all, so that a large list is indexed without rehashing.
    void reserve(size_t count);
    /// Removes a key; removing one that is missing raises error 32811.
    void Remove(const std::string& key);
    bool erase(std::string_view key);
    void RemoveAll();
    size_t Count() const { return count_; }
    std::vector<std::string> Keys() const { return {begin(), end()}; }

    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, keys_.size()}; }

private:
    static constexpr size_t kNone = static_cast<size_t>(-1);
    /// A slot of the table: the key's hash in the high half, its position plus one in the low half;
    /// zero when empty.
    using Slot = uint64_t;

    static uint64_t hashOf(std::string_view key);
    size_t findSlot(std::string_view key, uint64_t hash) const;
    void placeInTable(uint64_t hash, size_t position);
    void rebuildTable(size_t capacity);
    /// Drops the places of removed texts once they outnumber the texts kept.
    void compactIfSparse();

    std::vector<std::string> keys_;
    std::vector<uint8_t> removed_;
    std::vector<Slot> table_;
    size_t count_ = 0;
};

}  // namespace tw
