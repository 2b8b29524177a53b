// The table's filter object and its bit-mask restriction, read by the table at its next FindFirst.
#include "DispatchObject.h"
#include "TableFilter.h"

namespace tarn {

namespace {

class RestrictionObject final : public DispatchObject {
public:
    explicit RestrictionObject(std::shared_ptr<FilterState> state) : DispatchObject(L"Restriction"), s_(std::move(state)) {
        number(L"ulPropTag", &FilterState::propTag);
        number(L"ulMask", &FilterState::mask);
        number(L"relBMR", &FilterState::relation);
    }

private:
    void number(const wchar_t* name, ULONG FilterState::*field) {
        property(
            name, [this, field](const Args&, Variant& out) { setInt(out, static_cast<long>((*s_).*field)); },
            [this, field](const Args& a) {
                Variant converted;
                if (FAILED(VariantChangeType(converted.get(), const_cast<VARIANT*>(&a.value()), 0, VT_I4)))
                    raise(DISP_E_TYPEMISMATCH, L"The restriction's fields are numbers.");
                (*s_).*field = static_cast<ULONG>(V_I4(converted.get()));
            });
    }
    std::shared_ptr<FilterState> s_;
};

class FilterObject final : public DispatchObject {
public:
    explicit FilterObject(std::shared_ptr<FilterState> state) : DispatchObject(L"TableFilter"), s_(std::move(state)) {
        reader(L"Clear", [this](const Args&, Variant&) { *s_ = FilterState{}; });
        reader(L"SetKind", [this](const Args& a, Variant& out) {
            const long kind = a.toInt(0);
            if (kind != static_cast<long>(RES_BITMASK))
                raise(E_INVALIDARG, L"Only bit-mask restrictions (kind 6) are supported; kind " + std::to_wstring(kind) + L" is not.");
            *s_ = FilterState{};
            s_->active = true;
            setObject(out, new RestrictionObject(s_));
        });
    }

private:
    std::shared_ptr<FilterState> s_;
};

}  // namespace

IDispatch* newTableFilter(std::shared_ptr<FilterState> state) {
    return new FilterObject(std::move(state));
}

}  // namespace tarn
