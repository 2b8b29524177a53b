// The proxy a request goes through on Windows: the add-in's own, or else the user's Internet settings.
#pragma once

#include <windows.h>
#include <winhttp.h>

#include <string>

namespace tarn::fetch {

class ProxyChoice {
public:
    /// `ownProxy` is the add-in's "host:port"; empty takes the system's settings.
    explicit ProxyChoice(const std::wstring& ownProxy);

    /// A session that goes through the chosen proxy, or nullptr with the error in GetLastError.
    HINTERNET openSession(const std::wstring& agent) const;
    /// Sets the proxy an automatic configuration names for this address on the request; with no
    /// automatic configuration, or when it has no answer, the session's choice stands.
    void applyTo(HINTERNET request, const std::wstring& url) const;

private:
    DWORD access_ = WINHTTP_ACCESS_TYPE_DEFAULT_PROXY;
    std::wstring proxy_;
    std::wstring bypass_;
    bool autoDetect_ = false;
    std::wstring autoConfigUrl_;
};

}  // namespace tarn::fetch
