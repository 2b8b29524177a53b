// Insertion-ordered set of texts with constant-time lookup and removal.
#include "core/KeyedSet.h"

#include <utility>

#include "core/Error.h"

namespace tw {

KeyedSet::KeyedSet(const KeyedSet& other) {
    index_.reserve(other.keys_.size());
    for (const auto& key : other.keys_) insert(key);
}

KeyedSet& KeyedSet::operator=(const KeyedSet& other) {
    if (this != &other) {
        KeyedSet copy(other);
        *this = std::move(copy);
    }
    return *this;
}

void KeyedSet::Add(const std::string& key) {
    if (!insert(key)) throw Error(457, "Scripting.Dictionary", "This key is already associated with an element of this collection");
}

bool KeyedSet::insert(const std::string& key) {
    if (index_.count(key)) return false;
    keys_.push_back(key);
    index_.emplace(keys_.back(), std::prev(keys_.end()));
    return true;
}

bool KeyedSet::insert(std::string&& key) {
    if (index_.count(key)) return false;
    keys_.push_back(std::move(key));
    index_.emplace(keys_.back(), std::prev(keys_.end()));
    return true;
}

void KeyedSet::Remove(const std::string& key) {
    if (!erase(key)) throw Error(32811, "Scripting.Dictionary", "Element not found");
}

bool KeyedSet::erase(const std::string& key) {
    auto it = index_.find(key);
    if (it == index_.end()) return false;
    // The index entry goes first: its key views the text in the list node.
    auto node = it->second;
    index_.erase(it);
    keys_.erase(node);
    return true;
}

void KeyedSet::RemoveAll() {
    index_.clear();
    keys_.clear();
}

}  // namespace tw
