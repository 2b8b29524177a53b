// The Linux transfer over libcurl: redirects followed here, so each hop is checked and the total time-out holds.
#include <curl/curl.h>

#include <chrono>
#include <memory>
#include <mutex>

#include "LoopbackOnly.h"
#include "Redirect.h"
#include "Transfer.h"
#include "fetchapi/tarnfetch_api.h"

namespace tarn::fetch {

namespace {

using Clock = std::chrono::steady_clock;

struct Sink {
    BodyBuffer* body;
    bool stoppedFull = false;
};

size_t onBody(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    size_t bytes = size * count;
    if (sink->body->append(data, bytes)) return bytes;
    // The rest of the answer is not wanted: stop reading instead of waiting for it.
    sink->stoppedFull = true;
    return 0;
}

int32_t codeOf(CURLcode rc) {
    switch (rc) {
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY: return TF_CANNOT_RESOLVE;
        case CURLE_COULDNT_CONNECT: return TF_CANNOT_CONNECT;
        case CURLE_OPERATION_TIMEDOUT: return TF_TIMED_OUT;
        default: return TF_TRANSFER_FAILED;
    }
}

bool isRedirect(long status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

struct EasyDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};

}  // namespace

int32_t transfer(const Request& request, BodyBuffer& body) {
    static std::once_flag initialized;
    std::call_once(initialized, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

    const bool loopbackOnly = loopbackOnlyRequested();
    if (loopbackOnly && !request.proxy.empty() && !isLoopbackAddress(request.proxy)) return TF_REFUSED_HOST;

    const auto deadline = Clock::now() + std::chrono::seconds(request.timeoutSeconds);
    std::string url = request.url;
    bool post = request.post;
    for (int hop = 0;; ++hop) {
        if (loopbackOnly && !isLoopbackAddress(url)) return TF_REFUSED_HOST;
        const auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (remaining <= 0) return TF_TIMED_OUT;

        std::unique_ptr<CURL, EasyDeleter> handle(curl_easy_init());
        if (!handle) return TF_INTERNAL_ERROR;
        CURL* h = handle.get();
        Sink sink{&body};
        body.restart();
        curl_easy_setopt(h, CURLOPT_URL, url.c_str());
        curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
#if LIBCURL_VERSION_NUM >= 0x075500
        curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
#else
        curl_easy_setopt(h, CURLOPT_PROTOCOLS, static_cast<long>(CURLPROTO_HTTP | CURLPROTO_HTTPS));
#endif
        curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
        curl_easy_setopt(h, CURLOPT_USERAGENT, request.clientName.c_str());
        // An empty proxy also keeps libcurl from taking one from the environment: direct means direct.
        curl_easy_setopt(h, CURLOPT_PROXY, request.proxy.c_str());
        if (!request.proxyCredentials.empty()) curl_easy_setopt(h, CURLOPT_PROXYUSERPWD, request.proxyCredentials.c_str());
        curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS,
                         static_cast<long>(std::min<long long>(request.connectTimeoutSeconds * 1000LL, remaining)));
        curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(remaining));
        curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, onBody);
        curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);
        if (post) {
            curl_easy_setopt(h, CURLOPT_POSTFIELDS, request.body.data());
            curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
        }

        CURLcode rc = curl_easy_perform(h);
        if (rc == CURLE_WRITE_ERROR && sink.stoppedFull) rc = CURLE_OK;
        if (rc != CURLE_OK) return codeOf(rc);

        long status = 0;
        curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
        char* location = nullptr;
        if (isRedirect(status) && curl_easy_getinfo(h, CURLINFO_REDIRECT_URL, &location) == CURLE_OK && location) {
            // The redirect's own page is no answer.
            body.restart();
            if (hop >= TF_MAX_REDIRECTS) return TF_TOO_MANY_REDIRECTS;
            if (!redirectAllowed(url, location)) return TF_REFUSED_HOST;
            url = location;
            // As browsers do: a 303, and a 301 or 302 after a POST, continue as a GET.
            if (status == 303 || status == 301 || status == 302) post = false;
            continue;
        }
        if (status >= 200 && status < 300) return TF_OK;
        return status > 0 ? static_cast<int32_t>(status) : TF_TRANSFER_FAILED;
    }
}

}  // namespace tarn::fetch
