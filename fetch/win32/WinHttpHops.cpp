// The worker's side of a Windows transfer: each redirect is followed here, so every hop is checked
// against the redirect rule and the count, and every wait gets only what is left of the deadline.
#include <algorithm>

#include "Redirect.h"
#include "SystemProxy.h"
#include "WinHttpJob.h"
#include "fetchapi/tarnfetch_api.h"

namespace tarn::fetch {

Job::Job(const Request& r, size_t cap, Clock::time_point d) : request(r), capacity(cap), deadline(d) {
    InitializeCriticalSection(&lock_);
}

Job::~Job() { DeleteCriticalSection(&lock_); }

void Job::release() {
    if (InterlockedDecrement(&refs_) == 0) delete this;
}

HINTERNET Job::track(HINTERNET handle) {
    if (!handle) return nullptr;
    EnterCriticalSection(&lock_);
    const bool late = cancelled_;
    if (!late) open_.push_back(handle);
    LeaveCriticalSection(&lock_);
    if (!late) return handle;
    WinHttpCloseHandle(handle);
    SetLastError(ERROR_WINHTTP_OPERATION_CANCELLED);
    return nullptr;
}

void Job::close(HINTERNET handle) {
    if (!handle) return;
    EnterCriticalSection(&lock_);
    auto at = std::find(open_.begin(), open_.end(), handle);
    const bool mine = at != open_.end();
    if (mine) open_.erase(at);
    LeaveCriticalSection(&lock_);
    if (mine) WinHttpCloseHandle(handle);
}

void Job::cancel() {
    EnterCriticalSection(&lock_);
    cancelled_ = true;
    std::vector<HINTERNET> handles;
    handles.swap(open_);
    LeaveCriticalSection(&lock_);
    for (auto it = handles.rbegin(); it != handles.rend(); ++it) WinHttpCloseHandle(*it);
}

bool Job::cancelled() {
    EnterCriticalSection(&lock_);
    const bool out = cancelled_;
    LeaveCriticalSection(&lock_);
    return out;
}

namespace {

std::wstring wide(const std::string& text) {
    if (text.empty()) return {};
    int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), length);
    return out;
}

std::string narrow(const std::wstring& text) {
    if (text.empty()) return {};
    int length = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), length, nullptr, nullptr);
    return out;
}

int32_t codeOf(DWORD error) {
    switch (error) {
        case ERROR_WINHTTP_NAME_NOT_RESOLVED: return TF_CANNOT_RESOLVE;
        case ERROR_WINHTTP_CANNOT_CONNECT: return TF_CANNOT_CONNECT;
        case ERROR_WINHTTP_TIMEOUT:
        case ERROR_WINHTTP_OPERATION_CANCELLED: return TF_TIMED_OUT;
        default: return TF_TRANSFER_FAILED;
    }
}

int32_t failure(Job& job) {
    const DWORD error = GetLastError();
    return job.cancelled() ? TF_TIMED_OUT : codeOf(error);
}

int remainingMs(const Job& job) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(job.deadline - Clock::now()).count();
    return static_cast<int>(std::max<long long>(left, 0));
}

bool isRedirect(DWORD status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

std::wstring header(HINTERNET request, DWORD which) {
    DWORD size = 0;
    WinHttpQueryHeaders(request, which, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER, &size,
                        WINHTTP_NO_HEADER_INDEX);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) return {};
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    if (!WinHttpQueryHeaders(request, which, WINHTTP_HEADER_NAME_BY_INDEX, text.data(), &size, WINHTTP_NO_HEADER_INDEX))
        return {};
    text.resize(size / sizeof(wchar_t));
    return text;
}

void setText(HINTERNET handle, DWORD option, const std::wstring& value) {
    WinHttpSetOption(handle, option, const_cast<wchar_t*>(value.c_str()), static_cast<DWORD>(value.size()));
}

/// One request and connection, closed through the job when the hop is done.
class Hop {
public:
    Hop(Job& job) : job_(job) {}
    ~Hop() {
        job_.close(request);
        job_.close(connection);
    }
    Hop(const Hop&) = delete;
    Hop& operator=(const Hop&) = delete;

    HINTERNET connection = nullptr;
    HINTERNET request = nullptr;

private:
    Job& job_;
};

/// The user name and password go to the proxy when it asks for them, by the scheme it names.
bool answerProxyChallenge(HINTERNET request, const std::string& credentials) {
    DWORD supported = 0, first = 0, target = 0;
    if (!WinHttpQueryAuthSchemes(request, &supported, &first, &target)) return false;
    const DWORD preferred[] = {WINHTTP_AUTH_SCHEME_NEGOTIATE, WINHTTP_AUTH_SCHEME_NTLM, WINHTTP_AUTH_SCHEME_DIGEST,
                               WINHTTP_AUTH_SCHEME_BASIC};
    DWORD scheme = 0;
    for (DWORD s : preferred) {
        if (supported & s) {
            scheme = s;
            break;
        }
    }
    if (!scheme) return false;
    size_t colon = credentials.find(':');
    const std::wstring user = wide(credentials.substr(0, colon));
    const std::wstring password = colon == std::string::npos ? L"" : wide(credentials.substr(colon + 1));
    return WinHttpSetCredentials(request, WINHTTP_AUTH_TARGET_PROXY, scheme, user.c_str(), password.c_str(), nullptr);
}

}  // namespace

