// The add-in's one HTTP client: builds the address, adds the client name and proxy, and hands the request to the fetch library.
#pragma once

#include <cstdint>
#include <string>

#include "core/ProductVersion.h"
#include "diag/CErrorHandler.h"
#include "net/FetchLibrary.h"
#include "settings/Settings.h"

namespace tw::net {

/// The add-in's own release, as the client name and the release check state it.
struct AddinRelease {
    static constexpr int32_t major = version::kMajor;
    static constexpr int32_t minor = version::kMinor;
    static constexpr int32_t revision = version::kRevision;
};

/// "TWOutlook" followed by major.minor.revision.
std::string clientName();
/// useProxyServer on: proxyServer ":" proxyServerPort; otherwise "".
std::string proxyOf(const settings::Settings& s);
/// useProxyServer on and proxyServerUser not empty: proxyServerUser ":" proxyServerPassword; otherwise "".
std::string proxyCredentialsOf(const settings::Settings& s);

/// Thread rule: the user-interface thread; a request holds it for at most the time-outs.
class CurlRequest {
public:
    /// errorCode while no request has answered: any failure is non-zero, success exactly 0.
    static constexpr int32_t kNotAnswered = -1;

    CurlRequest(FetchLibrary& library, const settings::Settings& settings, diag::CErrorHandler& log);

    /// The answer's body up to its first zero byte; empty until a request answered.
    const std::string& Response() const { return response_; }
    const std::string& Content() const { return content_; }
    void setContent(std::string content) { content_ = std::move(content); }
    int32_t errorCode() const { return errorCode_; }
    void setTimeout(int32_t seconds) { timeout_ = seconds; }
    void setConnectTimeout(int32_t seconds) { connectTimeout_ = seconds; }
    /// The answer is cut to this many bytes; below 0 counts as 0.
    void setBufferSize(int32_t bytes) { bufferSize_ = bytes < 0 ? 0 : bytes; }

    /// Sends Content as a POST; raises "CurlSendRequest failed" when the library cannot be called.
    void Post(const std::string& sHost, int32_t lPort, bool bSecure, const std::string& sPage,
              const std::string& sUserID = {}, const std::string& sPassword = {});
    /// A GET; a library that cannot be called is logged as "CurlGet" and leaves errorCode non-zero.
    void GetRequest(const std::string& sHost, int32_t lPort, bool bSecure, const std::string& sPage);

    /// "http" or "https", "://", the host, the page; never a port.
    static std::string url(const std::string& host, bool secure, const std::string& page);

private:
    /// Runs one call of the library with a fresh answer buffer; the result becomes errorCode.
    template <typename Call>
    void send(Call&& call);

    FetchLibrary& library_;
    const settings::Settings& settings_;
    diag::CErrorHandler& log_;
    std::string content_;
    std::string response_;
    int32_t timeout_ = 300;
    int32_t connectTimeout_ = 10;
    int32_t errorCode_ = 0;
    int32_t bufferSize_ = 80000;
};

}  // namespace tw::net
