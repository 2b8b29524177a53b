// The host program's command line: every command as it was and the new ones, and what is refused.
#include <gtest/gtest.h>

#include "host/CommandLine.h"
#include "host/Profile.h"

namespace tw::test {
namespace {

using host::Command;
using host::parseCommandLine;

TEST(CommandLine, TheEarlierCommandsReadAsTheyDid) {
    auto run = parseCommandLine({"--profile", "/tmp/p", "run", "--seconds", "5", "--deliver", "a.eml", "folder"});
    EXPECT_EQ(run.command, Command::run);
    EXPECT_EQ(run.profile, "/tmp/p");
    EXPECT_EQ(run.run.runSeconds, 5);
    EXPECT_EQ(run.run.deliver, (std::vector<std::string>{"a.eml", "folder"}));
    // The profile may follow the command.
    EXPECT_EQ(parseCommandLine({"run", "--profile", "/tmp/q"}).profile, "/tmp/q");
    EXPECT_EQ(parseCommandLine({"run"}).profile, host::defaultProfileDirectory());

    auto train = parseCommandLine({"train", "--spam", "s1", "s2", "--ham", "h"});
    EXPECT_EQ(train.command, Command::train);
    EXPECT_EQ(train.training.spam.size(), 2u);
    EXPECT_EQ(train.training.ham, std::vector<std::filesystem::path>{"h"});

    auto set = parseCommandLine({"set", "threshold=85", "EnableTarnwick=0"});
    EXPECT_EQ(set.command, Command::set);
    EXPECT_EQ(set.assignments, (std::vector<std::string>{"threshold=85", "EnableTarnwick=0"}));
    EXPECT_EQ(parseCommandLine({"show", "settings"}).command, Command::showSettings);
    for (auto args : std::vector<std::vector<std::string>>{{"--help"}, {"-h"}, {"run", "--help"}, {"show", "--help"}})
        EXPECT_EQ(parseCommandLine(args).command, Command::help);
}

TEST(CommandLine, OptionsTakesThePageToPrint) {
    EXPECT_EQ(parseCommandLine({"options"}).optionsPage, "");
    const auto page = parseCommandLine({"options", "--page", "Expert"});
    EXPECT_EQ(page.command, Command::options);
    EXPECT_EQ(page.optionsPage, "Expert");
}

TEST(CommandLine, ShowFolderAndTheSenderCommands) {
    auto show = parseCommandLine({"show", "folder", "Deleted Items"});
    EXPECT_EQ(show.command, Command::showFolder);
    EXPECT_EQ(show.folder, "Deleted Items");

    auto block = parseCommandLine({"block", "--domain", "--yes", "--dont-ask-again", "\\Personal Folders\\Inbox:3,1"});
    EXPECT_EQ(block.command, Command::block);
    EXPECT_TRUE(block.sender.block);
    EXPECT_TRUE(block.sender.domain);
    EXPECT_FALSE(block.sender.report);
    EXPECT_EQ(block.sender.answer, std::optional<bool>(true));
    EXPECT_TRUE(block.sender.dontAskAgain);
    EXPECT_EQ(block.sender.selection.folder, "\\Personal Folders\\Inbox");
    EXPECT_EQ(block.sender.selection.numbers, (std::vector<int>{3, 1}));
    EXPECT_EQ(host::controlWordFor(block.sender), "mBlockDomain");

    auto approve = parseCommandLine({"approve", "--report", "--no", "Tarnwick:2"});
    EXPECT_FALSE(approve.sender.block);
    EXPECT_EQ(approve.sender.answer, std::optional<bool>(false));
    EXPECT_EQ(host::controlWordFor(approve.sender), "mApproveSenderReport");
    EXPECT_FALSE(parseCommandLine({"approve", "Inbox:1"}).sender.answer.has_value()) << "asked on the terminal";
    EXPECT_EQ(host::controlWordFor(parseCommandLine({"approve", "Inbox:1"}).sender), "Approve Sender");
}

TEST(CommandLine, RefusedCommandLinesSayWhy) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
        {{}, "no command"},
        {{"frob"}, "frob"},
        {{"set"}, "assignments"},
        {{"show"}, "subcommand"},
        {{"show", "folder"}, "name"},
        {{"train"}, "--spam or --ham"},
        {{"run", "--seconds", "-3"}, "--seconds"},
        {{"run", "--deliver"}, "--deliver"},
        {{"block", "--yes", "--no", "Inbox:1"}, "--yes excludes --no"},
        {{"block"}, "selection"},
        {{"block", "Inbox"}, "names no folder"},
        {{"block", "Inbox:0"}, "\"0\""},
        {{"block", "Inbox:1,,2"}, "\"\""},
        {{"block", "Inbox:2,2"}, "twice"},
        {{"approve", "--domain", "--report", "Inbox:1"}, "whole domain"},
    };
    for (const auto& [args, why] : refused) {
        try {
            parseCommandLine(args);
            ADD_FAILURE() << "accepted: " << (args.empty() ? "(nothing)" : args.back());
        } catch (const host::UsageError& e) {
            EXPECT_NE(std::string(e.what()).find(why), std::string::npos) << e.what();
        }
    }
}

}  // namespace
}  // namespace tw::test

namespace tw::test {
namespace {

TEST(CommandLine, ScanTakesAFolderAndReadMayFollowIt) {
    using host::Command;
    using host::parseCommandLine;
    auto scan = parseCommandLine({"--profile", "/tmp/p", "scan", "\\Personal Folders\\Inbox", "--read"});
    EXPECT_EQ(scan.command, Command::scan);
    EXPECT_EQ(scan.scan.folder, "\\Personal Folders\\Inbox");
    EXPECT_TRUE(scan.scan.read);
    EXPECT_FALSE(parseCommandLine({"scan", "Inbox"}).scan.read);
    EXPECT_THROW(parseCommandLine({"scan"}), host::UsageError);
}

}  // namespace
}  // namespace tw::test