int32_t runHops(Job& job) {
    const Request& r = job.request;
    const int connectMs = std::min(r.connectTimeoutSeconds, r.timeoutSeconds) * 1000;
    const ProxyChoice proxy(wide(r.proxy));
    HINTERNET session = job.track(proxy.openSession(wide(r.clientName)));
    if (!session) return failure(job);
    struct SessionCloser {
        Job& job;
        HINTERNET handle;
        ~SessionCloser() { job.close(handle); }
    } sessionCloser{job, session};

    std::string url = r.url;
    bool post = r.post;
    for (int hop = 0;; ++hop) {
        const std::wstring wideUrl = wide(url);
        URL_COMPONENTS parts{};
        parts.dwStructSize = sizeof parts;
        parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength =
            static_cast<DWORD>(-1);
        if (!WinHttpCrackUrl(wideUrl.c_str(), 0, 0, &parts)) return TF_BAD_ARGUMENT;
        if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return TF_BAD_ARGUMENT;
        const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
        std::wstring path(parts.lpszUrlPath ? parts.lpszUrlPath : L"", parts.dwUrlPathLength);
        if (parts.lpszExtraInfo) path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
        if (path.empty()) path = L"/";

        Hop h(job);
        h.connection = job.track(WinHttpConnect(session, host.c_str(), parts.nPort, 0));
        if (!h.connection) return failure(job);
        h.request = job.track(WinHttpOpenRequest(h.connection, post ? L"POST" : L"GET", path.c_str(), nullptr,
                                                 WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                 parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0));
        if (!h.request) return failure(job);
        DWORD noRedirects = WINHTTP_DISABLE_REDIRECTS;
        WinHttpSetOption(h.request, WINHTTP_OPTION_DISABLE_FEATURE, &noRedirects, sizeof noRedirects);
        if (!r.proxyCredentials.empty()) {
            size_t colon = r.proxyCredentials.find(':');
            setText(h.request, WINHTTP_OPTION_PROXY_USERNAME, wide(r.proxyCredentials.substr(0, colon)));
            if (colon != std::string::npos)
                setText(h.request, WINHTTP_OPTION_PROXY_PASSWORD, wide(r.proxyCredentials.substr(colon + 1)));
        }
        if (r.proxy.empty()) proxy.applyTo(h.request, wideUrl);

        auto limitWaits = [&] {
            int left = remainingMs(job);
            return left > 0 && !job.cancelled() &&
                   WinHttpSetTimeouts(h.request, std::min(connectMs, left), std::min(connectMs, left), left, left);
        };
        void* data = post ? const_cast<char*>(r.body.data()) : WINHTTP_NO_REQUEST_DATA;
        const DWORD length = post ? static_cast<DWORD>(r.body.size()) : 0;
        DWORD status = 0;
        for (bool challenged = false;;) {
            if (!limitWaits()) return TF_TIMED_OUT;
            if (!WinHttpSendRequest(h.request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, data, length, length, 0))
                return failure(job);
            if (!WinHttpReceiveResponse(h.request, nullptr)) return failure(job);
            DWORD size = sizeof status;
            if (!WinHttpQueryHeaders(h.request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                                     WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX))
                return failure(job);
            // A proxy that asks once for the credentials gets them; a second refusal is the answer.
            if (status != 407 || challenged || r.proxyCredentials.empty()) break;
            if (!answerProxyChallenge(h.request, r.proxyCredentials)) break;
            challenged = true;
        }

        if (isRedirect(status)) {
            const std::string location = narrow(header(h.request, WINHTTP_QUERY_LOCATION));
            if (!location.empty()) {
                if (hop >= TF_MAX_REDIRECTS) return TF_TOO_MANY_REDIRECTS;
                const std::string next = resolveLocation(url, location);
                if (next.empty() || !redirectAllowed(url, next)) return TF_REFUSED_HOST;
                url = next;
                // As browsers do: a 303, and a 301 or 302 after a POST, continue as a GET.
                if (status == 303 || status == 301 || status == 302) post = false;
                continue;
            }
        }

        char chunk[8192];
        while (job.answer.size() < job.capacity) {
            if (!limitWaits()) return TF_TIMED_OUT;
            DWORD got = 0;
            if (!WinHttpReadData(h.request, chunk, sizeof chunk, &got)) return failure(job);
            if (got == 0) break;
            job.answer.append(chunk, std::min<size_t>(got, job.capacity - job.answer.size()));
        }
        if (status >= 200 && status < 300) return TF_OK;
        return status > 0 ? static_cast<int32_t>(status) : TF_TRANSFER_FAILED;
    }
}

}  // namespace tarn::fetch
