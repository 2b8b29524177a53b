// Numbered message files in the profile's outbox/ folder, so a person can read what would leave the machine.
#include "host/OutboxFolder.h"

#include <cstdio>

#include "sim/DurableFile.h"

namespace tw::host {

std::filesystem::path writeOutboxMessage(const std::filesystem::path& folder, const std::string& raw) {
    std::filesystem::create_directories(folder);
    for (int number = 1;; ++number) {
        char name[32];
        std::snprintf(name, sizeof name, "%04d.eml", number);
        auto path = folder / name;
        if (std::filesystem::exists(path)) continue;
        // Written beside under a name no reader takes for a message ("0001.eml.tmp"), so a crash
        // leaves no half message; the next message written reuses the name.
        sim::writeFileDurably(path, sim::temporaryBeside(path), raw);
        return path;
    }
}

}  // namespace tw::host
