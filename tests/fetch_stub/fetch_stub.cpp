// A scripted fetch library for tests: every request is recorded, and the answer and result are set by
// the test. Until told otherwise every request succeeds: the service's ping page answers its text, every
// other address an empty answer.
#include <cstring>
#include <string>
#include <vector>

#include "fetchapi/tarnfetch_api.h"
#include "settings/ServiceAddresses.h"

namespace {

struct StubState {
    std::vector<std::string> calls;
    int32_t result = 0;
    std::string body;
    std::string pingBody{tw::settings::kPingPageText};
};

bool isPingPage(const char* url) {
    static const std::string kPage = "/tarnwickping.txt";
    const std::string u = url ? url : "";
    return u.size() >= kPage.size() && u.compare(u.size() - kPage.size(), kPage.size(), kPage) == 0;
}

StubState& state() {
    static StubState s;
    return s;
}

std::string str(const char* s) { return s ? s : "(null)"; }

int32_t answer(const std::string& call, const char* url, char* buffer, int32_t bufferSize) {
    state().calls.push_back(call);
    const std::string& body = isPingPage(url) ? state().pingBody : state().body;
    if (buffer && bufferSize > 0) {
        // Fills the buffer to its last byte when the answer is that long, as a real transfer may.
        size_t fits = std::min(body.size(), static_cast<size_t>(bufferSize));
        std::memcpy(buffer, body.data(), fits);
        if (fits < static_cast<size_t>(bufferSize)) buffer[fits] = '\0';
    }
    return state().result;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int32_t TW_CALL tw_sendGetRequest(char* url, int32_t connectTimeout,
                                                                          int32_t timeout, char* buffer,
                                                                          int32_t bufferSize, char* clientName,
                                                                          char* proxy, char* proxyCredentials) {
    return answer("GET " + str(url) + " connect=" + std::to_string(connectTimeout) + " total=" +
                      std::to_string(timeout) + " buffer=" + std::to_string(bufferSize) + " client=" + str(clientName) +
                      " proxy=" + str(proxy) + " credentials=" + str(proxyCredentials),
                  url, buffer, bufferSize);
}

__attribute__((visibility("default"))) int32_t TW_CALL tw_sendRequest(char* body, char* url, int32_t connectTimeout,
                                                                       int32_t timeout, char* buffer, int32_t bufferSize,
                                                                       char* clientName, char* proxy,
                                                                       char* proxyCredentials) {
    return answer("POST " + str(url) + " body=" + str(body) + " connect=" + std::to_string(connectTimeout) +
                      " total=" + std::to_string(timeout) + " buffer=" + std::to_string(bufferSize) +
                      " client=" + str(clientName) + " proxy=" + str(proxy) + " credentials=" + str(proxyCredentials),
                  url, buffer, bufferSize);
}

__attribute__((visibility("default"))) void TFSTUB_reset() { state() = StubState{}; }
__attribute__((visibility("default"))) void TFSTUB_setResult(int32_t result) { state().result = result; }
__attribute__((visibility("default"))) void TFSTUB_setBody(const char* body) { state().body = str(body); }
__attribute__((visibility("default"))) void TFSTUB_setPingBody(const char* body) { state().pingBody = str(body); }
__attribute__((visibility("default"))) int32_t TFSTUB_callCount() { return static_cast<int32_t>(state().calls.size()); }
__attribute__((visibility("default"))) void TFSTUB_call(int32_t index, char* buffer, int32_t size) {
    std::string call = index >= 0 && index < TFSTUB_callCount() ? state().calls[static_cast<size_t>(index)] : "";
    if (!buffer || size <= 0) return;
    std::strncpy(buffer, call.c_str(), static_cast<size_t>(size - 1));
    buffer[size - 1] = '\0';
}

}  // extern "C"
