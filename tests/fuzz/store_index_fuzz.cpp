// Fuzz target for the mail store's index and journal: any file contents load without crashing,
// every item read is found by its entry identifier, a key finds only an item of that key, and the
// index written from what was read loads into the same index again.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "FuzzChecks.h"
#include "core/Text.h"
#include "sim/StoreIndex.h"

namespace {

using tw::fuzz::require;
using tw::sim::StoreIndex;

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

/// The index's text after loading: compacting writes the whole of what was read.
std::string compacted(StoreIndex& index) {
    index.compact();
    return readFile(index.indexFile());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const auto folder = tw::fuzz::scratchFolder("store_index_fuzz");
    // Up to a form feed the index file, after it the journal.
    const size_t split = bytes.find('\f');
    StoreIndex index(folder, [](const std::string&) {});
    writeFile(index.indexFile(), bytes.substr(0, split));
    if (split != std::string::npos) writeFile(index.journalFile(), bytes.substr(split + 1));
    else std::filesystem::remove(index.journalFile());
    index.load();

    const std::string written = compacted(index);
    for (const auto& line : tw::text::split(written, "\n")) {
        if (!tw::text::startsWith(line, "item\t")) continue;
        // Entry identifiers and keys in the written index hold no tab, and escapes only "\\".
        const auto fields = tw::text::split(line, "\t");
        const bool plain = fields[1].find('\\') == std::string::npos && fields[2].find('\\') == std::string::npos;
        if (!plain) continue;
        const auto* byId = index.findById(fields[1]);
        require(byId != nullptr, "an item written is found by its entry identifier");
        require(std::isfinite(byId->created.serial()), "an item's creation time is a date");
        // A damaged index can have given two items one key on the way; the key may then find
        // neither, but never an item of another key.
        const auto* byKey = index.findByKey(fields[2]);
        require(byKey == nullptr || byKey->key == fields[2], "a key finds an item of that key");
    }

    StoreIndex again(folder, [](const std::string&) {});
    again.load();
    require(again.itemCount() == index.itemCount(), "the written index holds every item");
    require(compacted(again) == written, "the written index loads as itself");
    return 0;
}
