// Reads back and steers the recording engine that the tests load in place of the scoring engine.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "sim/SimLibraryLoader.h"
#include "support/TestPaths.h"

namespace tw::test {

/// The recording engine keeps one call log per process; make this first in a test to start it empty.
class EngineRecording {
public:
    EngineRecording() : loader_({stubLibraryDir()}), library_(loader_.load("tarnengine.dll")) { reset(); }

    void reset() { fn<void (*)()>("TWSTUB_reset")(); }
    void setNextHandle(int32_t handle) { fn<void (*)(int32_t)>("TWSTUB_setNextHandle")(handle); }
    void setInitializeStatus(int32_t status) { fn<void (*)(int32_t)>("TWSTUB_setInitializeStatus")(status); }
    /// The score every message gets, unless a text it contains has its own.
    void setScore(int32_t score) { fn<void (*)(int32_t)>("TWSTUB_setScore")(score); }
    /// The score for messages whose headers contain the text (its subject, for instance).
    void setScoreFor(const std::string& text, int32_t score) {
        fn<void (*)(const char*, int32_t)>("TWSTUB_setScoreFor")(text.c_str(), score);
    }
    /// What the engine answers when asked for an option.
    void setOption(const std::string& name, const std::string& value) {
        fn<void (*)(const char*, const char*)>("TWSTUB_setOption")(name.c_str(), value.c_str());
    }

    /// Every call so far, for example "TW_setOption(1,netcheck,yes)".
    std::vector<std::string> calls() {
        auto count = fn<int32_t (*)()>("TWSTUB_callCount");
        auto read = fn<int32_t (*)(int32_t, char*, int32_t)>("TWSTUB_call");
        std::vector<std::string> out;
        for (int32_t i = 0; i < count(); ++i) {
            char buffer[1024];
            read(i, buffer, sizeof buffer);
            out.emplace_back(buffer);
        }
        return out;
    }

    /// The options set on one engine handle, in order, as name and value.
    std::vector<std::pair<std::string, std::string>> optionsSetOn(int32_t handle) {
        const std::string prefix = "TW_setOption(" + std::to_string(handle) + ",";
        std::vector<std::pair<std::string, std::string>> out;
        for (const std::string& call : calls()) {
            if (call.rfind(prefix, 0) != 0) continue;
            std::string rest = call.substr(prefix.size(), call.size() - prefix.size() - 1);
            size_t comma = rest.find(',');
            out.emplace_back(rest.substr(0, comma), rest.substr(comma + 1));
        }
        return out;
    }

    /// The calls whose text starts with `start`.
    std::vector<std::string> callsStartingWith(const std::string& start) {
        std::vector<std::string> out;
        for (const std::string& call : calls())
            if (call.rfind(start, 0) == 0) out.push_back(call);
        return out;
    }

private:
    template <typename Fn>
    Fn fn(const char* name) {
        return reinterpret_cast<Fn>(loader_.resolve(library_, name));
    }

    sim::SimLibraryLoader loader_;
    void* library_;
};

}  // namespace tw::test
