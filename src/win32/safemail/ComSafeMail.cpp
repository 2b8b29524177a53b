// Creating the safe mail library's objects by ProgID, and the calls that cross arrays and objects.
#include "win32/safemail/ComSafeMail.h"

#include <objbase.h>

#include "core/Error.h"
#include "win32/TextEncoding.h"
#include "win32/outlook/ComFolder.h"
#include "win32/outlook/ComItem.h"
#include "win32/safemail/ComSafeMailObjects.h"

namespace tw::win32 {

namespace {

constexpr long kCannotCreateObject = 429;

[[noreturn]] void cannotCreate(const std::string& progId) {
    throw Error(kCannotCreateObject, progId, "ActiveX component can't create object");
}

/// A SAFEARRAY's elements as variants, whatever its element type.
std::vector<Variant> elementsOf(const VARIANT& array) {
    std::vector<Variant> out;
    if (!(array.vt & VT_ARRAY) || !array.parray) return out;
    SAFEARRAY* values = array.parray;
    LONG low = 0, high = -1;
    SafeArrayGetLBound(values, 1, &low);
    SafeArrayGetUBound(values, 1, &high);
    const VARTYPE type = static_cast<VARTYPE>(array.vt & ~VT_ARRAY);
    for (LONG i = low; i <= high; ++i) {
        Variant element;
        if (type == VT_VARIANT) {
            SafeArrayGetElement(values, &i, element.put());
        } else {
            VARIANT* slot = element.put();
            slot->vt = type;
            SafeArrayGetElement(values, &i, &slot->lVal);
        }
        out.push_back(std::move(element));
    }
    return out;
}

}  // namespace

ComSafeMail::~ComSafeMail() {
    for (auto& [progId, factory] : factories_) factory.detach();
}

ComPtr<IDispatch> ComSafeMail::create(const std::string& progId) {
    auto kept = factories_.find(progId);
    if (kept == factories_.end()) {
        CLSID classId{};
        ComPtr<IClassFactory> factory;
        const std::wstring wide = toWide(progId);
        if (FAILED(CLSIDFromProgID(wide.c_str(), &classId)) ||
            FAILED(CoGetClassObject(classId, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, nullptr, IID_IClassFactory,
                                    reinterpret_cast<void**>(factory.put()))) ||
            !factory)
            cannotCreate(progId);
        kept = factories_.emplace(progId, std::move(factory)).first;
    }
    ComPtr<IDispatch> object;
    if (FAILED(kept->second->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(object.put()))) || !object) {
        factories_.erase(kept);
        cannotCreate(progId);
    }
    return object;
}

std::shared_ptr<safemail::SafeMailItem> ComSafeMail::CreateSafeMailItem(const std::string& progId) {
    return std::make_shared<safe::ComSafeMailItem>(create(progId));
}
std::shared_ptr<safemail::MAPIUtils> ComSafeMail::CreateMAPIUtils(const std::string& progId) {
    return std::make_shared<safe::ComMAPIUtils>(create(progId), [this] { releaseFactories(); });
}
std::shared_ptr<safemail::MAPITable> ComSafeMail::CreateMAPITable(const std::string& progId) {
    return std::make_shared<safe::ComMAPITable>(create(progId));
}
std::shared_ptr<safemail::AddressLists> ComSafeMail::CreateAddressLists(const std::string& progId) {
    return std::make_shared<safe::ComSafeAddressLists>(create(progId));
}

