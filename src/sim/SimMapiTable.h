// The simulated MAPI table: the contents of a folder as rows, restricted by a bit mask on a
// property and read by columns.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "platform/SafeMail.h"
#include "sim/SimItem.h"

namespace tw::sim {

class SimItems;

class SimTableFilter : public safemail::TableFilter {
public:
    void Clear() override { restriction_.reset(); }
    safemail::BitmaskRestriction& SetKind(int kind) override;
    const std::optional<safemail::BitmaskRestriction>& restriction() const { return restriction_; }

private:
    std::optional<safemail::BitmaskRestriction> restriction_;
};

/// The rows are the collection's items as they stand at GoToFirst or FindFirst; whether a row
/// matches is decided when the walk reaches it, so a message read meanwhile drops out.
class SimMapiTable : public safemail::MAPITable {
public:
    void setItem(std::shared_ptr<outlook::Items> items) override;
    safemail::TableFilter& Filter() override { return filter_; }
    void setColumns(const std::vector<uint32_t>& propTags) override { columns_ = propTags; }
    int RowCount() override;
    void GoToFirst() override;
    bool FindFirst(bool forward) override;
    bool FindNext(bool forward) override;
    std::vector<safemail::PropValue> GetRow() override;
    std::vector<std::vector<safemail::PropValue>> GetRows(int count) override;

private:
    SimItems& items();
    bool matches(SimItem& item) const;
    std::vector<safemail::PropValue> rowOf(SimItem& item) const;
    bool seek(long from, bool forward);

    std::shared_ptr<outlook::Items> items_;
    SimTableFilter filter_;
    std::vector<uint32_t> columns_;
    std::vector<std::shared_ptr<SimItem>> rows_;
    long position_ = -1;  // -1: before the first row
};

}  // namespace tw::sim
