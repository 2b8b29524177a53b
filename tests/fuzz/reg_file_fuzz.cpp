// Fuzz target for the registry file reader: any input either loads or raises Error, and what loads writes back stably.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/Error.h"
#include "sim/SimRegistry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    tw::sim::SimRegistry registry;
    try {
        registry.loadRegFile(text, "fuzz.reg");
    } catch (const tw::Error&) {
        return 0;
    }
    // Whatever was accepted must come back from its own written form unchanged.
    const std::string written = registry.toRegFile();
    tw::sim::SimRegistry again;
    again.loadRegFile(written, "written.reg");
    if (again.toRegFile() != written) std::abort();
    return 0;
}
