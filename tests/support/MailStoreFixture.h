// A simulated mail client over a mail folder in a temporary directory, reopened at will as a
// restart of the client would.
#pragma once

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "sim/SimEventLoop.h"
#include "sim/SimMailClient.h"
#include "sim/SimMailStore.h"
#include "support/TempFolder.h"
#include "support/TestPaths.h"

namespace tw::test {

inline std::string simDataFile(const std::string& name) {
    std::ifstream in(sourceDir() + "/tests/sim/data/" + name, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class MailStoreFixture {
public:
    MailStoreFixture() : clock(OleDate::fromCivil({2026, 12, 8, 9, 0, 0})) {}

    std::filesystem::path mail() const { return temp.path() / "mail"; }

    sim::SimMailClient& open() {
        client = std::make_unique<sim::SimMailClient>(clock);
        client->openStore(mail(), [this](const std::string& line) { log.push_back(line); });
        return *client;
    }
    sim::SimMailClient& restart() {
        client.reset();
        log.clear();
        return open();
    }

    void putFile(const std::filesystem::path& relative, const std::string& bytes) {
        auto path = mail() / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }

    bool logged(const std::string& part) const {
        for (const auto& line : log)
            if (line.find(part) != std::string::npos) return true;
        return false;
    }

    std::shared_ptr<sim::SimItem> item(const std::string& entryId) { return client->findItem(entryId, ""); }

    TempFolder temp;
    sim::SimEventLoop clock;
    std::vector<std::string> log;
    std::unique_ptr<sim::SimMailClient> client;
};

}  // namespace tw::test
