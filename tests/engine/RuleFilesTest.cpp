// The rule files' header line: what it names, and the damaged headers that must not be believed.
#include <gtest/gtest.h>

#include "RuleHeader.h"

using namespace tarn::engine;

TEST(RuleHeader, ReadsWhatWasWrittenAndFindsTheBody) {
    const std::string bytes = writeRuleHeader("tw2", "2026.12.10.07.00.00") + std::string("\0\x01rules", 7);
    const auto header = readRuleHeader(bytes);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->name, "tw2");
    EXPECT_EQ(header->stamp, "2026.12.10.07.00.00");
    EXPECT_EQ(bytes.substr(header->bodyOffset), std::string("\0\x01rules", 7));
}

TEST(RuleHeader, RefusesAnythingButTheExactShape) {
    for (const char* bytes : {"", "TWRULES tw1 2026.12.10.07.00.00",  // no line end: truncated
                              "TWRULES tw3 2026.12.10.07.00.00\n", "TWRULES tw1 2026.12.10.07.00\n",
                              "TWRULES tw1 2026.12.1x.07.00.00\n", "twrules tw1 2026.12.10.07.00.00\n",
                              "TWRULES  tw1 2026.12.10.07.00.00\n", "TWRULES tw1 2026.12.10.07.00.00 \n"})
        EXPECT_FALSE(readRuleHeader(bytes)) << bytes;
}
