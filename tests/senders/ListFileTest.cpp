// The list file text: forgiving reading, sorted writing, and lists far beyond the old size limit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/AnsiText.h"
#include "senders/ListFile.h"

namespace tw::test {
namespace {

std::vector<std::string> keysOf(const KeyedSet& set) { return set.Keys(); }

TEST(ListFileText, ReadsTrimmedLowerCaseDistinctEntriesWhateverTheLineEnds) {
    KeyedSet entries;
    senders::parseListFile("  Foo@Bar.example \r\n\r\nfoo@bar.example\nBAZ.example\r\r\n\tx.example \rlast.example", entries);
    EXPECT_EQ(keysOf(entries), (std::vector<std::string>{"foo@bar.example", "baz.example", "x.example", "last.example"}));

    KeyedSet none;
    senders::parseListFile("", none);
    senders::parseListFile(" \r\n\r\n  ", none);
    EXPECT_EQ(none.Count(), 0u);
}

TEST(ListFileText, WritesSortedByCodeUnitWithCrLfBetweenEntriesOnly) {
    KeyedSet entries;
    for (const char* e : {"b", "c", "a"}) entries.Add(e);
    EXPECT_EQ(senders::formatListFile(senders::getSortedKeys(entries)), "a\r\nb\r\nc");
    EXPECT_EQ(senders::formatListFile({}), "");
    EXPECT_EQ(senders::formatListFile({"only"}), "only");

    // Code-unit order: upper case before lower case, non-ASCII (UTF-8 lead bytes) after both.
    KeyedSet mixed;
    for (const char* e : {"z", "\xC3\xA9t\xC3\xA9.example", "B", "a"}) mixed.Add(e);
    EXPECT_EQ(senders::getSortedKeys(mixed), (std::vector<std::string>{"B", "a", "z", "\xC3\xA9t\xC3\xA9.example"}));
}

// Converters standing in for a code page, to see that the list file goes through the seam both ways.
std::string toUpperBytes(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = c == 'e' ? 'E' : c;
    return out;
}
std::string markRead(std::string_view text) { return std::string(text) + "\r\nfrom-code-page"; }

TEST(ListFileText, GoesThroughTheCodePageSeamBothWays) {
    ansi::installConverters(toUpperBytes, markRead);
    KeyedSet read, ascii;
    senders::parseListFile("caf\xE9.example", read);
    // Plain ASCII reads the same in every code page, so it is taken as it stands.
    senders::parseListFile("one", ascii);
    std::string written = senders::formatListFile({"one"});
    ansi::installConverters(nullptr, nullptr);

    EXPECT_EQ(keysOf(read), (std::vector<std::string>{"caf\xC3\xA9.example", "from-code-page"}));
    EXPECT_EQ(keysOf(ascii), std::vector<std::string>{"one"});
    EXPECT_EQ(written, "onE");
    EXPECT_EQ(senders::formatListFile({"one"}), "one");
}

}  // namespace
}  // namespace tw::test
