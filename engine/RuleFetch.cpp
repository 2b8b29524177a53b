// Binds tw_sendGetRequest and hands it texts as the modifiable buffers its C interface takes.
#include "RuleFetch.h"

#include <vector>

#include "FileIo.h"
#include "SharedLibrary.h"

namespace tarn::engine {

namespace {

std::vector<char> cText(const std::string& text) {
    std::vector<char> bytes(text.begin(), text.end());
    bytes.push_back('\0');
    return bytes;
}

}  // namespace

std::unique_ptr<FetchLibrary> FetchLibrary::load(const std::string& folder) {
    void* handle = openSharedLibrary(joinPath(folder, kFetchLibraryFileName));
    auto get = reinterpret_cast<tw_sendGetRequest_fn>(sharedLibraryFunction(handle, "tw_sendGetRequest"));
    if (!get) {
        closeSharedLibrary(handle);
        return nullptr;
    }
    return std::unique_ptr<FetchLibrary>(new FetchLibrary(handle, get));
}

FetchLibrary::~FetchLibrary() { closeSharedLibrary(handle_); }

RuleFetch FetchLibrary::getter(std::string proxy, std::string proxyCredentials, std::string clientName) const {
    return [get = get_, proxy = std::move(proxy), credentials = std::move(proxyCredentials),
            client = std::move(clientName)](const std::string& url, char* buffer, int32_t size) {
        auto u = cText(url), c = cText(client), p = cText(proxy), pc = cText(credentials);
        return get(u.data(), kRuleFetchConnectSeconds, kRuleFetchTotalSeconds, buffer, size, c.data(), p.data(),
                   pc.data());
    };
}

}  // namespace tarn::engine
