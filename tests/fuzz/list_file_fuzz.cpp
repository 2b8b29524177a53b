// Fuzz target for the sender list files: any bytes load as distinct, trimmed, lower-case,
// one-line entries, and what is written from them loads back as the same entries.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/Text.h"
#include "senders/ListFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    tw::KeyedSet entries;
    tw::senders::parseListFile(bytes, entries);
    for (const auto& entry : entries) {
        if (entry.empty() || entry != tw::text::lower(tw::text::trim(entry))) std::abort();
        if (entry.find_first_of("\r\n") != std::string::npos) std::abort();
    }
    tw::KeyedSet again;
    tw::senders::parseListFile(tw::senders::formatListFile(tw::senders::getSortedKeys(entries)), again);
    if (again.Count() != entries.Count()) std::abort();
    for (const auto& entry : entries)
        if (!again.Exists(entry)) std::abort();
    return 0;
}
