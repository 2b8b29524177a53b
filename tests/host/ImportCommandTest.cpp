// The host's import-addresses command over the demo profile's address book, written to and read from disk.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "core/StringTable.h"
#include "host/CommandLine.h"
#include "host/HostSession.h"
#include "host/ImportCommand.h"
#include "support/TempFolder.h"
#include "support/TestPaths.h"

namespace tw::test {
namespace {

class ImportCommand : public ::testing::Test {
protected:
    ImportCommand() : profile(temp.path() / "profile") {
        profile.createFromDemoIfEmpty(sourceDir() + "/demo/profile");
        std::filesystem::remove_all(profile.root() / "incoming");
    }

    int import(const std::vector<std::string>& books) {
        out.str("");
        err.str("");
        host::RunOptions o;
        o.librarySearchFolders = {engineDir(), fetchDir()};
        host::HostSession session(profile, o);
        return host::runImportCommand(session, host::ImportRequest{books}, out, err);
    }
    std::string approvedFile() {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(profile.root() / "drive_c"))
            if (entry.path().filename() == "Exception List.txt") {
                std::ifstream in(entry.path());
                std::stringstream text;
                text << in.rdbuf();
                return text.str();
            }
        return {};
    }

    TempFolder temp;
    host::Profile profile;
    std::ostringstream out, err;
};

TEST_F(ImportCommand, ListsTheBooksThenImportsTheNamedOneAndPrintsTheReport) {
    ASSERT_EQ(import({}), 0) << err.str();
    EXPECT_EQ(out.str(), "Address books that can be imported:\n  1. Personal Address Book\n");

    ASSERT_EQ(import({"Personal Address Book"}), 0) << err.str();
    EXPECT_NE(out.str().find("Tarnwick has imported 3 addresses from Personal Address Book."), std::string::npos)
        << out.str();
    EXPECT_NE(out.str().find("Approved senders: 3 entries (+3)"), std::string::npos) << out.str();
    const std::string approved = approvedFile();
    for (const char* address : {"ann.rowe@example.org", "bram@example.net", "cleo.marsh@corp.example.com"})
        EXPECT_NE(approved.find(address), std::string::npos) << address;

    ASSERT_EQ(import({"1"}), 0) << err.str();
    EXPECT_NE(out.str().find("Tarnwick has imported 0 addresses from Personal Address Book."), std::string::npos);
}

TEST_F(ImportCommand, AnUnknownBookImportsNothingAndSaysWhichBooksThereAre) {
    EXPECT_EQ(import({"Personal Address Book", "Nobody's Book"}), 1);
    EXPECT_NE(err.str().find("no address book \"Nobody's Book\""), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("1. Personal Address Book"), std::string::npos);
    EXPECT_EQ(approvedFile().find("bram@example.net"), std::string::npos);
}

TEST_F(ImportCommand, AProfileWithoutOtherBooksGetsTheDialogsMessage) {
    std::filesystem::remove_all(profile.root() / "mail" / "addressbooks");
    ASSERT_EQ(import({}), 0);
    EXPECT_EQ(out.str(), loadString(260) + "\n");
}

TEST_F(ImportCommand, TheCommandLineTakesBooksByNameOrNumber) {
    auto line = host::parseCommandLine({"import-addresses", "Personal Address Book", "2"});
    EXPECT_EQ(line.command, host::Command::importAddresses);
    EXPECT_EQ(line.importBooks.books, (std::vector<std::string>{"Personal Address Book", "2"}));
}

}  // namespace
}  // namespace tw::test
