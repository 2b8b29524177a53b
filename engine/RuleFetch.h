// The fetch library as the rule updater uses it: loaded from the engine's folder at the first check.
#pragma once

#include <memory>
#include <string>

#include "RuleCheck.h"
#include "tarnfetch_api.h"

namespace tarn::engine {

/// Seconds a rule request may take to connect, and in all. Closing the engine waits for one request at most.
constexpr int32_t kRuleFetchConnectSeconds = 10;
constexpr int32_t kRuleFetchTotalSeconds = 60;

class FetchLibrary {
public:
    /// The library in `folder`, or null when it or its GET function is missing.
    static std::unique_ptr<FetchLibrary> load(const std::string& folder);
    ~FetchLibrary();
    FetchLibrary(const FetchLibrary&) = delete;
    FetchLibrary& operator=(const FetchLibrary&) = delete;

    /// GET requests through the proxy ("host:port", empty for none) with its credentials ("user:password").
    /// The library must outlive the fetch.
    RuleFetch getter(std::string proxy, std::string proxyCredentials, std::string clientName) const;

private:
    FetchLibrary(void* handle, tw_sendGetRequest_fn get) : handle_(handle), get_(get) {}
    void* handle_;
    tw_sendGetRequest_fn get_;
};

}  // namespace tarn::engine
