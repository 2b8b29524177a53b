// One HTTP transfer as the library's exports hand it to the platform's HTTP stack.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tarn::fetch {

struct Request {
    bool post = false;
    std::string body;
    std::string url;
    int32_t connectTimeoutSeconds = 10;
    int32_t timeoutSeconds = 300;
    std::string clientName;
    /// "host:port"; empty for a direct connection.
    std::string proxy;
    /// "user:password"; empty for none.
    std::string proxyCredentials;
};

/// The caller's answer buffer: keeps the first `capacity` bytes of the final answer's body.
class BodyBuffer {
public:
    BodyBuffer(char* data, size_t capacity) : data_(data), capacity_(capacity) {}

    /// A redirect's body is not the answer: the next one starts again at the front.
    void restart() { size_ = 0; }
    /// Keeps what fits; false once the buffer is full, so the transfer may stop reading.
    bool append(const char* bytes, size_t count);
    /// Terminates the text when there is room left; a full buffer is the caller's to terminate.
    void finish();
    bool full() const { return size_ >= capacity_; }
    size_t size() const { return size_; }
    size_t capacity() const { return capacity_; }

private:
    char* data_;
    size_t capacity_;
    size_t size_ = 0;
};

/// Performs the request with the platform's HTTP stack: TF_OK, a final HTTP status outside 2xx,
/// or one of the library's own codes. Follows at most TF_MAX_REDIRECTS redirects and stays within
/// both time-outs in all.
int32_t transfer(const Request& request, BodyBuffer& body);

}  // namespace tarn::fetch
