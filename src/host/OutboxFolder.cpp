// Numbered message files in the profile's outbox/ folder, so a person can read what would leave the machine.
#include "host/OutboxFolder.h"

#include <cstdio>
#include <fstream>

namespace tw::host {

std::filesystem::path writeOutboxMessage(const std::filesystem::path& folder, const std::string& raw) {
    std::filesystem::create_directories(folder);
    for (int number = 1;; ++number) {
        char name[32];
        std::snprintf(name, sizeof name, "%04d.eml", number);
        auto path = folder / name;
        if (std::filesystem::exists(path)) continue;
        std::ofstream out(path, std::ios::binary);
        out << raw;
        if (!out) throw std::filesystem::filesystem_error("cannot write the sent message", path, std::error_code());
        return path;
    }
}

}  // namespace tw::host
