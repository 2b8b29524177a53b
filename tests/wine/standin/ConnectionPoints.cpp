// Connection points: Advise/Unadvise by cookie and events sent to each sink's IDispatch, sink failures contained.
#include "ConnectionPoints.h"

#include <exception>

namespace tw::standin {

namespace {
long failures = 0;
}

long sinkFailures() {
    return failures;
}

ConnectionPoint::ConnectionPoint(const IID& events, IConnectionPointContainer* container)
    : events_(events), container_(container) {}

HRESULT STDMETHODCALLTYPE ConnectionPoint::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IConnectionPoint)) return E_NOINTERFACE;
    *out = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE ConnectionPoint::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
}

ULONG STDMETHODCALLTYPE ConnectionPoint::Release() {
    LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::GetConnectionInterface(IID* out) {
    if (!out) return E_POINTER;
    *out = events_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
    if (!out) return E_POINTER;
    *out = container_;
    if (!container_) return E_UNEXPECTED;
    container_->AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (!sink || !cookie) return E_POINTER;
    *cookie = 0;
    if (!container_) return E_UNEXPECTED;
    IDispatch* events = nullptr;
    if (FAILED(sink->QueryInterface(events_, reinterpret_cast<void**>(&events))) || !events) {
        events = nullptr;
        if (FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&events))) || !events)
            return CONNECT_E_CANNOTCONNECT;
    }
    *cookie = nextCookie_++;
    sinks_.emplace(*cookie, Ref<IDispatch>::adopt(events));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::Unadvise(DWORD cookie) {
    auto it = sinks_.find(cookie);
    if (it == sinks_.end()) return CONNECT_E_NOCONNECTION;
    // The sink may be released here, and may unadvise others from its destructor: take it out first.
    Ref<IDispatch> sink = std::move(it->second);
    sinks_.erase(it);
    sink.reset();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::EnumConnections(IEnumConnections** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

void ConnectionPoint::fire(DISPID id, std::vector<Variant> args) {
    Ref<ConnectionPoint> keep(this);
    std::vector<VARIANT> reversed;
    for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(it->value());
    std::vector<DWORD> cookies;
    for (const auto& [cookie, sink] : sinks_) cookies.push_back(cookie);
    for (DWORD cookie : cookies) {
        auto it = sinks_.find(cookie);
        if (it == sinks_.end()) continue;  // unadvised by an earlier sink
        Ref<IDispatch> sink = it->second;
        // Each sink gets the arguments as sent; a by-reference argument stays shared, as the client's Cancel is.
        DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        VARIANT result;
        VariantInit(&result);
        EXCEPINFO excep{};
        UINT argErr = 0;
        try {
            HRESULT hr = sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, &excep, &argErr);
            if (FAILED(hr)) ++failures;
        } catch (...) {
            ++failures;
        }
        VariantClear(&result);
        SysFreeString(excep.bstrSource);
        SysFreeString(excep.bstrDescription);
        SysFreeString(excep.bstrHelpFile);
    }
}

void ConnectionPoint::detach() {
    container_ = nullptr;
    auto sinks = std::move(sinks_);
    sinks_.clear();
    sinks.clear();
}

}  // namespace tw::standin
