// Splitting the small programs' command lines: blanks separate, quotes group and vanish.
#include <gtest/gtest.h>

#include "regop/CommandLine.h"

namespace tw::regop {
namespace {

using Args = std::vector<std::string>;

TEST(CommandLineTest, BlanksSeparateAndQuotedStretchesHoldThem) {
    EXPECT_EQ(splitArguments(""), Args{});
    EXPECT_EQ(splitArguments("   \t "), Args{});
    EXPECT_EQ(splitArguments("threshold=85"), Args{"threshold=85"});
    EXPECT_EQ(splitArguments("  a \t b  "), (Args{"a", "b"}));
    EXPECT_EQ(splitArguments("junkfolder=\"\\Personal Folders\\Spam\" x"), (Args{"junkfolder=\\Personal Folders\\Spam", "x"}));
    EXPECT_EQ(splitArguments("\"-install\""), Args{"-install"});
    EXPECT_EQ(splitArguments("a\"b c\"d e"), (Args{"ab cd", "e"}));
    EXPECT_EQ(splitArguments("proxyServer=\"\" \"\""), (Args{"proxyServer=", ""}));
    EXPECT_EQ(splitArguments("\"open to the end "), Args{"open to the end "});
    // A backslash before a quote is an ordinary character here, as folder paths need.
    EXPECT_EQ(splitArguments("\"C:\\Tarnwick\\\" next"), (Args{"C:\\Tarnwick\\", "next"}));
}

TEST(CommandLineTest, TheProgramNameIsSkippedQuotedOrNot) {
    EXPECT_EQ(argumentsAfterProgramName("\"C:\\Program Files\\Tarnwick\\Envprobe.exe\" threshold=85"), " threshold=85");
    EXPECT_EQ(argumentsAfterProgramName("Rulestage.exe -install"), " -install");
    EXPECT_EQ(argumentsAfterProgramName("  Rulestage.exe"), "");
    EXPECT_EQ(argumentsAfterProgramName("\"C:\\a b\\x.exe\"-install"), "");
    EXPECT_EQ(argumentsAfterProgramName("\"unclosed name"), "");
    EXPECT_EQ(argumentsAfterProgramName(""), "");
}

}  // namespace
}  // namespace tw::regop
