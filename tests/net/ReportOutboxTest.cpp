// The host keeps each report mail the transport sends as a numbered RFC 5322 file in the profile's outbox/ folder.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "addin/OrvennaOutAddIn.h"
#include "host/HostSession.h"
#include "host/OutboxFolder.h"
#include "host/ReportCommand.h"
#include "core/Error.h"
#include "net/MessageReport.h"
#include "settings/ServiceAddresses.h"
#include "support/EngineRecording.h"
#include "support/TempFolder.h"
#include "support/TestPaths.h"

namespace tw::test {
namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string raw(const std::string& from, const std::string& subject) {
    return "From: " + from + "\r\nTo: demo@example.invalid\r\nSubject: " + subject + "\r\n\r\nText.\r\n";
}

TEST(ReportOutbox, ASpamReportOfTwoMessagesLeavesOneFileWithBothAttachedAndTheirHeaders) {
    EngineRecording engine;
    TempFolder temp;
    host::Profile profile(temp.path() / "profile");
    host::RunOptions options;
    options.librarySearchFolders = {stubLibraryDir()};
    host::HostSession session(profile, options);
    session.startAddin();
    ASSERT_TRUE(session.addin());
    auto first = session.client().deliverMessage(raw("seller@spam.example", "cheap pills"));
    auto second = session.client().deliverMessage(raw("winner@spam.example", "you won"));
    session.client().activeExplorer()->select({first, second});
    session.library().settings.ShowReportSpamConfirmation = false;
    engine.reset();
    session.addin()->reportCommand(net::kReportSpam);
    session.stopAddin();

    auto folder = profile.root() / "outbox";
    ASSERT_TRUE(std::filesystem::exists(folder / "0001.eml"));
    EXPECT_FALSE(std::filesystem::exists(folder / "0002.eml"));
    std::string text = readFile(folder / "0001.eml");
    EXPECT_NE(text.find(settings::serviceAddresses(session.registry()).spamReportAddress), std::string::npos);
    EXPECT_NE(text.find("==BEGIN MESSAGE HEADER 0"), std::string::npos);
    EXPECT_NE(text.find("==BEGIN MESSAGE HEADER 1"), std::string::npos);
    EXPECT_NE(text.find("message/rfc822"), std::string::npos) << text;
    EXPECT_NE(text.find("Subject: cheap pills"), std::string::npos);
    EXPECT_NE(text.find("Subject: you won"), std::string::npos);
    int trained = 0;
    for (const auto& call : engine.callsStartingWith("TW_addMessage("))
        if (call.find(",200,0)") != std::string::npos) ++trained;
    EXPECT_EQ(trained, 2);
}

TEST(ReportOutbox, FilesAreNumberedOnWithoutOverwritingEarlierOnes) {
    TempFolder temp;
    auto folder = temp.path() / "outbox";
    EXPECT_EQ(host::writeOutboxMessage(folder, "one").filename(), "0001.eml");
    std::filesystem::remove(folder / "0001.eml");
    std::ofstream(folder / "0002.eml") << "kept";
    EXPECT_EQ(host::writeOutboxMessage(folder, "two").filename(), "0001.eml");
    EXPECT_EQ(host::writeOutboxMessage(folder, "three").filename(), "0003.eml");
    EXPECT_EQ(readFile(folder / "0002.eml"), "kept");
    EXPECT_EQ(readFile(folder / "0003.eml"), "three");
}

TEST(ReportOutbox, TheHostCommandReportsTheNamedMessagesAndSaysWhereTheMailWent) {
    EngineRecording engine;
    TempFolder temp;
    host::Profile profile(temp.path() / "profile");
    host::RunOptions options;
    options.librarySearchFolders = {stubLibraryDir()};
    host::HostSession session(profile, options);
    for (const char* subject : {"first", "second", "third"})
        session.client().deliverMessage(raw("someone@there.example", subject));
    std::ostringstream out;
    auto written = host::reportMessages(session, host::parseReportRequest("virus", "Inbox:1,3"), out);
    ASSERT_EQ(written.size(), 1u);
    EXPECT_NE(out.str().find("Report mail written to " + written[0].string()), std::string::npos) << out.str();
    std::string text = readFile(written[0]);
    EXPECT_NE(text.find(settings::serviceAddresses(session.registry()).virusReportAddress), std::string::npos);
    EXPECT_NE(text.find("Subject: first"), std::string::npos);
    EXPECT_NE(text.find("Subject: third"), std::string::npos);
    EXPECT_EQ(text.find("Subject: second"), std::string::npos);
}

TEST(ReportOutbox, TheHostCommandRefusesUnknownKindsAndMalformedSelections) {
    EXPECT_EQ(host::parseReportRequest("Fraud", "\\Personal Folders\\Inbox:2").kind, net::kReportFraud);
    EXPECT_EQ(host::parseReportRequest("spam", "Inbox:1, 4").positions, (std::vector<int>{1, 4}));
    for (const char* kind : {"ham", "", "5"}) EXPECT_THROW(host::parseReportRequest(kind, "Inbox:1"), Error) << kind;
    for (const char* selection : {"Inbox", "Inbox:", ":1", "Inbox:0", "Inbox:1,,2", "Inbox:x", "Inbox:-1", "Inbox:9999999"})
        EXPECT_THROW(host::parseReportRequest("spam", selection), Error) << selection;
}

}  // namespace
}  // namespace tw::test
