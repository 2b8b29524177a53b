// Blocked and approved relay addresses in the user's settings decide where mail goes, through the real engine.
#include <gtest/gtest.h>

#include <fstream>

#include <sstream>

#include "host/ExplainCommand.h"
#include "host/HostSession.h"
#include "support/TempFolder.h"
#include "support/TestPaths.h"

namespace tw::test {
namespace {

void writeProfileRegistry(const host::Profile& profile, const std::string& extraValues) {
    std::filesystem::create_directories(profile.root());
    std::ofstream(profile.registryFile(), std::ios::binary)
        << "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Orvenna]\r\n"
           "\"EnablePingChecks\"=dword:00000000\r\n\"blocked_ip_list\"=\"203.0.113.0/24\"\r\n\"approved_ip_list\"=\"203.0.113.7\"\r\n"
        << extraValues
        << "\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion]\r\n"
           "\"ProgramFilesDir\"=\"C:\\\\Program Files\"\r\n";
}

void writeRelayedMessage(const std::filesystem::path& path, const std::string& relay, const std::string& subject) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        << "Received: from mx.sender.example (mx.sender.example [" << relay
        << "])\r\n\tby mail.home.example (Postfix) with ESMTP id 1A2B3C\r\n\tfor <me@home.example>; Tue, 8 Dec 2026 09:00:00 +0000\r\n"
        << "From: someone@sender.example\r\nTo: me@home.example\r\nSubject: " << subject << "\r\n\r\nLunch on Friday?\r\n";
}

TEST(HostIpLists, MailRelayedByABlockedRangeIsCaughtAndAnApprovedRelayWinsInsideIt) {
    TempFolder temp;
    host::Profile profile(temp.path() / "profile");
    writeProfileRegistry(profile, "");
    writeRelayedMessage(profile.root() / "incoming" / "1-blocked.eml", "203.0.113.9", "from the blocked range");
    writeRelayedMessage(profile.root() / "incoming" / "2-approved.eml", "203.0.113.7", "from the approved relay");
    writeRelayedMessage(profile.root() / "incoming" / "3-other.eml", "192.0.2.44", "from elsewhere");

    host::RunOptions options;
    options.librarySearchFolders = {engineDir()};
    host::HostSession session(profile, options);
    session.run();

    const auto& d = session.deliveries();
    ASSERT_EQ(d.size(), 3u);
    EXPECT_EQ(d[0].folder, "\\Personal Folders\\Tarnwick") << d[0].verdict;
    EXPECT_EQ(d[1].folder, "\\Personal Folders\\Inbox") << d[1].verdict;
    EXPECT_EQ(d[2].folder, "\\Personal Folders\\Inbox") << d[2].verdict;
}

TEST(HostIpLists, TheLogAndTheExplainCommandNameTheBlockedRelayThatDecided) {
    TempFolder temp;
    host::Profile profile(temp.path() / "profile");
    writeProfileRegistry(profile, "\"debugginglevel\"=dword:00000001\r\n");
    writeRelayedMessage(profile.root() / "incoming" / "1-blocked.eml", "203.0.113.9", "from the blocked range");
    host::RunOptions options;
    options.librarySearchFolders = {engineDir()};
    {
        host::HostSession session(profile, options);
        session.run();
        std::ifstream logFile(session.logFileHostPath());
        const std::string log((std::istreambuf_iterator<char>(logFile)), std::istreambuf_iterator<char>());
        EXPECT_NE(log.find("score clue: relay 203.0.113.9 1.000 (blocked_ip_list)"), std::string::npos) << log;
    }
    host::HostSession session(profile, options);
    std::ostringstream out, err;
    EXPECT_EQ(host::runExplainCommand(session, {"Tarnwick", {1}}, out, err), 0) << err.str();
    EXPECT_NE(out.str().find("Score 100, threshold 90: spam by its score\nStrongest clues, strongest first:\n"
                             "  relay 203.0.113.9 1.000 (blocked_ip_list)\n"),
              std::string::npos)
        << out.str();
}

}  // namespace
}  // namespace tw::test
