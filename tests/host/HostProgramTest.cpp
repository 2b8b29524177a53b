// The host program over a profile directory: the demo profile, the log it leaves, bad profiles.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "core/Error.h"
#include "host/HostSession.h"
#include "support/TempFolder.h"
#include "support/TestPaths.h"

namespace tw::test {
namespace {

TEST(HostProgram, ARunOverTheDemoProfileLeavesTheLogOfAWholeSession) {
    TempFolder temp;
    host::Profile profile(temp.path() / "profile");
    profile.createFromDemoIfEmpty(sourceDir() + "/demo/profile");
    {
        host::RunOptions options;
        options.librarySearchFolders = {engineDir(), fetchDir()};
        host::HostSession session(profile, options);
        session.run();
        std::ostringstream summary;
        session.printSummary(summary);
        EXPECT_NE(summary.str().find("report.txt"), std::string::npos);
        // The messages already waiting in the demo Inbox are checked too, and the summary says which is which.
        EXPECT_NE(summary.str().find("Checked in this run: 10 (6 delivered now, 4 already waiting unchecked)"),
                  std::string::npos)
            << summary.str();
        // The demo's trained engine sorts the demo's incoming mail.
        for (const auto& delivery : session.deliveries()) {
            bool spam = delivery.source.rfind("spam-", 0) == 0;
            EXPECT_EQ(delivery.verdict, spam ? "spam" : "legitimate") << delivery.source;
        }
        EXPECT_EQ(session.deliveries().size(), 6u);
    }
    std::string log = readFile(profile.root() / "drive_c/Program Files/Tarnwick/report.txt");
    EXPECT_NE(log.find("TW Version: "), std::string::npos);
    EXPECT_NE(log.find("AddExpl 0"), std::string::npos);
    EXPECT_NE(log.find("UnInitHandler()"), std::string::npos);
    EXPECT_NE(log.find("End of UnInitHandler()"), std::string::npos);
    EXPECT_EQ(log.find("Error #"), std::string::npos);

    // The data folder of the demo user is found under the profile's own home.
    EXPECT_TRUE(std::filesystem::is_directory(profile.root() / "drive_c/Documents and Settings/demo"));
    // The registry is saved in its file format and a second run reads it back.
    EXPECT_EQ(readFile(profile.registryFile()).rfind("Windows Registry Editor Version 5.00", 0), 0u);
    host::HostSession again(profile);
    again.run();
}

TEST(HostProgram, AnExistingProfileIsNotOverwrittenByTheDemo) {
    TempFolder temp;
    host::Profile profile(temp.path());
    std::ofstream(temp.path() / "registry.reg") << "Windows Registry Editor Version 5.00\r\n";
    profile.createFromDemoIfEmpty(sourceDir() + "/demo/profile");
    EXPECT_FALSE(std::filesystem::exists(temp.path() / "drive_c"));
}

TEST(HostProgram, AMalformedRegistryFileIsNamedAndLeftAsItIs) {
    TempFolder temp;
    host::Profile profile(temp.path());
    const std::string broken = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Orvenna]\r\nthreshold=\r\n";
    std::ofstream(profile.registryFile(), std::ios::binary) << broken;
    try {
        host::HostSession session(profile);
        FAIL() << "a malformed registry file was accepted";
    } catch (const Error& e) {
        EXPECT_NE(e.description().find("line 4"), std::string::npos) << e.description();
    }
    EXPECT_EQ(readFile(profile.registryFile()), broken);
}

}  // namespace
}  // namespace tw::test
