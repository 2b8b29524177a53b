// Fuzz target for the release file of the start-up release check: any bytes give a one-line
// version text or none, a release read from it is three numbers that read back from their own
// text, and a release the user chose to ignore is never offered again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzChecks.h"
#include "core/Text.h"
#include "net/ReleaseVersion.h"

using tw::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string file(reinterpret_cast<const char*>(data), size);
    const auto offered = tw::net::offeredVersionText(file);
    if (!offered) return 0;
    require(offered->find_first_of("\r\n") == std::string::npos, "the version is one line");
    require(*offered == tw::text::trim(*offered), "the version is trimmed");

    const auto release = tw::net::parseRelease(*offered);
    if (!release) return 0;
    for (int32_t part : *release) require(part >= 0, "release parts are not negative");
    const std::string written = std::to_string((*release)[0]) + "." + std::to_string((*release)[1]) + "." +
                                std::to_string((*release)[2]);
    require(tw::net::parseRelease(written) == release, "a release reads back from its own text");
    require(!tw::net::isNewer(*release, *release), "a release is not newer than itself");
    require(!tw::net::shouldRemind(*release, *offered), "an ignored release is not offered again");
    return 0;
}
