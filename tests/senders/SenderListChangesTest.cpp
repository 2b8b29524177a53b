// Loading, saving and changing the lists: files made and written, entries moved between lists,
// failing writes and lists of a hundred thousand entries.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/Text.h"
#include "senders/SendersFixture.h"

namespace tw::test {
namespace {

using senders::kApprovedFile;
using senders::kBlockedFile;
using Entries = std::vector<std::string>;

class SenderListChanges : public SendersFixture {};

TEST_F(SenderListChanges, LoadingReadsMessyFilesAndMakesMissingOnesEmpty) {
    editOutside(kBlockedFile, "  Spam@Bad.example \r\n\r\nspam@bad.example\r\nBAD.example\r\n");
    open();
    EXPECT_EQ(senders->blockedSenders().entries.Keys(), (Entries{"spam@bad.example", "bad.example"}));
    for (const char* name : {kApprovedFile, senders::kAdultFile, senders::kMyAddressesFile,
                             senders::kMailingListsFile, senders::kIgnoredFile}) {
        ASSERT_TRUE(h.files.fileExists(path(name))) << name;
        EXPECT_EQ(file(name), "") << name;
    }
    // Loading never rewrites a file.
    EXPECT_EQ(file(kBlockedFile), "  Spam@Bad.example \r\n\r\nspam@bad.example\r\nBAD.example\r\n");
    EXPECT_FALSE(h.logHas("Error #"));
}

TEST_F(SenderListChanges, AddingMovesEntriesOutOfTheOtherListAndWritesBothFiles) {
    editOutside(kApprovedFile, "b@x.example\r\nkeep@x.example");
    open();
    bool removed = false;
    EXPECT_EQ(senders->AddBlockedSenders({"c@x.example", "", "b@x.example", "a@x.example"}, removed, false, {}), 3);
    EXPECT_TRUE(removed);
    EXPECT_EQ(file(kBlockedFile), "a@x.example\r\nb@x.example\r\nc@x.example");
    EXPECT_EQ(file(kApprovedFile), "keep@x.example");

    EXPECT_EQ(senders->AddApprovedSenders({"c@x.example"}, removed, false, {}), 1);
    EXPECT_TRUE(removed);
    EXPECT_EQ(file(kBlockedFile), "a@x.example\r\nb@x.example");
    EXPECT_EQ(file(kApprovedFile), "c@x.example\r\nkeep@x.example");
    EXPECT_EQ(senders->getApprovedSenders(), (Entries{"c@x.example", "keep@x.example"}));
}

TEST_F(SenderListChanges, AddingWhatIsThereWritesNothingButStillLeavesTheOtherList) {
    editOutside(kBlockedFile, "Dup@X.example  ");
    editOutside(kApprovedFile, "dup@x.example");
    open();
    bool removed = false;
    EXPECT_EQ(senders->AddBlockedSenders({"dup@x.example"}, removed, false, {}), 0);
    EXPECT_TRUE(removed);
    EXPECT_EQ(file(kBlockedFile), "Dup@X.example  ");
    EXPECT_EQ(file(kApprovedFile), "");

    EXPECT_EQ(senders->AddBlockedSenders({"dup@x.example"}, removed, false, {}), 0);
    EXPECT_FALSE(removed);
}

TEST_F(SenderListChanges, AFailedWriteLeavesTheOldFileWholeAndTheOtherListUntouched) {
    editOutside(kBlockedFile, "one@x.example\r\ntwo@x.example");
    editOutside(kApprovedFile, "moving@x.example");
    open();
    h.files.failNext("replaceContents:" + path(kBlockedFile));
    bool removed = false;
    senders->AddBlockedSenders({"moving@x.example"}, removed, false, {});

    EXPECT_TRUE(loggedError("SaveDictionary"));
    EXPECT_EQ(file(kBlockedFile), "one@x.example\r\ntwo@x.example");
    // Had approved been written, the entry would now be in neither file.
    EXPECT_EQ(file(kApprovedFile), "moving@x.example");

    // The change is kept in memory and reaches the file with the next save.
    senders->AddBlockedSenders({"three@x.example"}, removed, false, {});
    EXPECT_EQ(file(kBlockedFile), "moving@x.example\r\none@x.example\r\nthree@x.example\r\ntwo@x.example");
    EXPECT_FALSE(senders->approvedSenders().entries.Exists("moving@x.example"));
}

TEST_F(SenderListChanges, AListThatCouldNotBeReadIsNotWrittenOverWithAlmostNothing) {
    editOutside(kBlockedFile, "one@x.example");
    open();
    editOutside(kBlockedFile, "one@x.example\r\ntwo@x.example");
    h.files.failNext("readAll:" + path(kBlockedFile));
    bool removed = false;
    EXPECT_EQ(senders->AddBlockedSenders({"new@x.example"}, removed, false, {}), 1);
    // The list as last read is written with the new entry, never the new entry alone.
    EXPECT_EQ(file(kBlockedFile), "new@x.example\r\none@x.example");
}

TEST_F(SenderListChanges, EditReplacesAnEntryOrChangesNothingWhenTheOldOneIsMissing) {
    editOutside(kBlockedFile, "old@x.example");
    editOutside(kApprovedFile, "new@x.example");
    open();
    bool removed = true;
    senders->EditBlocked("absent@x.example", "other@x.example", removed);
    EXPECT_FALSE(removed);
    EXPECT_TRUE(loggedError("EditBlocked"));
    EXPECT_EQ(file(kBlockedFile), "old@x.example");
    EXPECT_FALSE(senders->blockedSenders().entries.Exists("other@x.example"));

    senders->EditBlocked("old@x.example", "new@x.example", removed);
    EXPECT_TRUE(removed);
    EXPECT_EQ(file(kBlockedFile), "new@x.example");
    EXPECT_EQ(file(kApprovedFile), "");

    senders->EditApprovedSender("new@x.example", "x", removed);
    EXPECT_TRUE(loggedError("EditApprovedSender"));
    EXPECT_EQ(file(kApprovedFile), "");
}

TEST_F(SenderListChanges, TheSmallListsAddDeleteAndEdit) {
    open();
    EXPECT_EQ(senders->AddMeTo({"me@home.example", "", "alias@home.example", "me@home.example"}), 2);
    EXPECT_EQ(senders->AddMailingList({"list@lists.example"}), 1);
    EXPECT_EQ(senders->AddIgnoredSenders({"noise.example"}), 1);
    EXPECT_EQ(senders->AddIgnoredSenders({"noise.example"}), 0);
    EXPECT_EQ(file(senders::kMyAddressesFile), "alias@home.example\r\nme@home.example");
    EXPECT_EQ(senders->getToMeCount(), 2);
    EXPECT_TRUE(senders->isIgnoredSender("noise.example"));

    // Mailing-list mode asks about mailing lists only; plain mode about my addresses only.
    EXPECT_TRUE(senders->isSingleRecipientToMe("me@home.example", false));
    EXPECT_FALSE(senders->isSingleRecipientToMe("me@home.example", true));
    EXPECT_TRUE(senders->isSingleRecipientToMe("list@lists.example", true));
    EXPECT_FALSE(senders->isSingleRecipientToMe("", false));
    KeyedSet recipients;
    recipients.Add("someone@else.example");
    EXPECT_FALSE(senders->isRecipientToMe(recipients, false));
    recipients.Add("alias@home.example");
    EXPECT_TRUE(senders->isRecipientToMe(recipients, false));
    EXPECT_FALSE(senders->isRecipientToMe(recipients, true));

    senders->EditToMe("alias@home.example", "second@home.example");
    senders->EditMailingList("list@lists.example", "news@lists.example");
    senders->EditIgnoredSender("noise.example", "hush.example");
    EXPECT_EQ(senders->getToMe(), (Entries{"me@home.example", "second@home.example"}));
    EXPECT_EQ(senders->getMailingList(), (Entries{"news@lists.example"}));
    EXPECT_EQ(senders->getIgnoredSenders(), (Entries{"hush.example"}));

    senders->DeleteToMe({"me@home.example", "absent@home.example", ""});
    senders->DeleteMailingList({"news@lists.example"});
    senders->DeleteIgnoredSenders({"hush.example"});
    EXPECT_EQ(file(senders::kMyAddressesFile), "second@home.example");
    EXPECT_EQ(file(senders::kMailingListsFile), "");
    EXPECT_EQ(file(senders::kIgnoredFile), "");
    EXPECT_FALSE(h.logHas("Error #"));

    // What was written is what the next start reads.
    open();
    EXPECT_EQ(senders->getToMe(), (Entries{"second@home.example"}));
}

TEST_F(SenderListChanges, ListsOfAHundredThousandEntriesLoadSortAndSave) {
    std::string bytes;
    for (int i = 100000; i-- > 0;) bytes += "Sender" + std::to_string(i) + "@Example.com\r\n";
    editOutside(kBlockedFile, bytes);
    open();
    ASSERT_EQ(senders->blockedSenders().entries.Count(), 100000u);

    Entries sorted = senders->getBlockedSenders();
    ASSERT_EQ(sorted.size(), 100000u);
    EXPECT_TRUE(std::is_sorted(sorted.begin(), sorted.end()));

    bool removed = false;
    EXPECT_EQ(senders->AddBlockedSenders({"a-first@example.com"}, removed, false, {}), 1);
    std::vector<std::string> lines = text::split(file(kBlockedFile), "\r\n");
    ASSERT_EQ(lines.size(), 100001u);
    EXPECT_EQ(lines.front(), "a-first@example.com");
    EXPECT_EQ(lines.back(), "sender9@example.com");
    EXPECT_TRUE(blocked("sender54321@example.com"));
}

}  // namespace
}  // namespace tw::test
