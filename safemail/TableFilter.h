// The restriction a table's filter holds: none, or one bit mask.
#pragma once

#include <memory>

#include "Mapi.h"

namespace tarn {

struct FilterState {
    bool active = false;
    ULONG propTag = 0, mask = 0, relation = BMR_EQZ;

    bool operator==(const FilterState&) const = default;
};

IDispatch* newTableFilter(std::shared_ptr<FilterState> state);

}  // namespace tarn
