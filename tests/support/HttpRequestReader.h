// Gathering one HTTP request from the bytes a test server receives: its head, and a body as long as
// its Content-Length says. Shared by the POSIX and the Winsock test servers.
#pragma once

#include <cstddef>
#include <string>

namespace tw::test {

class HttpRequestReader {
public:
    /// Adds bytes as received; true once the whole request is in.
    bool add(const char* bytes, size_t size) {
        request_.append(bytes, size);
        if (headEnd_ == std::string::npos && (headEnd_ = request_.find("\r\n\r\n")) != std::string::npos) {
            const size_t at = request_.find("Content-Length: ");
            if (at != std::string::npos && at < headEnd_) bodyLength_ = std::stoul(request_.substr(at + 16));
        }
        return headEnd_ != std::string::npos && request_.size() >= headEnd_ + 4 + bodyLength_;
    }
    /// The request line and header fields; everything received while no blank line came.
    std::string head() const { return headEnd_ == std::string::npos ? request_ : request_.substr(0, headEnd_); }
    std::string body() const { return headEnd_ == std::string::npos ? std::string() : request_.substr(headEnd_ + 4); }

private:
    std::string request_;
    size_t headEnd_ = std::string::npos;
    size_t bodyLength_ = 0;
};

}  // namespace tw::test
