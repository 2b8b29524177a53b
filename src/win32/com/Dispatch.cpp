// Late-bound invocation: names to dispatch ids once per object type, arguments in COM's order.
#include "win32/com/Dispatch.h"

#include <map>

#include "core/Error.h"
#include "win32/TextEncoding.h"
#include "win32/Win32Error.h"

namespace tw::win32 {

namespace {

constexpr long kNoSuchMember = 438;

struct GuidLess {
    bool operator()(const GUID& a, const GUID& b) const { return memcmp(&a, &b, sizeof(GUID)) < 0; }
};

/// Objects that describe their type share one cache per type; others get one of their own.
std::shared_ptr<DispIdCache> cacheFor(IDispatch* object) {
    static std::map<GUID, std::shared_ptr<DispIdCache>, GuidLess> byType;
    UINT count = 0;
    ComPtr<ITypeInfo> info;
    if (SUCCEEDED(object->GetTypeInfoCount(&count)) && count > 0 && SUCCEEDED(object->GetTypeInfo(0, 0, info.put())) &&
        info) {
        TYPEATTR* attributes = nullptr;
        if (SUCCEEDED(info->GetTypeAttr(&attributes)) && attributes) {
            const GUID type = attributes->guid;
            info->ReleaseTypeAttr(attributes);
            if (type != GUID_NULL) {
                auto& cache = byType[type];
                if (!cache) cache = std::make_shared<DispIdCache>();
                return cache;
            }
        }
    }
    return std::make_shared<DispIdCache>();
}

}  // namespace

void raiseDispatchError(HRESULT result, EXCEPINFO& exception, const std::string& member) {
    if (result == DISP_E_EXCEPTION) {
        if (exception.pfnDeferredFillIn) exception.pfnDeferredFillIn(&exception);
        Bstr source, description;
        *source.put() = exception.bstrSource;
        *description.put() = exception.bstrDescription;
        SysFreeString(exception.bstrHelpFile);
        const long number = exception.scode != 0 ? static_cast<long>(exception.scode) : static_cast<long>(exception.wCode);
        std::string text = description.utf8();
        if (text.empty()) text = "Automation error in " + member;
        throw Error(number, source.get() ? source.utf8() : member, text);
    }
    if (result == DISP_E_MEMBERNOTFOUND || result == DISP_E_UNKNOWNNAME)
        throw Error(kNoSuchMember, member, "Object doesn't support this property or method");
    throw Error(static_cast<long>(result), member, systemMessage(static_cast<uint32_t>(result)));
}

DISPID Dispatch::idOf(const char* name) {
    if (!object_) throw Error(91, name, "Object variable or With block variable not set");
    if (!ids_) ids_ = cacheFor(object_.get());
    if (auto found = ids_->find(name); found != ids_->end()) return found->second;
    const std::wstring wide = toWide(name);
    LPOLESTR names[] = {const_cast<LPOLESTR>(wide.c_str())};
    DISPID id = DISPID_UNKNOWN;
    const HRESULT hr = object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) throw Error(kNoSuchMember, name, "Object doesn't support this property or method");
    ids_->emplace(name, id);
    return id;
}

Variant Dispatch::invoke(const char* name, WORD flags, std::vector<Variant>& arguments) {
    const DISPID id = idOf(name);
    // COM takes the arguments last first.
    std::vector<VARIANT> reversed;
    reversed.reserve(arguments.size());
    for (auto it = arguments.rbegin(); it != arguments.rend(); ++it) reversed.push_back(*it->get());
    DISPID namedPut = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        params.rgdispidNamedArgs = &namedPut;
        params.cNamedArgs = 1;
    }
    Variant result;
    EXCEPINFO exception{};
    UINT badArgument = 0;
    const HRESULT hr = object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                       (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) ? nullptr : result.put(),
                                       &exception, &badArgument);
    if (FAILED(hr)) raiseDispatchError(hr, exception, name);
    return result;
}

void Dispatch::put(const char* name, Variant value) {
    std::vector<Variant> list{std::move(value)};
    invoke(name, DISPATCH_PROPERTYPUT, list);
}

void Dispatch::putRef(const char* name, Variant value) {
    std::vector<Variant> list{std::move(value)};
    try {
        invoke(name, DISPATCH_PROPERTYPUTREF, list);
    } catch (const Error& error) {
        if (error.number() != static_cast<long>(DISP_E_MEMBERNOTFOUND) && error.number() != kNoSuchMember) throw;
        invoke(name, DISPATCH_PROPERTYPUT, list);
    }
}

}  // namespace tw::win32
