// The "why" of a decision: each kind of decision told with the list entry or the score that made it.
#include <gtest/gtest.h>

#include "classify/IncomingFilter.h"
#include "classify/Judgement.h"
#include "core/Text.h"
#include "scan/NewMailFixture.h"

namespace tw::test {
namespace {

class Judging : public NewMailFixture {
protected:
    void SetUp() override {
        start();
        bool removed = false;
        senders().AddBlockedSenders({"bad@spam.example", "evil.example"}, removed, false, {});
        senders().AddApprovedSenders({"friend@ok.example"}, removed, false, {});
        settings().blocked_countries_tld = true;
        settings().blockedCountries.Add("ru");
        engine.setScore(10);
        engine.setScoreFor("Cheap pills", 95);
    }

    std::string why(const std::string& from, const std::string& subject) {
        auto item = deliver(from, subject);
        auto judgement = classify::IncomingFilter(h.addin()).judge(item, true);
        return (judgement.spam ? "spam: " : "kept: ") + text::join(classify::judgementInWords(judgement), " | ");
    }
};

TEST_F(Judging, EachDecisionNamesTheEntryOrTheScoreThatMadeIt) {
    EXPECT_EQ(why("friend@ok.example", "Hello"),
              "kept: Judged as legitimate mail. | The sender friend@ok.example is on your approved senders list.");
    EXPECT_EQ(why("bad@spam.example", "Hello"),
              "spam: Judged as spam. | The sender bad@spam.example is on your blocked senders list.");
    EXPECT_EQ(why("someone@mail.evil.example", "Hello"),
              "spam: Judged as spam. | The sender's domain matches \"evil.example\" on your blocked senders list.");
    EXPECT_EQ(why("ivan@post.ru", "Hello"),
              "spam: Judged as spam. | The sender's address ends in .ru, a country you block.");
    const std::string above = why("spammer@y.example", "Cheap pills");
    EXPECT_EQ(above.rfind("spam: Judged as spam. | No list decided, so the engine scored the message: 95 reaches the "
                          "threshold of 90.", 0), 0u) << above;
    const std::string below = why("colleague@z.example", "Minutes");
    EXPECT_EQ(below.rfind("kept: Judged as legitimate mail. | No list decided, so the engine scored the message: 10 is "
                          "below the threshold of 90.", 0), 0u) << below;
}

TEST(ClueInWords, TellsWhatEachKindOfClueMeans) {
    EXPECT_EQ(classify::clueInWords("token\tsubject:viagra\t0.990\tuser store\t97\t1"),
              "the word \"viagra\" in the subject: in 97 spam and 1 legitimate message you trained");
    EXPECT_EQ(classify::clueInWords("token\tbody:meeting\t0.020\tshipped rules\t0\t0"),
              "the word \"meeting\" in the text: typical of legitimate mail in the rules Tarnwick ships");
    EXPECT_EQ(classify::clueInWords("relay\t203.0.113.9\t1.000\tblocked_ip_list"),
              "the sending server 203.0.113.9 is on your blocked IP addresses list");
    EXPECT_EQ(classify::clueInWords("rbl\t203.0.113.9\t0.990\tbl.example.org"),
              "the sending server 203.0.113.9 is listed by the block list bl.example.org");
    EXPECT_EQ(classify::clueInWords("token\treceived-long:p:3\t0.990\tuser store\t52\t1"),
              "a long word starting with \"p\" in the header received: in 52 spam and 1 legitimate message you trained");
    EXPECT_EQ(classify::clueInWords("token\tbody:x"), "");
}

}  // namespace
}  // namespace tw::test
