// Late-bound calls on an IDispatch object by member name, with the dispatch ids cached and COM
// errors turned into the Error every port raises.
#pragma once

#include <oaidl.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "win32/com/ComPtr.h"
#include "win32/com/Variant.h"

namespace tw::win32 {

/// Dispatch ids of one object type, by member name as the caller spells it.
using DispIdCache = std::unordered_map<std::string, DISPID>;

class Dispatch {
public:
    Dispatch() = default;
    explicit Dispatch(ComPtr<IDispatch> object) : object_(std::move(object)) {}

    IDispatch* get() const { return object_.get(); }
    const ComPtr<IDispatch>& object() const { return object_; }
    explicit operator bool() const { return static_cast<bool>(object_); }

    /// A property, or a parameterised one such as Item(1): read as a property or called as a method.
    template <typename... Args>
    Variant get(const char* name, Args&&... args) {
        std::vector<Variant> list{Variant(std::forward<Args>(args))...};
        return invoke(name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, list);
    }
    template <typename... Args>
    Variant call(const char* name, Args&&... args) {
        std::vector<Variant> list{Variant(std::forward<Args>(args))...};
        return invoke(name, DISPATCH_METHOD, list);
    }
    void put(const char* name, Variant value);
    /// Sets an object reference ("Set x.Item = y"); objects that know only put get that.
    void putRef(const char* name, Variant value);

    /// The member's dispatch id; raises Error 438 when the object has no such member.
    DISPID idOf(const char* name);

private:
    Variant invoke(const char* name, WORD flags, std::vector<Variant>& arguments);

    ComPtr<IDispatch> object_;
    std::shared_ptr<DispIdCache> ids_;
};

/// Raises the Error that a failed IDispatch::Invoke stands for: the exception's number, source and
/// description when the object filled them in, else the HRESULT with the system's message.
[[noreturn]] void raiseDispatchError(HRESULT result, EXCEPINFO& exception, const std::string& member);

}  // namespace tw::win32
