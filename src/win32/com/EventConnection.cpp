// The event sink: a small IDispatch whose Invoke hands each event to a C++ handler and traps all.
#include "win32/com/EventConnection.h"

#include <atomic>

#include "core/Error.h"
#include "win32/com/Dispatch.h"

namespace tw::win32 {

namespace {
std::function<void(DISPID)>& reporter() {
    static std::function<void(DISPID)> report;
    return report;
}
}  // namespace

VARIANT& EventArguments::raw(size_t index) const {
    if (index >= params_.cArgs) throw Error(450, "EventArguments", "Wrong number of arguments");
    return params_.rgvarg[params_.cArgs - 1 - index];
}

Variant EventArguments::at(size_t index) const { return Variant::copyOf(raw(index)); }

VARIANT_BOOL* EventArguments::booleanReference(size_t index) const {
    VARIANT& value = raw(index);
    if (value.vt == (VT_BYREF | VT_BOOL)) return value.pboolVal;
    if (value.vt == (VT_BYREF | VT_VARIANT) && value.pvarVal && value.pvarVal->vt == VT_BOOL)
        return &value.pvarVal->boolVal;
    return nullptr;
}

// COM objects are destroyed by Release, never through a pointer to their interface.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class EventConnection::Sink final : public IDispatch {
public:
    Sink(const IID& eventInterface, Handler handler)
        : interface_(eventInterface), handler_(std::make_shared<Handler>(std::move(handler))) {}

    /// After this the sink ignores events still on their way.
    void detach() { handler_.reset(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == interface_) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                                     UINT*) override {
        if (result) VariantInit(result);
        // The handler may drop this connection; keep the sink and the handler alive until it returns.
        ComPtr<IDispatch> self = ComPtr<IDispatch>::share(this);
        std::shared_ptr<Handler> handler = handler_;
        if (!handler || !params) return S_OK;
        try {
            (*handler)(id, EventArguments(*params));
        } catch (...) {
            try {
                if (reporter()) reporter()(id);
            } catch (...) {
            }
        }
        return S_OK;
    }

private:
    std::atomic<ULONG> references_{1};
    IID interface_;
    std::shared_ptr<Handler> handler_;
};
#pragma GCC diagnostic pop

EventConnection::EventConnection(IDispatch* source, const IID& eventInterface, Handler handler) {
    if (!source) throw Error(91, "EventConnection", "Object variable or With block variable not set");
    ComPtr<IConnectionPointContainer> container;
    HRESULT hr = source->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(container.put()));
    if (SUCCEEDED(hr)) hr = container->FindConnectionPoint(eventInterface, point_.put());
    if (FAILED(hr) || !point_) throw Error(static_cast<long>(hr), "EventConnection", "The object raises no such events");
    sink_ = new Sink(eventInterface, std::move(handler));
    hr = point_->Advise(sink_, &cookie_);
    if (FAILED(hr)) {
        sink_->Release();
        sink_ = nullptr;
        throw Error(static_cast<long>(hr), "EventConnection", "The object refused the event connection");
    }
}

EventConnection::~EventConnection() {
    if (!sink_) return;
    sink_->detach();
    // The source may be gone already (its client closed); there is nothing more to do then.
    point_->Unadvise(cookie_);
    sink_->Release();
}

void EventConnection::setUnhandledErrorReporter(std::function<void(DISPID)> report) { reporter() = std::move(report); }

}  // namespace tw::win32
