// The trained word counts: a flat hash table keyed by token hash, persisted with a checksum.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "StoreRecovery.h"

namespace tarn::engine {

struct WordCounts {
    uint32_t spam = 0;
    uint32_t ham = 0;
};

struct TrainingTotals {
    uint32_t spamMessages = 0;
    uint32_t hamMessages = 0;
    uint64_t spamWeight = 0;  ///< sum of the weights trained as spam; token counts are in the same unit
    uint64_t hamWeight = 0;
    uint32_t serial = 0;      ///< number of trainings, used to tell recent words from old ones
};

class WordStore {
public:
    WordStore();

    /// The counts of one token; false when it was never trained (or was pruned).
    bool find(uint64_t key, WordCounts& counts) const;
    /// Adds a message's distinct features to one class with the given weight.
    void train(const std::vector<uint64_t>& features, bool spam, uint32_t weight);
    /// Keeps the `maxEntries` most useful entries: the most often seen, the newer first among equals.
    void prune(size_t maxEntries);

    size_t size() const { return used_; }
    const TrainingTotals& totals() const { return totals_; }

    std::string serialize() const;
    /// False (and the store unchanged) when the data is damaged or of another format.
    bool deserialize(std::string_view data);

    /// Loads the file, or its backup when the file is missing or damaged; a damaged file is kept
    /// aside under a name of its own (see loadStoreFile). The store is unchanged when nothing was read.
    StoreLoad load(const std::string& path);
    /// Replaces the file atomically, keeping the previous one as its backup.
    bool save(const std::string& path) const;

    void clear();

private:
    struct Slot {
        uint64_t key = 0;
        uint32_t spam = 0;
        uint32_t ham = 0;
        uint32_t stamp = 0;
    };

    Slot& slotFor(uint64_t key);
    void grow();
    void insertLoaded(const Slot& slot);

    std::vector<Slot> slots_;
    size_t used_ = 0;
    TrainingTotals totals_;
};

}  // namespace tarn::engine
