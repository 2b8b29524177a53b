// The fetch library's two functions, bound by file name at the first call.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fetchapi/tarnfetch_api.h"
#include "platform/LibraryLoader.h"

namespace tw::net {

/// Raises Error when the library or a function cannot be found; nothing is loaded before the first call.
class FetchLibrary {
public:
    explicit FetchLibrary(platform::LibraryLoader& loader, std::string fileName = "tarnfetch.dll");

    /// Texts are the system's ANSI bytes; `buffer` must hold at least `bufferSize` bytes.
    int32_t tw_sendRequest(const std::string& body, const std::string& url, int32_t connectTimeout, int32_t timeout,
                           char* buffer, int32_t bufferSize, const std::string& clientName, const std::string& proxy,
                           const std::string& proxyCredentials);
    int32_t tw_sendGetRequest(const std::string& url, int32_t connectTimeout, int32_t timeout, char* buffer,
                              int32_t bufferSize, const std::string& clientName, const std::string& proxy,
                              const std::string& proxyCredentials);

private:
    void* function(const char* name);

    platform::LibraryLoader& loader_;
    std::string fileName_;
    void* library_ = nullptr;
    tw_sendRequest_fn sendRequest_ = nullptr;
    tw_sendGetRequest_fn sendGetRequest_ = nullptr;
};

}  // namespace tw::net
