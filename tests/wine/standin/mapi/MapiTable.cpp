// A MAPI table over a snapshot of rows: columns, a bit-mask restriction, a cursor moved by SeekRow and QueryRows.
#include "mapi/MapiTable.h"

#include <optional>

#include "mapi/MapiObject.h"

namespace tw::standin::mapi {

namespace {

class Table : public MapiObject<IMAPITable> {
public:
    Table(std::vector<ULONG> columns, std::vector<TableRow> rows) : columns_(std::move(columns)), rows_(std::move(rows)) {
        refilter();
    }

    HRESULT STDMETHODCALLTYPE GetLastError(HRESULT, ULONG, LPMAPIERROR*) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE Advise(ULONG, LPMAPIADVISESINK, ULONG*) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE Unadvise(ULONG) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE GetStatus(ULONG* status, ULONG* type) override {
        if (!status || !type) return MAPI_E_INVALID_PARAMETER;
        *status = TBLSTAT_COMPLETE;
        *type = TBLTYPE_SNAPSHOT;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetColumns(LPSPropTagArray tags, ULONG) override {
        if (!tags) return MAPI_E_INVALID_PARAMETER;
        columns_.assign(tags->aulPropTag, tags->aulPropTag + tags->cValues);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryColumns(ULONG, LPSPropTagArray* out) override { return copyTags(columns_, out); }
    HRESULT STDMETHODCALLTYPE GetRowCount(ULONG, ULONG* count) override {
        if (!count) return MAPI_E_INVALID_PARAMETER;
        *count = static_cast<ULONG>(visible_.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SeekRow(BOOKMARK origin, LONG rows, LONG* sought) override {
        LONG base = 0, size = static_cast<LONG>(visible_.size());
        if (origin == BOOKMARK_CURRENT) base = static_cast<LONG>(cursor_);
        else if (origin == BOOKMARK_END) base = size;
        else if (origin != BOOKMARK_BEGINNING) return MAPI_E_INVALID_BOOKMARK;
        LONG target = base + rows;
        if (target < 0) target = 0;
        if (target > size) target = size;
        cursor_ = static_cast<size_t>(target);
        if (sought) *sought = target - base;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SeekRowApprox(ULONG, ULONG) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE QueryPosition(ULONG* row, ULONG* numerator, ULONG* denominator) override {
        if (!row || !numerator || !denominator) return MAPI_E_INVALID_PARAMETER;
        *row = *numerator = static_cast<ULONG>(cursor_);
        *denominator = visible_.empty() ? 1 : static_cast<ULONG>(visible_.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE FindRow(LPSRestriction, BOOKMARK, ULONG) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE Restrict(LPSRestriction restriction, ULONG) override {
        if (restriction && restriction->rt != RES_BITMASK) return MAPI_E_TOO_COMPLEX;
        // The caller's restriction may go once the call returns: the table keeps its own copy.
        if (restriction) restriction_ = restriction->res.resBitMask;
        else restriction_.reset();
        refilter();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CreateBookmark(BOOKMARK*) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE FreeBookmark(BOOKMARK) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE SortTable(LPSSortOrderSet, ULONG) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE QuerySortOrder(LPSSortOrderSet*) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE QueryRows(LONG count, ULONG flags, LPSRowSet* out) override {
        if (!out) return MAPI_E_INVALID_PARAMETER;
        *out = nullptr;
        bool back = count < 0;
        size_t wanted = back ? static_cast<size_t>(-static_cast<long long>(count)) : static_cast<size_t>(count);
        size_t available = back ? cursor_ : visible_.size() - cursor_;
        size_t n = wanted < available ? wanted : available;
        void* block = nullptr;
        if (FAILED(allocateBuffer(static_cast<ULONG>(CbNewSRowSet(n ? n : 1)), &block))) return MAPI_E_NOT_ENOUGH_MEMORY;
        auto* set = static_cast<SRowSet*>(block);
        set->cRows = 0;
        for (size_t i = 0; i < n; ++i) {
            size_t at = back ? cursor_ - 1 - i : cursor_ + i;
            SRow& row = set->aRow[i];
            row.ulAdrEntryPad = 0;
            HRESULT hr = buildProps(columns_.data(), static_cast<ULONG>(columns_.size()), rows_[visible_[at]], &row.cValues, &row.lpProps);
            if (FAILED(hr)) {
                for (ULONG j = 0; j < set->cRows; ++j) freeBuffer(set->aRow[j].lpProps);
                freeBuffer(set);
                return hr;
            }
            set->cRows = static_cast<ULONG>(i + 1);
        }
        if (!(flags & TBL_NOADVANCE)) cursor_ = back ? cursor_ - n : cursor_ + n;
        *out = set;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Abort() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ExpandRow(ULONG, LPBYTE, ULONG, ULONG, LPSRowSet*, ULONG*) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE CollapseRow(ULONG, LPBYTE, ULONG, ULONG*) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE WaitForCompletion(ULONG, ULONG, ULONG* status) override {
        if (status) *status = TBLSTAT_COMPLETE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCollapseState(ULONG, ULONG, LPBYTE, ULONG*, LPBYTE*) override { return MAPI_E_NO_SUPPORT; }
    HRESULT STDMETHODCALLTYPE SetCollapseState(ULONG, ULONG, LPBYTE, BOOKMARK*) override { return MAPI_E_NO_SUPPORT; }

protected:
    bool answers(REFIID riid) const override { return IsEqualIID(riid, IID_IMAPITable); }

private:
    /// A bit-mask restriction holds for a PT_LONG value only; a row without it does not pass.
    bool passes(const TableRow& row) const {
        if (!restriction_) return true;
        if (PROP_TYPE(restriction_->ulPropTag) != PT_LONG) return false;
        PropValue value = row(restriction_->ulPropTag);
        if (value.kind != PropValue::Kind::Long) return false;
        bool set = (static_cast<ULONG>(value.number) & restriction_->ulMask) != 0;
        return restriction_->relBMR == BMR_NEZ ? set : !set;
    }
    /// Restrict leaves the cursor at the beginning.
    void refilter() {
        visible_.clear();
        for (size_t i = 0; i < rows_.size(); ++i)
            if (passes(rows_[i])) visible_.push_back(i);
        cursor_ = 0;
    }

    std::vector<ULONG> columns_;
    std::vector<TableRow> rows_;
    std::vector<size_t> visible_;
    std::optional<SBitMaskRestriction> restriction_;
    size_t cursor_ = 0;
};

}  // namespace

HRESULT openTable(std::vector<ULONG> columns, std::vector<TableRow> rows, LPMAPITABLE* out) {
    if (!out) return MAPI_E_INVALID_PARAMETER;
    *out = new Table(std::move(columns), std::move(rows));
    return S_OK;
}

}  // namespace tw::standin::mapi
