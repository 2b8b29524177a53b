// Binds the engine's functions lazily and passes texts as the modifiable buffers the engine expects.
#include "engineapi/EngineLibrary.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/AnsiText.h"
#include "core/Error.h"

namespace tw::engineapi {

namespace {

/// A NUL-terminated copy, in the system's code page, that the engine may write into.
class Buffer {
public:
    explicit Buffer(const std::string& text) {
        const std::string converted = ansi::fromUtf8(text);
        bytes_.assign(converted.begin(), converted.end());
        bytes_.push_back('\0');
    }
    char* get() { return bytes_.data(); }

private:
    std::vector<char> bytes_;
};

constexpr int32_t kOptionBufferSize = 20;
constexpr int32_t kInfoBufferSize = 1024;

}  // namespace

EngineLibrary::EngineLibrary(platform::LibraryLoader& loader, std::string fileName)
    : loader_(loader), fileName_(std::move(fileName)) {}

template <typename Fn>
Fn EngineLibrary::bind(Fn& slot, const char* name) {
    if (!slot) {
        if (!library_) library_ = loader_.load(fileName_);
        slot = reinterpret_cast<Fn>(loader_.resolve(library_, name));
    }
    return slot;
}

int32_t EngineLibrary::TW_constructor(const std::string& clientName, const std::string& directory) {
    Buffer client(clientName), dir(directory);
    return bind(constructor_, "TW_constructor")(client.get(), dir.get());
}

int32_t EngineLibrary::TW_setOption(int32_t engine, const std::string& name, const std::string& value) {
    Buffer n(name), v(value);
    return bind(setOption_, "TW_setOption")(engine, n.get(), v.get());
}

int32_t EngineLibrary::TW_initialize(int32_t engine) { return bind(initialize_, "TW_initialize")(engine); }

std::string EngineLibrary::TW_getOption(int32_t engine, const std::string& name, int32_t* result) {
    Buffer n(name);
    std::vector<char> buffer(kOptionBufferSize + 1, '\0');
    int32_t size = kOptionBufferSize;
    int32_t status = bind(getOption_, "TW_getOption")(engine, n.get(), buffer.data(), &size);
    if (result) *result = status;
    buffer.back() = '\0';
    return ansi::toUtf8(buffer.data());
}

std::string EngineLibrary::getLongOption(int32_t engine, const std::string& name, int32_t* result) {
    constexpr int32_t kTruncatedStatus = 2;
    constexpr int32_t kLongestOption = 1 << 20;
    Buffer n(name);
    int32_t capacity = kInfoBufferSize;
    for (;;) {
        std::vector<char> buffer(static_cast<size_t>(capacity) + 1, '\0');
        int32_t size = capacity;
        int32_t status = bind(getOption_, "TW_getOption")(engine, n.get(), buffer.data(), &size);
        if (status == kTruncatedStatus && capacity < kLongestOption) {
            capacity *= 4;
            continue;
        }
        if (result) *result = status;
        buffer.back() = '\0';
        return ansi::toUtf8(buffer.data());
    }
}

int32_t EngineLibrary::TW_score(int32_t engine, const std::string& headers, const std::string& body,
                                const std::string& senderAddress, int32_t flags, const std::string& senderName,
                                int32_t& score) {
    Buffer h(headers), b(body), s(senderAddress), n(senderName);
    return bind(score_, "TW_score")(engine, h.get(), b.get(), s.get(), flags, n.get(), &score);
}

std::string EngineLibrary::TW_explainLastScore(int32_t engine, int32_t* result) {
    constexpr int32_t kTruncatedStatus = 2;
    constexpr int32_t kLongestExplanation = 1 << 20;
    if (result) *result = 0;
    if (!explainLooked_) {
        if (!library_) library_ = loader_.load(fileName_);
        try {
            explainLastScore_ = reinterpret_cast<TW_explainLastScore_fn>(loader_.resolve(library_, "TW_explainLastScore"));
        } catch (const Error&) {
            explainLastScore_ = nullptr;  // an engine from before the function: nothing to explain
        }
        explainLooked_ = true;
    }
    if (!explainLastScore_) return {};
    int32_t capacity = kInfoBufferSize;
    for (;;) {
        std::vector<char> buffer(static_cast<size_t>(capacity) + 1, '\0');
        int32_t size = capacity;
        int32_t status = explainLastScore_(engine, buffer.data(), &size);
        // The engine answers the size it needs; grow at least fourfold so a wrong answer cannot loop long.
        if (status == kTruncatedStatus && capacity < kLongestExplanation) {
            capacity = std::min(kLongestExplanation, std::max(size, capacity * 4));
            continue;
        }
        if (result) *result = status;
        buffer.back() = '\0';
        return ansi::toUtf8(buffer.data());
    }
}

int32_t EngineLibrary::TW_addMessage(int32_t engine, const std::string& headers, const std::string& body, int32_t offset) {
    Buffer h(headers), b(body);
    return bind(addMessage_, "TW_addMessage")(engine, h.get(), b.get(), offset, 0);
}

int32_t EngineLibrary::TW_getMessage(int32_t engine, const std::string& headers, const std::string& body) {
    Buffer h(headers), b(body);
    return bind(getMessage_, "TW_getMessage")(engine, h.get(), b.get(), -1);
}

int32_t EngineLibrary::TW_getMessageInfo(int32_t message, const std::string& name, std::string& text) {
    Buffer n(name);
    std::vector<char> buffer(kInfoBufferSize + 1, '\0');
    int32_t size = kInfoBufferSize;
    int32_t status = bind(getMessageInfo_, "TW_getMessageInfo")(message, n.get(), buffer.data(), &size);
    buffer.back() = '\0';
    // The size out is the text length plus one; never trust it beyond the buffer.
    size_t length = size > 0 ? static_cast<size_t>(size - 1) : 0;
    length = std::min(length, std::strlen(buffer.data()));
    text = ansi::toUtf8(std::string_view(buffer.data(), length));
    return status;
}

int32_t EngineLibrary::TW_delMessage(int32_t message) { return bind(delMessage_, "TW_delMessage")(message); }

int32_t EngineLibrary::TW_bounce(int32_t engine, const std::string& recipient, const std::string& headers) {
    Buffer r(recipient), h(headers);
    return bind(bounce_, "TW_bounce")(engine, r.get(), h.get());
}

int32_t EngineLibrary::TW_addReportSender(int32_t engine, int32_t action, const std::string& address,
                                          const std::string& headers, const std::string& body) {
    Buffer a(address), h(headers), b(body);
    return bind(addReportSender_, "TW_addReportSender")(engine, action, a.get(), h.get(), b.get());
}

int32_t EngineLibrary::TW_reportSenders(int32_t engine) { return bind(reportSenders_, "TW_reportSenders")(engine); }

int32_t EngineLibrary::TW_addSpamAddrTo(int32_t engine, const std::string& address, int32_t number, bool add) {
    Buffer a(address);
    return bind(addSpamAddrTo_, "TW_addSpamAddrTo")(engine, a.get(), number, static_cast<int16_t>(add ? -1 : 0));
}

int32_t EngineLibrary::TW_addSpamAddrFrom(int32_t engine, const std::string& address, int32_t number, bool add) {
    Buffer a(address);
    return bind(addSpamAddrFrom_, "TW_addSpamAddrFrom")(engine, a.get(), number, static_cast<int16_t>(add ? -1 : 0));
}

int32_t EngineLibrary::TW_getSpamAddrFrom(int32_t engine, const std::string& address, int32_t& result) {
    Buffer a(address);
    return bind(getSpamAddrFrom_, "TW_getSpamAddrFrom")(engine, a.get(), &result);
}

int32_t EngineLibrary::TW_readOldAddrSettings(int32_t engine, const std::string& fileName) {
    Buffer f(fileName);
    return bind(readOldAddrSettings_, "TW_readOldAddrSettings")(engine, f.get());
}

int32_t EngineLibrary::TW_destructor(int32_t engine) { return bind(destructor_, "TW_destructor")(engine); }

}  // namespace tw::engineapi
