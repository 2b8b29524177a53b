// New mail from the Inbox's ItemAdd through the queue and the filter to where each message ends.
#include "scan/NewMailFixture.h"

namespace tw::test {
namespace {

class NewMailRoad : public NewMailFixture {
protected:
    void SetUp() override {
        start();
        bool removed = false;
        senders().AddBlockedSenders({"bad@spam.example"}, removed, false, {});
        senders().AddApprovedSenders({"friend@ok.example"}, removed, false, {});
        senders().AddMailingList({"list@lists.example"});
        senders().AddMeTo({"me@home.example"});
        engine.setScore(10);
        engine.setScoreFor("Cheap pills", 95);
    }
};

TEST_F(NewMailRoad, EachMessageEndsWhereTheListsOrTheScoreSendIt) {
    settings().MarkSpamAsRead = true;
    auto blocked = deliver("bad@spam.example", "From a blocked sender", "list@lists.example");
    auto approved = deliver("friend@ok.example", "From a friend");
    auto listMail = deliver("stranger@far.example", "List digest", "list@lists.example");
    auto spam = deliver("spammer@y.example", "Cheap pills");
    auto good = deliver("colleague@z.example", "Minutes");
    auto meeting = h.client.deliverMessage(
        message("colleague@z.example", "me@home.example", "Planning", "Content-Class: urn:content-classes:calendarmessage\r\n"));

    EXPECT_TRUE(inJunk(blocked));
    EXPECT_TRUE(inJunk(spam));
    for (const auto& item : {approved, listMail, good, meeting}) EXPECT_TRUE(inInbox(item)) << item->Subject();
    EXPECT_FALSE(blocked->UnRead());
    EXPECT_FALSE(spam->UnRead());
    EXPECT_TRUE(good->UnRead());
    EXPECT_TRUE(approved->UnRead());

    // Only mail the lists leave open is scored; a blocked sender wins over a mailing-list address.
    EXPECT_EQ(timesScored("bad@spam.example"), 0);
    EXPECT_EQ(timesScored("friend@ok.example"), 0);
    EXPECT_EQ(timesScored("stranger@far.example"), 0);
    EXPECT_EQ(timesScored("spammer@y.example"), 1);
    EXPECT_EQ(timesScored("colleague@z.example"), 1);

    for (const auto& item : {blocked, approved, listMail, spam, good}) EXPECT_TRUE(marked(item)) << item->Subject();
    EXPECT_FALSE(marked(meeting));
    EXPECT_EQ(settings().processed, 5);
    EXPECT_EQ(settings().caught, 2);
    EXPECT_TRUE(queue().Enabled());

    // The approved sender's recipients become known correspondents.
    EXPECT_FALSE(engine.callsStartingWith("TW_addSpamAddrFrom(1,me@home.example,1,").empty());

    EXPECT_TRUE(h.logHas("checking email from bad@spam.example"));
    EXPECT_TRUE(h.logHas("message from blocked sender"));
    EXPECT_TRUE(h.logHas("message to mailing list addr."));
    EXPECT_TRUE(h.logHas("message from approved sender."));
    EXPECT_TRUE(h.logHas("comparing junk score 95 to 90"));
    EXPECT_TRUE(h.logHas("comparing junk score 10 to 90"));
    EXPECT_TRUE(h.logHas("itemAdd got message Planning"));
    EXPECT_FALSE(h.logHas("checkMailItems checking message Planning"));

    h.disconnectAddin();
    EXPECT_EQ(settingsKey().getNumberFromRegistry("processed"), 5);
    EXPECT_EQ(settingsKey().getNumberFromRegistry("caught"), 2);
}

TEST_F(NewMailRoad, ExclusiveModeBlocksMailWithoutSenderAndEveryUnapprovedSender) {
    senders().setExclusive(true);
    auto anonymous = h.client.deliverMessage(message("", "me@home.example", "No sender"));
    auto stranger = deliver("stranger@far.example", "Hello there", "list@lists.example");
    auto approved = deliver("friend@ok.example", "From a friend");

    EXPECT_TRUE(inJunk(anonymous));
    EXPECT_TRUE(inJunk(stranger));
    EXPECT_TRUE(inInbox(approved));
    EXPECT_TRUE(engine.callsStartingWith("TW_score(").empty());
    EXPECT_EQ(h.logCount("checking email from"), 2);
}

TEST_F(NewMailRoad, WithoutExclusiveModeMailWithoutSenderIsScored) {
    auto anonymous = h.client.deliverMessage(message("", "me@home.example", "No sender"));
    EXPECT_TRUE(inInbox(anonymous));
    EXPECT_EQ(engine.callsStartingWith("TW_score(").size(), 1u);
    EXPECT_FALSE(h.logHas("checking email from"));
}

TEST_F(NewMailRoad, TheScoreMeetsTheThresholdInForce) {
    engine.setScoreFor("At ninety", 90);
    engine.setScoreFor("At eighty-nine", 89);
    auto at = deliver("a@one.example", "At ninety");
    auto below = deliver("b@two.example", "At eighty-nine");
    EXPECT_TRUE(inJunk(at));
    EXPECT_TRUE(inInbox(below));
    EXPECT_TRUE(at->UnRead()) << "spam stays unread unless the user asks otherwise";

    settings().threshold2 = 89.5;
    settings().EnableSpamFilterStrength = true;
    EXPECT_TRUE(inInbox(deliver("c@three.example", "At eighty-nine again")));
    EXPECT_TRUE(h.logHas("comparing junk score 89 to 89.5"));
    settings().threshold2 = 89;
    EXPECT_TRUE(inJunk(deliver("e@five.example", "At eighty-nine once more")));
}

TEST_F(NewMailRoad, ScoreFlagsTellTheEngineWhomTheMessageWasFor) {
    deliver("x@a.example", "To me");
    deliver("y@b.example", "To someone else", "other@elsewhere.example");
    h.client.deliverMessage(message("self@c.example", "self@c.example", "To itself"));
    auto scores = engine.callsStartingWith("TW_score(");
    ASSERT_EQ(scores.size(), 3u);
    EXPECT_NE(scores[0].find(",x@a.example,1,"), std::string::npos) << scores[0];
    EXPECT_NE(scores[1].find(",y@b.example,2,"), std::string::npos) << scores[1];
    EXPECT_NE(scores[2].find(",self@c.example,6,"), std::string::npos) << scores[2];
}

TEST_F(NewMailRoad, ErrorsAndASwitchedOffEngineLeaveMailLegitimate) {
    settings().nospamengine = 1;
    auto offline = deliver("spammer@y.example", "Cheap pills");
    EXPECT_TRUE(inInbox(offline));
    EXPECT_TRUE(h.logHas("spam engine is disabled. Assume message is OK"));

    // Without an engine every scored message is good, and each one says why in the log.
    settings().nospamengine = 0;
    engine.reset();
    engine.setNextHandle(0);
    restart();
    auto first = deliver("spammer@y.example", "Cheap pills one");
    auto second = deliver("spammer2@y.example", "Cheap pills two");
    EXPECT_TRUE(inInbox(first));
    EXPECT_TRUE(inInbox(second));
    EXPECT_EQ(h.logCount("isJunkMail : Error"), 2);
    EXPECT_TRUE(marked(first)) << "a message that failed is still checked once only";
}

TEST_F(NewMailRoad, AJunkFolderThatCannotBeMadeIsChosenByTheUserOrTheSpamStays) {
    settings().junkfolder = "\\Personal Folders\\Caught";
    h.client.faults().failAlways("FoldersAdd");
    h.client.setPickFolderAnswer(h.client.defaultFolder(outlook::olFolderDeletedItems));
    auto spam = deliver("spammer@y.example", "Cheap pills");
    EXPECT_EQ(spam->parentFolder()->Name(), "Deleted Items");
    ASSERT_EQ(h.ui.boxes.size(), 1u);
    EXPECT_EQ(h.ui.boxes[0].prompt, "Please choose a folder for your caught spam.");
    EXPECT_EQ(settings().junkfolder, "\\Personal Folders\\Deleted Items");
    EXPECT_EQ(settingsKey().read("junkfolder").text(), "\\Personal Folders\\Deleted Items");
    EXPECT_TRUE(h.logHas("Unable to create folder for caught spam: \\Personal Folders\\Caught"));

    settings().junkfolder = "\\Personal Folders\\Caught";
    h.client.setPickFolderAnswer(nullptr);
    auto kept = deliver("spammer@y.example", "Cheap pills again");
    EXPECT_TRUE(inInbox(kept));
    EXPECT_TRUE(h.logHas("processJunkMail unable to process junk message"));
    EXPECT_EQ(settings().junkfolder, "\\Personal Folders\\Caught");
}

TEST_F(NewMailRoad, SentMailTeachesCorrespondentsAndLegitimateText) {
    auto sent = h.client.deliverMessage(message("me@home.example", "pal@friends.example", "Lunch?"),
                                        h.client.defaultFolder(outlook::olFolderSentMail));
    EXPECT_FALSE(engine.callsStartingWith("TW_addSpamAddrTo(1,pal@friends.example,1,").empty());
    auto trained = engine.callsStartingWith("TW_addMessage(1,");
    ASSERT_EQ(trained.size(), 1u);
    EXPECT_NE(trained[0].find(",-120,0)"), std::string::npos) << trained[0];

    h.client.deliverMessage(message("me@home.example", "pal@friends.example", "Invite",
                                    "Content-Class: urn:content-classes:calendarmessage\r\n"),
                            h.client.defaultFolder(outlook::olFolderSentMail));
    EXPECT_EQ(engine.callsStartingWith("TW_addMessage(").size(), 1u);
}

TEST_F(NewMailRoad, NothingIsCheckedWhileFilteringIsOff) {
    settings().filteringState = settings::filteringDisabled;
    auto spam = deliver("spammer@y.example", "Cheap pills");
    runQueue();
    EXPECT_TRUE(inInbox(spam));
    EXPECT_FALSE(marked(spam));
    EXPECT_FALSE(queue().Enabled());
}

}  // namespace
}  // namespace tw::test
