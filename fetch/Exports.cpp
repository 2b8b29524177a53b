// The library's two C functions: argument checks, the defaults, and no exception crossing the boundary.
#include <algorithm>
#include <cstring>

#include "Transfer.h"
#include "fetchapi/tarnfetch_api.h"

#if defined(_WIN32)
#define TARN_EXPORT __declspec(dllexport)
#else
#define TARN_EXPORT __attribute__((visibility("default")))
#endif

namespace tarn::fetch {

bool BodyBuffer::append(const char* bytes, size_t count) {
    size_t fits = std::min(count, capacity_ - std::min(size_, capacity_));
    if (fits > 0) std::memcpy(data_ + size_, bytes, fits);
    size_ += fits;
    return !full();
}

void BodyBuffer::finish() {
    if (size_ < capacity_) data_[size_] = '\0';
}

}  // namespace tarn::fetch

namespace {

constexpr int32_t kDefaultConnectTimeout = 10;
constexpr int32_t kDefaultTimeout = 300;

std::string textOf(const char* text) { return text ? std::string(text) : std::string(); }

int32_t send(bool post, const char* body, const char* url, int32_t connectTimeout, int32_t timeout, char* buffer,
             int32_t bufferSize, const char* clientName, const char* proxy, const char* proxyCredentials) {
    if (!url || !*url || bufferSize < 0 || (bufferSize > 0 && !buffer)) return TF_BAD_ARGUMENT;
    try {
        tarn::fetch::Request request;
        request.post = post;
        request.body = textOf(body);
        request.url = url;
        // A time-out of 0 would mean "wait for ever" to the HTTP stacks; a request never may.
        request.timeoutSeconds = timeout > 0 ? timeout : kDefaultTimeout;
        request.connectTimeoutSeconds = std::min(connectTimeout > 0 ? connectTimeout : kDefaultConnectTimeout,
                                                 request.timeoutSeconds);
        request.clientName = textOf(clientName);
        request.proxy = textOf(proxy);
        request.proxyCredentials = textOf(proxyCredentials);
        tarn::fetch::BodyBuffer answer(buffer, static_cast<size_t>(bufferSize));
        int32_t result = tarn::fetch::transfer(request, answer);
        answer.finish();
        return result;
    } catch (...) {
        return TF_INTERNAL_ERROR;
    }
}

}  // namespace

extern "C" {

TARN_EXPORT int32_t TW_CALL tw_sendRequest(char* body, char* url, int32_t connectTimeout, int32_t timeout, char* buffer,
                                           int32_t bufferSize, char* clientName, char* proxy, char* proxyCredentials) {
    return send(true, body, url, connectTimeout, timeout, buffer, bufferSize, clientName, proxy, proxyCredentials);
}

TARN_EXPORT int32_t TW_CALL tw_sendGetRequest(char* url, int32_t connectTimeout, int32_t timeout, char* buffer,
                                              int32_t bufferSize, char* clientName, char* proxy,
                                              char* proxyCredentials) {
    return send(false, nullptr, url, connectTimeout, timeout, buffer, bufferSize, clientName, proxy, proxyCredentials);
}

}  // extern "C"
