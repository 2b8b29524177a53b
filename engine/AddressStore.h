// The people the user corresponds with: addresses the user writes to and addresses seen in approved mail.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "StoreRecovery.h"

namespace tarn::engine {

struct AddressCounts {
    uint32_t to = 0;    ///< times the user wrote to this address
    uint32_t from = 0;  ///< times it was seen in approved mail
};

class AddressStore {
public:
    /// Lower case without angle brackets or blanks; empty when the text is not a plausible address.
    static std::string normalize(std::string_view address);

    /// Adds (or, with add false, takes away) `number` sightings; false for an implausible address.
    bool change(std::string_view address, bool toAddress, int32_t number, bool add);
    AddressCounts lookup(std::string_view address) const;
    size_t size() const { return entries_.size(); }

    /// Imports a list of addresses: this store's own file, or lines of "to ADDRESS", "from ADDRESS" or a
    /// bare address (a from-address). Counts are merged by taking the larger. Returns the addresses read.
    int32_t importList(std::string_view text);

    std::string serialize() const;
    bool deserialize(std::string_view text);
    /// The file, else its backup; damaged files are kept aside (see loadStoreFile).
    StoreLoad load(const std::string& path);
    bool save(const std::string& path) const;

private:
    std::map<std::string, AddressCounts> entries_;
};

}  // namespace tarn::engine
