// The sender decision: exact entries, the country rule, the domain walk, Contacts and exclusive mode.
#include <gtest/gtest.h>

#include "senders/SendersFixture.h"

namespace tw::test {
namespace {

using senders::kAdultFile;
using senders::kApprovedFile;
using senders::kBlockedFile;

class SenderDecision : public SendersFixture {};

TEST_F(SenderDecision, TheMostSpecificDomainEntryDecides) {
    editOutside(kApprovedFile, "b.c\r\n.m.b.c\r\n.q.example");
    editOutside(kBlockedFile, "s.b.c\r\nm.q.example\r\nlocalhost");
    editOutside(kAdultFile, "adult.example");
    open();

    EXPECT_EQ(verdict("x@s.b.c"), "blocked");
    EXPECT_EQ(verdict("x@w.b.c"), "approved");
    EXPECT_EQ(verdict("x@b.c"), "approved");
    EXPECT_EQ(verdict("x@m.b.c"), "approved");
    EXPECT_EQ(verdict("x@deep.x.m.b.c"), "approved");
    // At one level the bare entry wins over the dotted one.
    EXPECT_EQ(verdict("x@m.q.example"), "blocked");
    EXPECT_EQ(verdict("x@z.q.example"), "approved");
    EXPECT_EQ(verdict("x@sub.adult.example"), "blocked");
    // Neither a domain without a dot nor a suffix that is not a whole label is a match.
    EXPECT_EQ(verdict("x@localhost"), "neither");
    EXPECT_EQ(verdict("x@notb.c"), "neither");
    EXPECT_EQ(verdict("x@other.example"), "neither");
}

TEST_F(SenderDecision, BlockedDomainAboveAnApprovedSubdomainStillBlocksTheRest) {
    editOutside(kBlockedFile, "b.c");
    editOutside(kApprovedFile, ".m.b.c");
    open();
    EXPECT_EQ(verdict("x@m.b.c"), "approved");
    EXPECT_EQ(verdict("x@x.m.b.c"), "approved");
    EXPECT_EQ(verdict("x@y.b.c"), "blocked");
}

TEST_F(SenderDecision, AtOneLevelTheBareEntryWinsOverTheDottedOneWhicheverListHoldsIt) {
    editOutside(kBlockedFile, "m.b.c\r\n.n.b.c");
    editOutside(kApprovedFile, ".m.b.c\r\nn.b.c");
    open();
    EXPECT_EQ(verdict("x@m.b.c"), "blocked");
    EXPECT_EQ(verdict("x@sub.m.b.c"), "blocked");
    EXPECT_EQ(verdict("x@n.b.c"), "approved");
    EXPECT_EQ(verdict("x@sub.n.b.c"), "approved");
    EXPECT_EQ(verdict("x@b.c"), "neither");
}

TEST_F(SenderDecision, AnExactApprovedAddressBeatsEveryBlockingRule) {
    h.library.settings.blockedCountries.Add("ru");
    editOutside(kBlockedFile, "friend@bad.ru\r\nbad.ru");
    editOutside(kAdultFile, "friend@bad.ru");
    editOutside(kApprovedFile, "friend@bad.ru");
    open();
    EXPECT_EQ(verdict("friend@bad.ru"), "approved");
    EXPECT_EQ(verdict("other@bad.ru"), "blocked");
}

TEST_F(SenderDecision, CountryCodesBlockOnlyWhenSwitchedOnAndOnlyWholeTwoLetterDomains) {
    auto& s = h.library.settings;
    s.blockedCountries.Add("ru");
    editOutside(kApprovedFile, "good.ru");
    open();
    EXPECT_EQ(verdict("x@mail.ru"), "blocked");
    EXPECT_EQ(verdict("x@mail.rux"), "neither");
    EXPECT_EQ(verdict("x@mail.de"), "neither");
    // The country rule skips the domain walk: an approved domain in a blocked country does not help.
    EXPECT_EQ(verdict("x@good.ru"), "blocked");
    // Addresses too short for the rule are simply not matched by it.
    for (const char* tiny : {"", "u", "ru", ".ru"}) EXPECT_FALSE(blocked(tiny)) << tiny;
    EXPECT_TRUE(blocked("a.ru"));

    s.blocked_countries_tld = false;
    EXPECT_EQ(verdict("x@mail.ru"), "neither");
    EXPECT_EQ(verdict("x@good.ru"), "approved");
    EXPECT_FALSE(loggedError("isBlocked"));
}

TEST_F(SenderDecision, ContactsApproveByAnyOfTheirAddressesInAnyCase) {
    editOutside(kBlockedFile, "home.example\r\no'brien@pub.example\r\npub.example");
    h.client.addContact("Friend", {"first@elsewhere.example", "Friend@Home.example"});
    h.client.addContact("Third", {"", "", "third@home.example"});
    h.client.addContact("Pat O'Brien", {"O'Brien@pub.example"});
    open();

    EXPECT_TRUE(senders->isEmailAddressInContacts("friend@home.example"));
    EXPECT_TRUE(senders->isEmailAddressInContacts("THIRD@home.example"));
    EXPECT_EQ(verdict("friend@home.example"), "approved");
    EXPECT_EQ(verdict("third@home.example"), "approved");
    EXPECT_EQ(verdict("stranger@home.example"), "blocked");
    // An apostrophe is part of many real addresses: the contact is found and approves the sender.
    EXPECT_EQ(verdict("o'brien@pub.example"), "approved");
    EXPECT_FALSE(senders->isEmailAddressInContacts(""));
    EXPECT_FALSE(loggedError("isEmailAddressInContacts"));
}

TEST_F(SenderDecision, AnAddressWrittenToRewriteTheContactsFilterMatchesNothing) {
    editOutside(kBlockedFile, "evil.example");
    h.client.addContact("Someone", {"someone@friends.example"});
    open();

    for (const char* attack : {"x' Or [Email1Address] <> '@evil.example", "' Or '1' = '1@evil.example",
                               "x'' Or [FullName] = 'Someone@evil.example", "'@evil.example", "x'@evil.example"}) {
        EXPECT_FALSE(senders->isEmailAddressInContacts(attack)) << attack;
        EXPECT_TRUE(blocked(attack)) << attack;
    }
    EXPECT_FALSE(loggedError("isEmailAddressInContacts"));
}

TEST_F(SenderDecision, AContactsFolderThatCannotBeSearchedCountsAsNoContact) {
    editOutside(kBlockedFile, "home.example");
    h.client.addContact("Friend", {"friend@home.example"});
    open();
    h.client.faults().failAlways("Find");
    EXPECT_EQ(verdict("friend@home.example"), "blocked");
    EXPECT_TRUE(loggedError("isEmailAddressInContacts"));
}

TEST_F(SenderDecision, ExclusiveModeBlocksEveryoneNotApproved) {
    settings::SettingsKey(h.registry).writeFlag(true, "exclusive");
    editOutside(kApprovedFile, "friends.example\r\nsolo@x.example");
    h.client.addContact("Pal", {"pal@pals.example"});
    open();
    ASSERT_TRUE(senders->exclusive());

    EXPECT_EQ(verdict("stranger@nowhere.example"), "blocked");
    EXPECT_EQ(verdict("a@friends.example"), "approved");
    EXPECT_EQ(verdict("solo@x.example"), "approved");
    EXPECT_EQ(verdict("pal@pals.example"), "approved");

    senders->setExclusive(false);
    EXPECT_EQ(verdict("stranger@nowhere.example"), "neither");

    // A stored 0 is off; so is no value at all.
    settings::SettingsKey(h.registry).writeFlag(false, "exclusive");
    EXPECT_FALSE(open().exclusive());
}

TEST_F(SenderDecision, ListFilesChangedByAnotherProgramCountAtTheNextDecision) {
    open();
    EXPECT_EQ(verdict("x@late.example"), "neither");
    editOutside(kBlockedFile, "late.example");
    EXPECT_EQ(verdict("x@late.example"), "blocked");
    editOutside(kApprovedFile, "x@late.example");
    EXPECT_EQ(verdict("x@late.example"), "approved");
    editOutside(kBlockedFile, "");
    editOutside(kApprovedFile, "");
    EXPECT_EQ(verdict("x@late.example"), "neither");

    // Within a second of the last look a decision trusts the lists it has; an explicit refresh
    // always looks.
    auto changeUnseen = [&](const std::string& bytes, int hoursAhead) {
        h.files.replaceContents(path(kBlockedFile), bytes);
        auto host = h.files.hostPath(path(kBlockedFile));
        std::filesystem::last_write_time(host, std::filesystem::last_write_time(host) + std::chrono::hours(hoursAhead));
    };
    changeUnseen("late.example", 1);
    EXPECT_EQ(verdict("x@late.example"), "neither");
    h.loop.advance(999);
    EXPECT_EQ(verdict("x@late.example"), "neither");
    h.loop.advance(1);
    EXPECT_EQ(verdict("x@late.example"), "blocked");
    changeUnseen("", 2);
    senders->updateCachedLists();
    EXPECT_EQ(verdict("x@late.example"), "neither");

    // My addresses are read only when the lists are made.
    editOutside(senders::kMyAddressesFile, "me@home.example");
    EXPECT_FALSE(senders->isSingleRecipientToMe("me@home.example", false));
}

TEST_F(SenderDecision, AListFileThatCannotBeReadKeepsTheListAndIsReadAgainLater) {
    editOutside(kBlockedFile, "old.example");
    open();
    editOutside(kBlockedFile, "old.example\r\nnew.example");
    h.files.failNext("readAll:" + path(kBlockedFile));

    EXPECT_EQ(verdict("x@old.example"), "blocked");
    EXPECT_TRUE(loggedError("updateCachedList"));
    h.loop.advance(1000);
    EXPECT_EQ(verdict("x@new.example"), "blocked");
}

TEST_F(SenderDecision, AListFileDeletedOutsideIsMadeAgainEmpty) {
    editOutside(kBlockedFile, "gone.example");
    open();
    h.files.removeFile(path(kBlockedFile));
    h.loop.advance(1000);
    EXPECT_EQ(verdict("x@gone.example"), "blocked");
    EXPECT_TRUE(h.files.fileExists(path(kBlockedFile)));
    EXPECT_EQ(file(kBlockedFile), "");
}

}  // namespace
}  // namespace tw::test
