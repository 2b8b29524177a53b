// Chooses the proxy: the add-in's own when set, else the user's Internet settings (a named proxy with
// its bypass list, or automatic detection and a configuration script), else WinHTTP's machine default.
#include "SystemProxy.h"

#include <atomic>

namespace tarn::fetch {

namespace {

std::wstring takeText(LPWSTR text) {
    std::wstring out = text ? text : L"";
    if (text) GlobalFree(text);
    return out;
}

/// One session for the automatic configuration, kept for the process's life: WinHTTP keeps the
/// detected script in it, so that detection (which may take seconds where nothing answers it) is
/// not repeated on every request, each of which has a short deadline.
HINTERNET autoProxySession() {
    static HINTERNET session = WinHttpOpen(L"", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                           WINHTTP_NO_PROXY_BYPASS, 0);
    return session;
}

/// Where detection finds no configuration it is not tried again for a while: on such a network every
/// request would otherwise spend seconds of its short deadline on it.
constexpr DWORD kDetectionPauseMs = 10 * 60 * 1000;
std::atomic<bool> detectionFailed{false};
std::atomic<DWORD> detectionFailedAt{0};

bool detectionPaused() { return detectionFailed && GetTickCount() - detectionFailedAt < kDetectionPauseMs; }

}  // namespace

ProxyChoice::ProxyChoice(const std::wstring& ownProxy) {
    if (!ownProxy.empty()) {
        access_ = WINHTTP_ACCESS_TYPE_NAMED_PROXY;
        proxy_ = ownProxy;
        return;
    }
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG user{};
    if (!WinHttpGetIEProxyConfigForCurrentUser(&user)) return;
    proxy_ = takeText(user.lpszProxy);
    bypass_ = takeText(user.lpszProxyBypass);
    autoConfigUrl_ = takeText(user.lpszAutoConfigUrl);
    autoDetect_ = user.fAutoDetect != FALSE;
    if (!proxy_.empty()) access_ = WINHTTP_ACCESS_TYPE_NAMED_PROXY;
}

HINTERNET ProxyChoice::openSession(const std::wstring& agent) const {
    const bool named = access_ == WINHTTP_ACCESS_TYPE_NAMED_PROXY;
    return WinHttpOpen(agent.c_str(), access_, named ? proxy_.c_str() : WINHTTP_NO_PROXY_NAME,
                       named && !bypass_.empty() ? bypass_.c_str() : WINHTTP_NO_PROXY_BYPASS, 0);
}

void ProxyChoice::applyTo(HINTERNET request, const std::wstring& url) const {
    if (autoConfigUrl_.empty() && (!autoDetect_ || detectionPaused())) return;
    WINHTTP_AUTOPROXY_OPTIONS options{};
    if (!autoConfigUrl_.empty()) {
        options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
        options.lpszAutoConfigUrl = autoConfigUrl_.c_str();
    }
    if (autoDetect_) {
        options.dwFlags |= WINHTTP_AUTOPROXY_AUTO_DETECT;
        options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
    }
    options.fAutoLogonIfChallenged = TRUE;
    WINHTTP_PROXY_INFO info{};
    HINTERNET session = autoProxySession();
    if (!session) return;
    if (!WinHttpGetProxyForUrl(session, url.c_str(), &options, &info)) {
        if (GetLastError() == ERROR_WINHTTP_AUTODETECTION_FAILED && autoConfigUrl_.empty()) {
            detectionFailedAt = GetTickCount();
            detectionFailed = true;
        }
        return;
    }
    WinHttpSetOption(request, WINHTTP_OPTION_PROXY, &info, sizeof info);
    if (info.lpszProxy) GlobalFree(info.lpszProxy);
    if (info.lpszProxyBypass) GlobalFree(info.lpszProxyBypass);
}

}  // namespace tarn::fetch
