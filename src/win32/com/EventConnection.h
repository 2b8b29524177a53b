// A live connection to one event interface of one COM object: advised when made, unadvised when it goes.
#pragma once

#include <ocidl.h>

#include <functional>
#include <memory>

#include "win32/com/ComPtr.h"
#include "win32/com/Variant.h"

namespace tw::win32 {

/// The arguments of one event as the source sent them, counted from the first.
class EventArguments {
public:
    explicit EventArguments(DISPPARAMS& params) : params_(params) {}
    size_t count() const { return params_.cArgs; }
    /// The argument's value (through a reference when the source passed one).
    Variant at(size_t index) const;
    /// A Boolean argument passed by reference, for "Cancel"; null when it is not one.
    VARIANT_BOOL* booleanReference(size_t index) const;

private:
    VARIANT& raw(size_t index) const;
    DISPPARAMS& params_;
};

class EventConnection {
public:
    using Handler = std::function<void(DISPID, const EventArguments&)>;

    /// Advises a sink on `source`'s connection point for `eventInterface`; raises Error when the
    /// object has no such events. The handler runs on the thread that raises the event.
    EventConnection(IDispatch* source, const IID& eventInterface, Handler handler);
    ~EventConnection();
    EventConnection(const EventConnection&) = delete;
    EventConnection& operator=(const EventConnection&) = delete;

    /// Called with the event's dispatch id when a handler lets an exception out; the sink then
    /// answers the source as if all went well, so nothing reaches the mail client.
    static void setUnhandledErrorReporter(std::function<void(DISPID)> reporter);

private:
    class Sink;
    ComPtr<IConnectionPoint> point_;
    DWORD cookie_ = 0;
    Sink* sink_ = nullptr;
};

}  // namespace tw::win32
