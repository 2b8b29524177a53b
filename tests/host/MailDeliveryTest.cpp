// The host program delivering message files: incoming folder first, then named files, with a summary.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "core/Error.h"
#include "host/HostSession.h"
#include "support/EngineRecording.h"
#include "support/TempFolder.h"
#include "support/TestPaths.h"

namespace tw::test {
namespace {

void writeMessage(const std::filesystem::path& path, const std::string& from, const std::string& subject) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << "From: " << from << "\r\nTo: demo@example.invalid\r\nSubject: " << subject
                                          << "\r\n\r\nText.\r\n";
}

TEST(HostMailDelivery, DeliversIncomingThenNamedMessagesAndReportsWhereEachEnded) {
    EngineRecording engine;
    engine.setScoreFor("Prize", 99);
    TempFolder temp;
    host::Profile profile(temp.path() / "profile");
    writeMessage(profile.root() / "incoming" / "a.eml", "x@one.example", "Prize for you");
    writeMessage(temp.path() / "named" / "b.eml", "y@two.example", "Meeting notes");
    writeMessage(temp.path() / "c.eml", "z@three.example", "Another prize? Prize!");
    std::ofstream(temp.path() / "named" / "empty.eml").close();

    host::RunOptions options;
    options.librarySearchFolders = {stubLibraryDir()};
    options.deliver = {(temp.path() / "named").string(), (temp.path() / "c.eml").string()};
    host::HostSession session(profile, options);
    session.run();

    const auto& d = session.deliveries();
    ASSERT_EQ(d.size(), 4u);
    EXPECT_EQ(d[0].source, "a.eml");
    EXPECT_EQ(d[0].verdict, "spam");
    EXPECT_EQ(d[0].folder, "\\Personal Folders\\Tarnwick");
    EXPECT_EQ(d[1].source, "b.eml");
    EXPECT_EQ(d[1].verdict, "legitimate");
    EXPECT_EQ(d[1].folder, "\\Personal Folders\\Inbox");
    EXPECT_EQ(d[2].source, "empty.eml");
    EXPECT_EQ(d[2].verdict.rfind("not delivered: ", 0), 0u);
    EXPECT_EQ(d[3].verdict, "spam");
    EXPECT_FALSE(std::filesystem::exists(profile.root() / "incoming" / "a.eml")) << "incoming mail is taken once";
    EXPECT_TRUE(std::filesystem::exists(temp.path() / "c.eml")) << "named files are the user's own";

    std::ostringstream summary;
    session.printSummary(summary);
    EXPECT_NE(summary.str().find("a.eml: spam -> \\Personal Folders\\Tarnwick  \"Prize for you\""), std::string::npos)
        << summary.str();
    EXPECT_NE(summary.str().find("Checked in this run: 3 (3 delivered now, 0 already waiting unchecked), 2 caught"),
              std::string::npos)
        << summary.str();
    EXPECT_NE(summary.str().find("last reset: processed 3, caught 2"), std::string::npos) << summary.str();
}

TEST(HostMailDelivery, ANamedMessageThatDoesNotExistIsRefused) {
    TempFolder temp;
    EXPECT_THROW(host::messagesToDeliver(temp.path() / "incoming", {(temp.path() / "missing.eml").string()}), Error);
}

}  // namespace
}  // namespace tw::test
