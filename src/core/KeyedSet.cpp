// Insertion-ordered set of texts with constant-time lookup and removal.
#include "core/KeyedSet.h"

#include <utility>

#include "core/Error.h"

namespace tw {

KeyedSet::KeyedSet(const KeyedSet& other) {
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
    index_.emplace(key, std::prev(keys_.end()));
    return true;
}

void KeyedSet::Remove(const std::string& key) {
    if (!erase(key)) throw Error(32811, "Scripting.Dictionary", "Element not found");
}

bool KeyedSet::erase(const std::string& key) {
    auto it = index_.find(key);
    if (it == index_.end()) return false;
    keys_.erase(it->second);
    index_.erase(it);
    return true;
}

void KeyedSet::RemoveAll() {
    keys_.clear();
    index_.clear();
}

}  // namespace tw
