// Binds the fetch library lazily and hands it texts as the modifiable buffers a C interface takes.
#include "net/FetchLibrary.h"

namespace tw::net {

namespace {

std::vector<char> cText(const std::string& text) {
    std::vector<char> bytes(text.begin(), text.end());
    bytes.push_back('\0');
    return bytes;
}

}  // namespace

FetchLibrary::FetchLibrary(platform::LibraryLoader& loader, std::string fileName)
    : loader_(loader), fileName_(std::move(fileName)) {}

void* FetchLibrary::function(const char* name) {
    if (!library_) library_ = loader_.load(fileName_);
    return loader_.resolve(library_, name);
}

int32_t FetchLibrary::tw_sendRequest(const std::string& body, const std::string& url, int32_t connectTimeout,
                                     int32_t timeout, char* buffer, int32_t bufferSize, const std::string& clientName,
                                     const std::string& proxy, const std::string& proxyCredentials) {
    if (!sendRequest_) sendRequest_ = reinterpret_cast<tw_sendRequest_fn>(function("tw_sendRequest"));
    auto b = cText(body), u = cText(url), c = cText(clientName), p = cText(proxy), pc = cText(proxyCredentials);
    return sendRequest_(b.data(), u.data(), connectTimeout, timeout, buffer, bufferSize, c.data(), p.data(), pc.data());
}

int32_t FetchLibrary::tw_sendGetRequest(const std::string& url, int32_t connectTimeout, int32_t timeout, char* buffer,
                                        int32_t bufferSize, const std::string& clientName, const std::string& proxy,
                                        const std::string& proxyCredentials) {
    if (!sendGetRequest_) sendGetRequest_ = reinterpret_cast<tw_sendGetRequest_fn>(function("tw_sendGetRequest"));
    auto u = cText(url), c = cText(clientName), p = cText(proxy), pc = cText(proxyCredentials);
    return sendGetRequest_(u.data(), connectTimeout, timeout, buffer, bufferSize, c.data(), p.data(), pc.data());
}

}  // namespace tw::net
