// GET and POST over the fetch library, with an answer buffer whose end is always kept for the terminator.
#include "net/CurlRequest.h"

#include <cstring>
#include <vector>

#include "core/AnsiText.h"
#include "core/Error.h"

namespace tw::net {

std::string clientName() {
    return "TWOutlook" + std::to_string(AddinRelease::major) + "." + std::to_string(AddinRelease::minor) + "." +
           std::to_string(AddinRelease::revision);
}

std::string proxyOf(const settings::Settings& s) {
    return s.useProxyServer ? s.proxyServer + ":" + s.proxyServerPort : std::string();
}

std::string proxyCredentialsOf(const settings::Settings& s) {
    return s.useProxyServer && !s.proxyServerUser.empty() ? s.proxyServerUser + ":" + s.proxyServerPassword
                                                           : std::string();
}

CurlRequest::CurlRequest(FetchLibrary& library, const settings::Settings& settings, diag::CErrorHandler& log)
    : library_(library), settings_(settings), log_(log) {}

std::string CurlRequest::url(const std::string& host, bool secure, const std::string& page) {
    return std::string(secure ? "https" : "http") + "://" + host + page;
}

template <typename Call>
void CurlRequest::send(Call&& call) {
    // A request that never answers must not leave the last one's success behind.
    errorCode_ = kNotAnswered;
    response_.clear();
    // One byte more than the library may fill, so the text always ends inside the buffer.
    std::vector<char> buffer(static_cast<size_t>(bufferSize_) + 1, '\0');
    int32_t result = call(buffer.data());
    buffer.back() = '\0';
    response_ = ansi::toUtf8(std::string_view(buffer.data(), std::strlen(buffer.data())));
    errorCode_ = result;
}

void CurlRequest::GetRequest(const std::string& sHost, int32_t, bool bSecure, const std::string& sPage) {
    try {
        send([&](char* buffer) {
            return library_.tw_sendGetRequest(ansi::fromUtf8(url(sHost, bSecure, sPage)), connectTimeout_, timeout_,
                                              buffer, bufferSize_, ansi::fromUtf8(clientName()),
                                              ansi::fromUtf8(proxyOf(settings_)),
                                              ansi::fromUtf8(proxyCredentialsOf(settings_)));
        });
    } catch (...) {
        log_.logError("CurlGet");
    }
}

void CurlRequest::Post(const std::string& sHost, int32_t, bool bSecure, const std::string& sPage, const std::string&,
                       const std::string&) {
    try {
        send([&](char* buffer) {
            return library_.tw_sendRequest(ansi::fromUtf8(content_), ansi::fromUtf8(url(sHost, bSecure, sPage)),
                                           connectTimeout_, timeout_, buffer, bufferSize_,
                                           ansi::fromUtf8(clientName()), ansi::fromUtf8(proxyOf(settings_)),
                                           ansi::fromUtf8(proxyCredentialsOf(settings_)));
        });
    } catch (...) {
        PendingError error = currentError();
        throw Error(error.number, "CurlRequest", "CurlSendRequest failed");
    }
}

}  // namespace tw::net
