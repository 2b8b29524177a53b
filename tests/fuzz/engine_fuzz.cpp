// Fuzz target for the scoring engine's C functions: any message trains and scores without crashing,
// and every score stays on the 0..100 scale.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engineapi/tarnengine_api.h"

extern "C" {
int32_t TW_CALL TW_constructor(char* clientName, char* directory);
int32_t TW_CALL TW_setOption(int32_t engine, char* name, char* value);
int32_t TW_CALL TW_score(int32_t engine, char* headers, char* body, char* senderAddress, int32_t flags,
                         char* senderName, int32_t* score);
int32_t TW_CALL TW_addMessage(int32_t engine, char* headers, char* body, int32_t offset, int32_t reserved);
}

namespace {

int32_t engineForFuzzing() {
    static int32_t handle = [] {
        std::string client = "fuzz", none;
        // No folder: nothing is written to disk while fuzzing.
        int32_t h = TW_constructor(client.data(), none.data());
        std::string name = "min_training", value = "1";
        TW_setOption(h, name.data(), value.data());
        return h;
    }();
    return handle;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const int32_t engine = engineForFuzzing();
    // The first byte picks the training direction and the score flags; the rest is the message.
    const uint8_t control = data[0];
    std::string raw(reinterpret_cast<const char*>(data + 1), size - 1);
    size_t blank = raw.find("\n\n");
    std::string headers = blank == std::string::npos ? raw : raw.substr(0, blank + 1);
    std::string body = blank == std::string::npos ? std::string() : raw.substr(blank + 2);
    std::string sender = "fuzz@example.org", name = "Fuzz";

    int32_t offset = (control & 1) ? 100 : -100;
    TW_addMessage(engine, headers.data(), body.data(), offset, 0);
    int32_t score = -1;
    TW_score(engine, headers.data(), body.data(), sender.data(), control >> 5, name.data(), &score);
    if (score < 0 || score > 100) std::abort();
    return 0;
}