namespace safe {

sm::PropValue propValueOf(const Variant& value) {
    sm::PropValue out;
    const VARIANT& raw = value.raw();
    switch (raw.vt) {
        case VT_EMPTY:
        case VT_NULL:
            break;
        case VT_ERROR:
            out.value = sm::PropValue::PropError{static_cast<long>(raw.scode)};
            break;
        case VT_BOOL:
            out.value = raw.boolVal != VARIANT_FALSE;
            break;
        case VT_DATE:
            out.value = OleDate(raw.date);
            break;
        case VT_I2:
        case VT_I4:
        case VT_UI2:
        case VT_UI4:
        case VT_INT:
        case VT_UINT:
            out.value = value.toInt();
            break;
        case VT_ARRAY | VT_UI1: {
            std::string bytes;
            void* data = nullptr;
            if (raw.parray && SUCCEEDED(SafeArrayAccessData(raw.parray, &data))) {
                LONG low = 0, high = -1;
                SafeArrayGetLBound(raw.parray, 1, &low);
                SafeArrayGetUBound(raw.parray, 1, &high);
                bytes.assign(static_cast<const char*>(data), static_cast<size_t>(high - low + 1));
                SafeArrayUnaccessData(raw.parray);
            }
            out.value = std::move(bytes);
            break;
        }
        default:
            out.value = value.toString();
            break;
    }
    return out;
}

void ComSafeMailItem::setItem(std::shared_ptr<tw::outlook::Item> item) {
    auto* adapter = dynamic_cast<outlook::ComItem*>(item.get());
    IDispatch* object = outlook::dispatchOf(adapter, adapter ? adapter->dispatch() : nullptr, "SafeMailItem.Item");
    d_.putRef("Item", Variant(object));
    item_ = std::move(item);
}

sm::PropValue ComMAPIUtils::HrGetOneProp(tw::outlook::Item& item, uint32_t propTag) {
    auto* adapter = dynamic_cast<outlook::ComItem*>(&item);
    IDispatch* object = outlook::dispatchOf(adapter, adapter ? adapter->dispatch() : nullptr, "HrGetOneProp");
    return propValueOf(d_.call("HrGetOneProp", object, static_cast<int32_t>(propTag)));
}

sm::BitmaskRestriction& ComMAPITable::PendingFilter::SetKind(int kind) {
    if (kind != sm::RES_BITMASK) throw Error(5, "Filter.SetKind", "Invalid procedure call or argument");
    kind_ = kind;
    restriction_ = {};
    return restriction_;
}

void ComMAPITable::setItem(std::shared_ptr<tw::outlook::Items> items) {
    auto* adapter = dynamic_cast<outlook::ComItems*>(items.get());
    IDispatch* object = outlook::dispatchOf(adapter, adapter ? adapter->dispatch() : nullptr, "MAPITable.Item");
    d_.putRef("Item", Variant(object));
    items_ = std::move(items);
}

void ComMAPITable::setColumns(const std::vector<uint32_t>& propTags) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(propTags.size()));
    if (!array) throw std::bad_alloc();
    for (LONG i = 0; i < static_cast<LONG>(propTags.size()); ++i) {
        Variant tag(static_cast<int32_t>(propTags[static_cast<size_t>(i)]));
        SafeArrayPutElement(array, &i, tag.get());
    }
    Variant columns;
    columns.get()->vt = VT_ARRAY | VT_VARIANT;
    columns.get()->parray = array;
    d_.put("Columns", std::move(columns));
}

void ComMAPITable::applyFilter() {
    Dispatch filter(d_.get("Filter").toDispatch());
    filter.call("Clear");
    if (filter_.kind() != sm::RES_BITMASK) return;
    Dispatch restriction(filter.call("SetKind", static_cast<int32_t>(sm::RES_BITMASK)).toDispatch());
    restriction.put("ulPropTag", static_cast<int32_t>(filter_.restriction().ulPropTag));
    restriction.put("ulMask", static_cast<int32_t>(filter_.restriction().ulMask));
    restriction.put("relBMR", static_cast<int32_t>(filter_.restriction().relBMR));
}

bool ComMAPITable::FindFirst(bool forward) {
    applyFilter();
    return d_.call("FindFirst", forward).toBool();
}

std::vector<sm::PropValue> ComMAPITable::GetRow() {
    std::vector<sm::PropValue> row;
    for (const Variant& value : elementsOf(d_.call("GetRow").raw())) row.push_back(propValueOf(value));
    return row;
}

std::vector<std::vector<sm::PropValue>> ComMAPITable::GetRows(int count) {
    std::vector<std::vector<sm::PropValue>> rows;
    for (const Variant& rowValue : elementsOf(d_.call("GetRows", count).raw())) {
        std::vector<sm::PropValue> row;
        for (const Variant& value : elementsOf(rowValue.raw())) row.push_back(propValueOf(value));
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace safe
}  // namespace tw::win32
