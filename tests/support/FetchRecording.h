// Reads back and steers the scripted fetch library that the add-in harness loads in place of tarnfetch.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/SimLibraryLoader.h"
#include "support/TestPaths.h"

namespace tw::test {

/// The scripted library keeps its state per process; make this first in a test to start it afresh:
/// every request succeeds until the test says otherwise, the ping page with the service's text and
/// every other address with an empty answer.
class FetchRecording {
public:
    FetchRecording() : loader_({stubLibraryDir()}), library_(loader_.load("tarnfetch.dll")) { reset(); }

    void reset() { fn<void (*)()>("TFSTUB_reset")(); }
    /// What every request returns from now on (0 success, anything else a failure).
    void setResult(int32_t result) { fn<void (*)(int32_t)>("TFSTUB_setResult")(result); }
    /// The answer's body written into the caller's buffer, up to its size and unterminated when it fills it.
    void setBody(const std::string& body) { fn<void (*)(const char*)>("TFSTUB_setBody")(body.c_str()); }

    /// What the service's ping page answers instead of its own text.
    void setPingBody(const std::string& body) { fn<void (*)(const char*)>("TFSTUB_setPingBody")(body.c_str()); }

    /// Every request so far, e.g. "GET http://host/page connect=3 total=5 buffer=1 client=... proxy= credentials=".
    std::vector<std::string> calls() {
        auto count = fn<int32_t (*)()>("TFSTUB_callCount");
        auto read = fn<void (*)(int32_t, char*, int32_t)>("TFSTUB_call");
        std::vector<std::string> out;
        for (int32_t i = 0; i < count(); ++i) {
            char buffer[1024];
            read(i, buffer, sizeof buffer);
            out.emplace_back(buffer);
        }
        return out;
    }
    size_t count() { return calls().size(); }

private:
    template <typename Fn>
    Fn fn(const char* name) {
        return reinterpret_cast<Fn>(loader_.resolve(library_, name));
    }

    sim::SimLibraryLoader loader_;
    void* library_;
};

}  // namespace tw::test
