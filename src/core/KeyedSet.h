// The keyed string set: insertion-ordered texts compared exactly (callers lower-case first).
#pragma once

#include <list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tw {

class KeyedSet {
public:
    KeyedSet() = default;
    /// A copy has an index of its own: the index points into the set's own list of keys.
    KeyedSet(const KeyedSet& other);
    KeyedSet& operator=(const KeyedSet& other);
    KeyedSet(KeyedSet&&) noexcept = default;
    KeyedSet& operator=(KeyedSet&&) noexcept = default;

    bool Exists(std::string_view key) const { return index_.count(key) != 0; }
    /// Adds a key; adding one that exists raises error 457 as the scripting dictionary does.
    void Add(const std::string& key);
    /// Adds a key unless present; returns whether it was added.
    bool insert(const std::string& key);
    bool insert(std::string&& key);
    /// Makes room for this many keys in all, so that a large list is indexed without rehashing.
    void reserve(size_t count) { index_.reserve(count); }
    /// Removes a key; removing one that is missing raises error 32811.
    void Remove(const std::string& key);
    bool erase(const std::string& key);
    void RemoveAll();
    size_t Count() const { return keys_.size(); }
    std::vector<std::string> Keys() const { return {keys_.begin(), keys_.end()}; }

    auto begin() const { return keys_.begin(); }
    auto end() const { return keys_.end(); }

private:
    /// Each key is stored once, in its list node; the index views it there (list nodes never move).
    std::list<std::string> keys_;
    std::unordered_map<std::string_view, std::list<std::string>::iterator> index_;
};

}  // namespace tw
