// The library's C functions: handle tables, argument checks, and no exception ever crossing the boundary.
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "Engine.h"
#include "engineapi/tarnengine_api.h"

#if defined(_WIN32)
#define TARN_EXPORT __declspec(dllexport)
#else
#define TARN_EXPORT __attribute__((visibility("default")))
#endif

using tarn::engine::Engine;
using tarn::engine::MessageInfo;

namespace {

struct Handles {
    std::mutex mutex;
    std::map<int32_t, std::shared_ptr<Engine>> engines;
    std::map<int32_t, MessageInfo> messages;
    int32_t nextEngine = 1;
    int32_t nextMessage = 1;
};

Handles& handles() {
    static Handles h;
    return h;
}

int32_t nextHandle(int32_t& counter, const auto& table) {
    // Handles are positive and never reused while their owner lives.
    for (;;) {
        int32_t candidate = counter;
        counter = counter == INT32_MAX ? 1 : counter + 1;
        if (!table.count(candidate)) return candidate;
    }
}

std::shared_ptr<Engine> engineOf(int32_t handle) {
    std::lock_guard lock(handles().mutex);
    auto it = handles().engines.find(handle);
    return it == handles().engines.end() ? nullptr : it->second;
}

std::string_view textOf(const char* text) { return text ? std::string_view(text) : std::string_view(); }

/// Copies `value` into a caller's buffer of `*size` bytes; `*size` becomes the text length plus one.
int32_t copyOut(const std::string& value, char* buffer, int32_t* size) {
    if (!size) return tarn::engine::kBadArgument;
    int32_t capacity = *size;
    *size = static_cast<int32_t>(std::min<size_t>(value.size() + 1, INT32_MAX));
    if (!buffer || capacity <= 0) return tarn::engine::kTruncated;
    size_t fits = std::min(value.size(), static_cast<size_t>(capacity - 1));
    std::memcpy(buffer, value.data(), fits);
    buffer[fits] = '\0';
    if (fits < value.size()) {
        *size = static_cast<int32_t>(fits + 1);
        return tarn::engine::kTruncated;
    }
    return tarn::engine::kOk;
}

/// Copies whole lines of `text` that fit; `*size` becomes the whole text's length plus one, what the
/// caller needs to ask again with when the answer is kTruncated.
int32_t copyWholeLines(const std::string& text, char* buffer, int32_t* size) {
    if (!size) return tarn::engine::kBadArgument;
    const int32_t capacity = *size;
    if (text.size() >= static_cast<size_t>(INT32_MAX)) return tarn::engine::kInternalError;
    *size = static_cast<int32_t>(text.size() + 1);
    if (buffer && capacity > 0) {
        size_t fits = text.size();
        if (fits >= static_cast<size_t>(capacity))  // npos + 1 is 0: not even the first line fits
            fits = capacity < 2 ? 0 : text.rfind('\n', static_cast<size_t>(capacity - 2)) + 1;
        std::memcpy(buffer, text.data(), fits);
        buffer[fits] = '\0';
    }
    return *size <= capacity && buffer ? tarn::engine::kOk : tarn::engine::kTruncated;
}

/// A comma list cut after the last whole item that fits.
std::string fittingList(const std::vector<std::string>& items, int32_t capacity) {
    std::string out;
    for (const auto& item : items) {
        size_t needed = out.size() + (out.empty() ? 0 : 1) + item.size();
        if (capacity <= 0 || needed > static_cast<size_t>(capacity - 1)) break;
        if (!out.empty()) out += ',';
        out += item;
    }
    return out;
}

template <typename Body>
int32_t guarded(Body&& body) {
    try {
        return body();
    } catch (...) {
        return tarn::engine::kInternalError;
    }
}

}  // namespace

