// The add-in connected to a simulated client with the recording engine, and the helpers the
// filter and queue tests share: messages by sender and subject, where they ended, what was scored.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "addin/OrvennaOutAddIn.h"
#include "scan/MsgQueue.h"
#include "senders/Senders.h"
#include "settings/RegistryAccess.h"
#include "support/AddinHarness.h"
#include "support/EngineRecording.h"

namespace tw::test {

/// How the queue records checked messages: a marker in each message or the processed cache.
enum class QueueMode { marker, cache };

class NewMailFixture : public ::testing::Test {
protected:
    using Mode = QueueMode;

    /// Opens an explorer and connects the add-in with the queue in the given mode.
    void start(Mode mode = Mode::marker) {
        settingsKey().writeFlag(mode == Mode::marker, "useuserprops");
        if (h.client.explorers()->Count() == 0) h.client.openExplorer();
        h.connectAddin();
    }
    void restart() {
        h.disconnectAddin();
        h.connectAddin();
    }

    settings::SettingsKey settingsKey() { return settings::SettingsKey(h.registry); }
    settings::Settings& settings() { return h.library.settings; }
    scan::MsgQueue& queue() { return *h.addin().inboxQueue(); }
    senders::Senders& senders() { return *h.addin().senders(); }

    static std::string message(const std::string& from, const std::string& to, const std::string& subject,
                               const std::string& extraHeaders = "") {
        std::string raw;
        if (!from.empty()) raw += "From: " + from + "\r\n";
        raw += "To: " + to + "\r\nSubject: " + subject + "\r\n" + extraHeaders + "\r\nHello.\r\n";
        return raw;
    }
    std::shared_ptr<sim::SimItem> deliver(const std::string& from, const std::string& subject,
                                          const std::string& to = "me@home.example") {
        return h.client.deliverMessage(message(from, to, subject));
    }

    bool inJunk(const std::shared_ptr<sim::SimItem>& item) {
        auto folder = item->parentFolder();
        return folder && folder->Name() == settings().junkfolderName;
    }
    bool inInbox(const std::shared_ptr<sim::SimItem>& item) { return item->parentFolder() == h.client.inbox(); }
    bool marked(const std::shared_ptr<sim::SimItem>& item) {
        auto marker = item->UserProperties()->Find(scan::MsgQueue::kMarkerName);
        return marker && std::holds_alternative<OleDate>(marker->Value());
    }
    /// How often the engine scored mail from this sender.
    int timesScored(const std::string& sender) {
        int n = 0;
        for (const auto& call : engine.callsStartingWith("TW_score("))
            if (call.find("," + sender + ",") != std::string::npos) ++n;
        return n;
    }
    /// Lets the queue's timer run until nothing is left to do.
    void runQueue(int64_t ms = 60000) { h.loop.advance(ms); }

    EngineRecording engine;
    AddinHarness h;
};

}  // namespace tw::test
