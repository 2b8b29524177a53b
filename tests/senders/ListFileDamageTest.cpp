// List files in other encodings or with lines that are not addresses: what can be read is read,
// the rest is named in the log, and a list that could not be read is never saved over its file.
#include <gtest/gtest.h>

#include "senders/ListFile.h"
#include "senders/ListFileText.h"
#include "senders/SendersFixture.h"

namespace tw::test {
namespace {

using senders::kBlockedFile;

std::string utf16(const std::string& ascii, bool bigEndian) {
    std::string out;
    for (char c : ascii) {
        out += bigEndian ? std::string(1, '\0') + c : std::string(1, c) + '\0';
    }
    return out;
}

std::vector<std::string> parsed(const std::string& bytes, std::vector<size_t>* skipped = nullptr) {
    KeyedSet entries;
    auto lines = senders::parseListFile(bytes, entries);
    if (skipped) *skipped = lines.lines;
    return entries.Keys();
}

TEST(ListFileEncodings, Utf16WithOrWithoutMarkUtf8MarkAndLatin1AllLoad) {
    const std::string text = "Ann@Example.org\r\nexample.net\r\n";
    const std::vector<std::string> expected = {"ann@example.org", "example.net"};
    EXPECT_EQ(parsed("\xFF\xFE" + utf16(text, false)), expected);
    EXPECT_EQ(parsed("\xFE\xFF" + utf16(text, true)), expected);
    EXPECT_EQ(parsed(utf16(text, false)), expected);
    EXPECT_EQ(parsed(utf16(text, true)), expected);
    EXPECT_EQ(parsed("\xEF\xBB\xBF" + text), expected);
    // A UTF-16 character beyond ASCII comes through as UTF-8.
    EXPECT_EQ(parsed("\xFF\xFE" + std::string("m\0\xFC\0" "d\0.\0d\0e\0", 12)),
              (std::vector<std::string>{"m\xC3\xBC" "d.de"}));
    // Latin-1 bytes in one line do not spoil the UTF-8 of another.
    EXPECT_EQ(parsed("m\xFCller@example.de\r\nj\xC3\xB6rg@example.de"),
              (std::vector<std::string>{"m\xC3\xBCller@example.de", "j\xC3\xB6rg@example.de"}));
}

TEST(ListFileEncodings, LinesThatCannotBeEntriesAreSkippedByNumber) {
    std::vector<size_t> skipped;
    auto entries = parsed("good.example\r\nJohn Smith <john@x.example>\r\n\r\nhttp://spam.example/\n"
                          "a@b@c.example\r\nbin\x01" "ary\rlast@x.example",
                          &skipped);
    EXPECT_EQ(entries, (std::vector<std::string>{"good.example", "last@x.example"}));
    EXPECT_EQ(skipped, (std::vector<size_t>{2, 4, 5, 6}));

    senders::SkippedLines many;
    for (size_t i = 1; i <= 25; ++i) many.lines.push_back(i * 2);
    EXPECT_EQ(many.describe(), "lines 2, 4, 6, 8, 10, 12, 14, 16, 18, 20 and 15 more");
    EXPECT_EQ(senders::SkippedLines{{7}}.describe(), "line 7");
    EXPECT_TRUE(senders::isListEntry(".sub.example"));
    EXPECT_TRUE(senders::isListEntry("localhost"));
}

class ListFileDamage : public SendersFixture {};

TEST_F(ListFileDamage, TheLogNamesTheSkippedLinesOfAListFile) {
    editOutside(kBlockedFile, "spam.example\r\nnot an address\r\nbad.example");
    open();
    EXPECT_TRUE(senders->blockedSenders().entries.Exists("bad.example"));
    EXPECT_TRUE(h.logHas("Junk Senders.txt: skipped line 2,")) << h.logText();
}

TEST_F(ListFileDamage, AListThatWasNeverReadIsNotSavedOverItsFile) {
    editOutside(kBlockedFile, "one@x.example\r\ntwo@x.example");
    h.files.failAlways("readAll:" + path(kBlockedFile));
    open();
    bool removed = false;
    senders->AddBlockedSenders({"new@x.example"}, removed, false, {});
    h.files.clearFailures();
    EXPECT_EQ(file(kBlockedFile), "one@x.example\r\ntwo@x.example");
    EXPECT_TRUE(h.logHas("was not written")) << h.logText();

    // Once the file can be read, the next save keeps its entries and adds the new ones.
    senders->AddBlockedSenders({"third@x.example"}, removed, false, {});
    EXPECT_EQ(file(kBlockedFile), "new@x.example\r\none@x.example\r\nthird@x.example\r\ntwo@x.example");
}

TEST_F(ListFileDamage, AFileOfNothingButUnusableLinesIsNotTakenForAnEmptyList) {
    const std::string garbage = "\x01\x02\x03 \x04\r\n<<>>\r\n";
    editOutside(kBlockedFile, garbage);
    open();
    bool removed = false;
    senders->AddBlockedSenders({"new@x.example"}, removed, false, {});
    EXPECT_EQ(file(kBlockedFile), garbage);
    EXPECT_TRUE(senders->blockedSenders().entries.Exists("new@x.example"));
}

}  // namespace
}  // namespace tw::test