extern "C" {

TARN_EXPORT int32_t TW_CALL TW_constructor(char* clientName, char* directory) {
    return guarded([&] {
        auto engine = std::make_shared<Engine>(std::string(textOf(clientName)), std::string(textOf(directory)));
        std::lock_guard lock(handles().mutex);
        int32_t handle = nextHandle(handles().nextEngine, handles().engines);
        handles().engines[handle] = std::move(engine);
        return handle;
    });
}

TARN_EXPORT int32_t TW_CALL TW_setOption(int32_t engine, char* name, char* value) {
    return guarded([&] {
        auto e = engineOf(engine);
        if (!e) return tarn::engine::kBadHandle;
        return e->setOption(std::string(textOf(name)), std::string(textOf(value)));
    });
}

TARN_EXPORT int32_t TW_CALL TW_initialize(int32_t engine) {
    return guarded([&] {
        auto e = engineOf(engine);
        return e ? e->initialize() : tarn::engine::kBadHandle;
    });
}

TARN_EXPORT int32_t TW_CALL TW_getOption(int32_t engine, char* name, char* buffer, int32_t* size) {
    return guarded([&] {
        auto e = engineOf(engine);
        if (!e) return tarn::engine::kBadHandle;
        std::string value;
        int32_t status = e->getOption(std::string(textOf(name)), value);
        int32_t copied = copyOut(value, buffer, size);
        return status != tarn::engine::kOk ? status : copied;
    });
}

TARN_EXPORT int32_t TW_CALL TW_score(int32_t engine, char* headers, char* body, char* senderAddress, int32_t flags,
                                     char*, int32_t* score) {
    return guarded([&] {
        auto e = engineOf(engine);
        if (!e) return tarn::engine::kBadHandle;
        if (!score) return tarn::engine::kBadArgument;
        return e->score(textOf(headers), textOf(body), textOf(senderAddress), flags, *score);
    });
}

TARN_EXPORT int32_t TW_CALL TW_explainLastScore(int32_t engine, char* buffer, int32_t* size) {
    return guarded([&] {
        auto e = engineOf(engine);
        if (!e) return tarn::engine::kBadHandle;
        return copyWholeLines(e->explainLastScore(), buffer, size);
    });
}

TARN_EXPORT int32_t TW_CALL TW_addMessage(int32_t engine, char* headers, char* body, int32_t offset, int32_t) {
    return guarded([&] {
        auto e = engineOf(engine);
        return e ? e->addMessage(textOf(headers), textOf(body), offset) : tarn::engine::kBadHandle;
    });
}

TARN_EXPORT int32_t TW_CALL TW_getMessage(int32_t engine, char* headers, char* body, int32_t) {
    return guarded([&] {
        auto e = engineOf(engine);
        if (!e) return tarn::engine::kBadHandle;
        MessageInfo info = e->describe(textOf(headers), textOf(body));
        std::lock_guard lock(handles().mutex);
        int32_t handle = nextHandle(handles().nextMessage, handles().messages);
        handles().messages[handle] = std::move(info);
        return handle;
    });
}

TARN_EXPORT int32_t TW_CALL TW_getMessageInfo(int32_t message, char* name, char* buffer, int32_t* size) {
    return guarded([&] {
        if (!size) return tarn::engine::kBadArgument;
        std::lock_guard lock(handles().mutex);
        auto it = handles().messages.find(message);
        if (it == handles().messages.end()) return tarn::engine::kBadHandle;
        std::string_view what = textOf(name);
        const std::vector<std::string>* items = what == "charsets"    ? &it->second.charsets
                                                : what == "countries" ? &it->second.countries
                                                                      : nullptr;
        if (!items) return tarn::engine::kUnknownOption;
        std::string list = fittingList(*items, *size);
        std::string whole = fittingList(*items, INT32_MAX);
        int32_t status = copyOut(list, buffer, size);
        return status == tarn::engine::kOk && list.size() < whole.size() ? tarn::engine::kTruncated : status;
    });
}

TARN_EXPORT int32_t TW_CALL TW_delMessage(int32_t message) {
    return guarded([&] {
        std::lock_guard lock(handles().mutex);
        return handles().messages.erase(message) ? tarn::engine::kOk : tarn::engine::kBadHandle;
    });
}

TARN_EXPORT int32_t TW_CALL TW_bounce(int32_t engine, char* recipient, char* headers) {
    return guarded([&] {
        auto e = engineOf(engine);
        return e ? e->bounce(textOf(recipient), textOf(headers)) : tarn::engine::kBadHandle;
    });
}

TARN_EXPORT int32_t TW_CALL TW_addReportSender(int32_t engine, int32_t action, char* address, char* headers,
                                               char* body) {
    return guarded([&] {
        auto e = engineOf(engine);
        return e ? e->addReportSender(action, textOf(address), textOf(headers), textOf(body))
                 : tarn::engine::kBadHandle;
    });
}

TARN_EXPORT int32_t TW_CALL TW_reportSenders(int32_t engine) {
    return guarded([&] {
        auto e = engineOf(engine);
        return e ? e->reportSenders() : tarn::engine::kBadHandle;
    });
}

TARN_EXPORT int32_t TW_CALL TW_addSpamAddrTo(int32_t engine, char* address, int32_t number, int16_t add) {
    return guarded([&] {
        auto e = engineOf(engine);
        return e ? e->changeAddress(textOf(address), true, number, add != 0) : tarn::engine::kBadHandle;
    });
}

TARN_EXPORT int32_t TW_CALL TW_addSpamAddrFrom(int32_t engine, char* address, int32_t number, int16_t add) {
    return guarded([&] {
        auto e = engineOf(engine);
        return e ? e->changeAddress(textOf(address), false, number, add != 0) : tarn::engine::kBadHandle;
    });
}

TARN_EXPORT int32_t TW_CALL TW_getSpamAddrFrom(int32_t engine, char* address, int32_t* result) {
    return guarded([&] {
        auto e = engineOf(engine);
        if (!e) return tarn::engine::kBadHandle;
        if (!result) return tarn::engine::kBadArgument;
        return e->getSpamAddrFrom(textOf(address), *result);
    });
}

TARN_EXPORT int32_t TW_CALL TW_readOldAddrSettings(int32_t engine, char* fileName) {
    return guarded([&] {
        auto e = engineOf(engine);
        return e ? e->readOldAddrSettings(std::string(textOf(fileName))) : tarn::engine::kBadHandle;
    });
}

TARN_EXPORT int32_t TW_CALL TW_destructor(int32_t engine) {
    return guarded([&] {
        std::shared_ptr<Engine> e;
        {
            std::lock_guard lock(handles().mutex);
            auto it = handles().engines.find(engine);
            if (it == handles().engines.end()) return tarn::engine::kBadHandle;
            e = std::move(it->second);
            handles().engines.erase(it);
        }
        // The last owner saves the stores as it goes, outside the table's lock.
        e.reset();
        return tarn::engine::kOk;
    });
}

}  // extern "C"
