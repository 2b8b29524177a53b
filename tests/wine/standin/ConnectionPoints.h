// Connection points of the stand-in's objects: sinks advised by cookie, events sent through the sink's IDispatch.
#pragma once

#include <map>
#include <vector>

#include "ComBase.h"

namespace tw::standin {

/// Events a sink answered with a failure or threw out of, over the whole process (tests read it).
long sinkFailures();

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class ConnectionPoint : public IConnectionPoint {
public:
    ConnectionPoint(const IID& events, IConnectionPointContainer* container);
    ConnectionPoint(const ConnectionPoint&) = delete;
    ConnectionPoint& operator=(const ConnectionPoint&) = delete;
    virtual ~ConnectionPoint() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* out) override;
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) override;

    const IID& events() const { return events_; }
    size_t sinkCount() const { return sinks_.size(); }
    /// Sends an event to every sink advised now; arguments in their written order. A sink unadvised
    /// by an earlier one is skipped; failures of a sink are counted and otherwise ignored.
    void fire(DISPID id, std::vector<Variant> args = {});
    /// The container is going away: no more container to hand out, no more sinks.
    void detach();

private:
    IID events_;
    IConnectionPointContainer* container_;
    std::map<DWORD, Ref<IDispatch>> sinks_;
    DWORD nextCookie_ = 1;
    LONG refs_ = 1;
};
#pragma GCC diagnostic pop

}  // namespace tw::standin
