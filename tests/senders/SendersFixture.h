// A Senders object over the simulated platform: its data folder, the Contacts folder of the sim
// client, the recording engine and a log to read back.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "engineapi/EngineLibrary.h"
#include "engineapi/Bounce.h"
#include "classify/MessageContent.h"
#include "senders/Senders.h"
#include "settings/RegistryAccess.h"
#include "support/AddinHarness.h"
#include "support/EngineRecording.h"

namespace tw::test {

class SendersFixture : public ::testing::Test {
protected:
    static constexpr const char* kFolder = "C:\\Data";
    static constexpr int32_t kEngineHandle = 7;

    SendersFixture() : engine(h.libraries), content(h.safeMail, h.library.ensureLog()) {
        h.files.createFolders(kFolder);
        content.setMapiUtils(h.safeMail.CreateMAPIUtils(classify::safeMailProgId("MAPIUtils")));
    }

    senders::Senders& open() {
        senders.reset();
        senders = std::make_unique<senders::Senders>(senders::SendersContext{
            h.files, h.loop, h.library.ensureLog(), h.library.settings, settings::SettingsKey(h.registry), kFolder,
            h.client.nameSpace(), &content, engineapi::Bounce(engine, [this] { return engineHandle; })});
        return *senders;
    }

    static std::string path(const std::string& name) { return std::string(kFolder) + "\\" + name; }
    std::string file(const std::string& name) { return h.files.readAll(path(name)); }

    /// Writes a list file as another program would, with a file time of its own so that the
    /// change is seen even within the second of the last save, and lets a second pass so that
    /// the next decision looks at the files.
    void editOutside(const std::string& name, const std::string& bytes) {
        h.files.replaceContents(path(name), bytes);
        static int step = 0;
        auto host = h.files.hostPath(path(name));
        std::filesystem::last_write_time(host, std::filesystem::last_write_time(host) + std::chrono::seconds(++step));
        h.loop.advance(1000);
    }

    bool blocked(const std::string& address) {
        bool approved = false;
        return senders->isBlocked(address, classify::getDomain(address), approved);
    }
    /// "blocked", "approved" or "neither", as the filter sees the sender.
    std::string verdict(const std::string& address) {
        bool approved = false;
        bool isBlocked = senders->isBlocked(address, classify::getDomain(address), approved);
        return isBlocked ? "blocked" : approved ? "approved" : "neither";
    }
    bool loggedError(const std::string& procedure) { return h.logHas(procedure + " : Error #"); }

    AddinHarness h;
    EngineRecording recording;
    engineapi::EngineLibrary engine;
    int32_t engineHandle = kEngineHandle;
    classify::MessageContent content;
    std::unique_ptr<senders::Senders> senders;
};

}  // namespace tw::test
