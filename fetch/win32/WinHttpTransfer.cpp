// The Windows transfer over WinHTTP, so that TLS, proxies and certificates are the system's.
#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <chrono>
#include <string>

#include "Transfer.h"
#include "fetchapi/tarnfetch_api.h"

namespace tarn::fetch {

namespace {

using Clock = std::chrono::steady_clock;

class Handle {
public:
    explicit Handle(HINTERNET handle) : handle_(handle) {}
    ~Handle() {
        if (handle_) WinHttpCloseHandle(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HINTERNET get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    HINTERNET handle_;
};

std::wstring wide(const std::string& text) {
    if (text.empty()) return {};
    int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), length);
    return out;
}

int32_t codeOf(DWORD error) {
    switch (error) {
        case ERROR_WINHTTP_NAME_NOT_RESOLVED: return TF_CANNOT_RESOLVE;
        case ERROR_WINHTTP_CANNOT_CONNECT: return TF_CANNOT_CONNECT;
        case ERROR_WINHTTP_TIMEOUT: return TF_TIMED_OUT;
        case ERROR_WINHTTP_REDIRECT_FAILED: return TF_TOO_MANY_REDIRECTS;
        default: return TF_TRANSFER_FAILED;
    }
}

int32_t lastErrorCode() { return codeOf(GetLastError()); }

int remainingMs(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::max<long long>(left, 0));
}

void setOption(HINTERNET handle, DWORD option, const std::wstring& value) {
    WinHttpSetOption(handle, option, const_cast<wchar_t*>(value.c_str()), static_cast<DWORD>(value.size()));
}

}  // namespace

int32_t transfer(const Request& request, BodyBuffer& body) {
    const auto deadline = Clock::now() + std::chrono::seconds(request.timeoutSeconds);
    const int connectMs = std::min(request.connectTimeoutSeconds, request.timeoutSeconds) * 1000;

    std::wstring url = wide(request.url);
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(url.c_str(), 0, 0, &parts)) return TF_BAD_ARGUMENT;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return TF_BAD_ARGUMENT;
    std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring path(parts.lpszUrlPath ? parts.lpszUrlPath : L"", parts.dwUrlPathLength);
    if (parts.lpszExtraInfo) path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (path.empty()) path = L"/";

    const std::wstring agent = wide(request.clientName);
    const std::wstring proxy = wide(request.proxy);
    Handle session(WinHttpOpen(agent.c_str(), proxy.empty() ? WINHTTP_ACCESS_TYPE_NO_PROXY : WINHTTP_ACCESS_TYPE_NAMED_PROXY,
                               proxy.empty() ? WINHTTP_NO_PROXY_NAME : proxy.c_str(), WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) return lastErrorCode();
    Handle connection(WinHttpConnect(session.get(), host.c_str(), parts.nPort, 0));
    if (!connection) return lastErrorCode();
    Handle call(WinHttpOpenRequest(connection.get(), request.post ? L"POST" : L"GET", path.c_str(), nullptr,
                                   WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                   parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0));
    if (!call) return lastErrorCode();

    DWORD redirects = TF_MAX_REDIRECTS;
    WinHttpSetOption(call.get(), WINHTTP_OPTION_MAX_HTTP_AUTOMATIC_REDIRECTS, &redirects, sizeof redirects);
    if (!request.proxyCredentials.empty()) {
        const std::string& credentials = request.proxyCredentials;
        size_t colon = credentials.find(':');
        setOption(call.get(), WINHTTP_OPTION_PROXY_USERNAME, wide(credentials.substr(0, colon)));
        if (colon != std::string::npos) setOption(call.get(), WINHTTP_OPTION_PROXY_PASSWORD, wide(credentials.substr(colon + 1)));
    }

    // WinHTTP knows no total time-out: every wait gets what is left of it.
    auto limitWaits = [&] {
        int left = remainingMs(deadline);
        return left > 0 && WinHttpSetTimeouts(call.get(), std::min(connectMs, left), std::min(connectMs, left), left, left);
    };
    if (!limitWaits()) return TF_TIMED_OUT;
    void* data = request.post ? const_cast<char*>(request.body.data()) : WINHTTP_NO_REQUEST_DATA;
    const DWORD length = request.post ? static_cast<DWORD>(request.body.size()) : 0;
    if (!WinHttpSendRequest(call.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, data, length, length, 0)) return lastErrorCode();
    if (!WinHttpReceiveResponse(call.get(), nullptr)) return lastErrorCode();

    DWORD status = 0;
    DWORD size = sizeof status;
    if (!WinHttpQueryHeaders(call.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX,
                             &status, &size, WINHTTP_NO_HEADER_INDEX))
        return lastErrorCode();

    char chunk[8192];
    while (!body.full()) {
        if (!limitWaits()) return TF_TIMED_OUT;
        DWORD got = 0;
        if (!WinHttpReadData(call.get(), chunk, sizeof chunk, &got)) return lastErrorCode();
        if (got == 0) break;
        body.append(chunk, got);
    }
    if (status >= 200 && status < 300) return TF_OK;
    return status > 0 ? static_cast<int32_t>(status) : TF_TRANSFER_FAILED;
}

}  // namespace tarn::fetch
