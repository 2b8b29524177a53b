// What every object-model adapter shares: the late-bound object behind it and the wrapping of results.
#pragma once

#include <memory>

#include "win32/com/Dispatch.h"

namespace tw::win32::outlook {

class ComObject {
public:
    explicit ComObject(ComPtr<IDispatch> object) : d_(std::move(object)) {}
    /// The client's object, for calls that hand it to another object (Move, Attachments.Add, safe mail).
    IDispatch* dispatch() const { return d_.get(); }

protected:
    Dispatch d_;
};

/// The adapter of type T over the object held, or nothing for Nothing.
template <typename T>
std::shared_ptr<T> wrapped(const Variant& value) {
    ComPtr<IDispatch> object = value.toDispatch();
    return object ? std::make_shared<T>(std::move(object)) : nullptr;
}

/// The client's object behind an adapter handed in through a port; raises when it is not one of ours.
IDispatch* dispatchOf(const void* adapter, IDispatch* object, const char* what);

}  // namespace tw::win32::outlook
