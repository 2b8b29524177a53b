// Rows, restriction and columns of the simulated MAPI table.
#include "sim/SimMapiTable.h"

#include "core/Error.h"
#include "sim/SimOutlook.h"
#include "sim/SimSafeMail.h"

namespace tw::sim {

namespace {
constexpr const char* kSource = "TarnwickRedemption.TarnwickMAPITable";
}

safemail::BitmaskRestriction& SimTableFilter::SetKind(int kind) {
    if (kind != safemail::RES_BITMASK)
        throw Error(-2147221246, kSource, "This restriction kind is not supported (MAPI_E_NO_SUPPORT).");
    restriction_.emplace();
    return *restriction_;
}

void SimMapiTable::setItem(std::shared_ptr<outlook::Items> items) {
    if (items && !dynamic_cast<SimItems*>(items.get()))
        throw Error(-2147024809, kSource, "The items are not of this mail client.");
    items_ = std::move(items);
    if (items_) rows_ = static_cast<SimItems&>(*items_).all();
    else rows_.clear();
    position_ = -1;
}

SimItems& SimMapiTable::items() {
    if (!items_) throw Error(-2147467259, kSource, "The Item property of the table is not set.");
    return static_cast<SimItems&>(*items_);
}

bool SimMapiTable::matches(SimItem& item) const {
    const auto& r = filter_.restriction();
    if (!r) return true;
    uint32_t value = static_cast<uint32_t>(itemProperty(item, r->ulPropTag).number());
    bool anySet = (value & r->ulMask) != 0;
    return r->relBMR == safemail::BMR_NEZ ? anySet : !anySet;
}

std::vector<safemail::PropValue> SimMapiTable::rowOf(SimItem& item) const {
    std::vector<safemail::PropValue> row;
    for (uint32_t tag : columns_) {
        auto value = itemProperty(item, tag);
        if (value.isEmpty()) value.value = safemail::PropValue::PropError{};
        row.push_back(std::move(value));
    }
    return row;
}

int SimMapiTable::RowCount() {
    int count = 0;
    for (const auto& item : items().all())
        if (matches(*item)) ++count;
    return count;
}

void SimMapiTable::GoToFirst() {
    rows_ = items().all();
    position_ = -1;
}

bool SimMapiTable::seek(long from, bool forward) {
    for (long i = from; i >= 0 && i < static_cast<long>(rows_.size()); i += forward ? 1 : -1) {
        if (matches(*rows_[static_cast<size_t>(i)])) {
            position_ = i;
            return true;
        }
    }
    position_ = forward ? static_cast<long>(rows_.size()) : -1;
    return false;
}

bool SimMapiTable::FindFirst(bool forward) {
    rows_ = items().all();
    return seek(forward ? 0 : static_cast<long>(rows_.size()) - 1, forward);
}

bool SimMapiTable::FindNext(bool forward) { return seek(position_ + (forward ? 1 : -1), forward); }

std::vector<safemail::PropValue> SimMapiTable::GetRow() {
    if (position_ < 0 || position_ >= static_cast<long>(rows_.size())) return {};
    return rowOf(*rows_[static_cast<size_t>(position_)]);
}

std::vector<std::vector<safemail::PropValue>> SimMapiTable::GetRows(int count) {
    std::vector<std::vector<safemail::PropValue>> batch;
    while (static_cast<int>(batch.size()) < count && seek(position_ + 1, true)) batch.push_back(GetRow());
    return batch;
}

}  // namespace tw::sim
