// Training through the engine: totals, the minimum-training switch and a message's extra data.
#include "classify/Training.h"
#include "scan/NewMailFixture.h"

namespace tw::test {
namespace {

class TrainingTest : public NewMailFixture {
protected:
    void SetUp() override { start(); }
    classify::Training training() { return classify::Training(h.addin()); }
    std::string lastMinTraining() {
        auto calls = engine.callsStartingWith("TW_setOption(1,min_training,");
        return calls.empty() ? "" : calls.back();
    }
};

TEST_F(TrainingTest, MinimumTrainingNeedsBothTotals) {
    engine.setOption("wordtraining_totalspam", "100");
    engine.setOption("wordtraining_totalham", "99");
    settings().use_training = false;
    training().checkIfUserWantsMinTraining();
    EXPECT_TRUE(h.ui.boxes.empty());
    EXPECT_EQ(lastMinTraining(), "TW_setOption(1,min_training,2147483640)");

    engine.setOption("wordtraining_totalham", "100");
    training().checkIfUserWantsMinTraining();
    ASSERT_EQ(h.ui.boxes.size(), 1u);
    EXPECT_EQ(h.ui.boxes[0].prompt, "Minimum training has been reached.");
    EXPECT_EQ(lastMinTraining(), "TW_setOption(1,min_training,100)");
    EXPECT_TRUE(settings().use_training);
    EXPECT_EQ(settingsKey().getNumberFromRegistry("use_training"), 1);

    int32_t ham = 0, spam = 0;
    training().getTrainingTotals(ham, spam);
    EXPECT_EQ(ham, 100);
    EXPECT_EQ(spam, 100);
}

TEST_F(TrainingTest, WithWordTrainingOffNothingHappens) {
    settings().enable_word_training = false;
    size_t before = engine.calls().size();
    training().checkIfUserWantsMinTraining();
    EXPECT_EQ(engine.calls().size(), before);
    EXPECT_TRUE(h.ui.boxes.empty());
}

TEST_F(TrainingTest, ExtraDataAddsTrimmedLowerCaseEntriesOfMailOnly) {
    engine.setOption("info:countries", "DE, fr,Us,,de");
    engine.setOption("info:charsets", "ISO-8859-1");
    KeyedSet countries, charsets;
    auto item = deliver("a@x.example", "Bonjour");
    training().getExtraData(item, countries, charsets);
    EXPECT_EQ(countries.Keys(), (std::vector<std::string>{"de", "fr", "us"}));
    EXPECT_EQ(charsets.Keys(), (std::vector<std::string>{"iso-8859-1"}));
    EXPECT_EQ(engine.callsStartingWith("TW_delMessage(").size(), 1u);

    size_t before = engine.calls().size();
    KeyedSet none, noCharsets;
    training().getExtraData(h.client.createItem(outlook::olContact, "someone"), none, noCharsets);
    EXPECT_EQ(engine.calls().size(), before);
    EXPECT_EQ(none.Count(), 0u);
}

TEST_F(TrainingTest, TrainingSwitchesTheNetworkChecksBackOnEvenWhenItFails) {
    auto item = deliver("a@x.example", "Train me");
    training().trainOnMessage(item, 200);
    auto added = engine.callsStartingWith("TW_addMessage(1,");
    ASSERT_EQ(added.size(), 1u);
    EXPECT_NE(added[0].find(",200,0)"), std::string::npos);
    EXPECT_EQ(engine.callsStartingWith("TW_setOption(1,netcheck,").back(), "TW_setOption(1,netcheck,yes)");

    engine.reset();
    training().trainOnMessage(nullptr, 200);
    EXPECT_TRUE(h.logHas("trainOnMessage : Error"));
    EXPECT_EQ(engine.callsStartingWith("TW_setOption(1,netcheck,").back(), "TW_setOption(1,netcheck,yes)");
}

}  // namespace
}  // namespace tw::test
