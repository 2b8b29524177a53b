// The spam filter strength: the bands of the threshold box, the presets, the slider and the up-down.
#include <gtest/gtest.h>

#include "core/StringTable.h"
#include "options/OptionsFixture.h"

namespace tw::test {
namespace {

class StrengthPage : public OptionsFixture {
protected:
    void SetUp() override {
        OptionsFixture::SetUp();
        openOnStrengthPage();
    }
    void openOnStrengthPage() {
        open();
        form->tvwOptions_NodeClick("CustomFilterThreshold");
    }
    /// The option button chosen: 1 Lenient ... 4 Exclusive; 0 when none.
    int chosen() {
        int found = 0;
        for (int option = 1; option <= 4; ++option)
            if (ctl("optStrength" + std::to_string(option)).value) found = found ? -1 : option;
        return found;
    }
    std::string description() { return ctl("lblStrengthDesc").caption; }
};

TEST_F(StrengthPage, TypingAThresholdChoosesItsBandWithItsDescriptionAndMovesTheSlider) {
    type("txtThreshold", "75");
    EXPECT_EQ(chosen(), 3);
    EXPECT_EQ(description(), loadString(1156));
    EXPECT_NE(description().find("is set to Aggressive."), std::string::npos);
    EXPECT_EQ(ctl("sldThreshold").number, 75);

    type("txtThreshold", "50");
    EXPECT_EQ(chosen(), 3);
    EXPECT_EQ(description(), "Tarnwick is set to Very Aggressive. We do not recommend this setting because non-spam "
                             "messages are very likely to be caught.");

    type("txtThreshold", "1");
    EXPECT_EQ(chosen(), 4);
    EXPECT_EQ(description(), loadString(1154));

    type("txtThreshold", "85");
    EXPECT_EQ(chosen(), 2);
    type("txtThreshold", "90");
    EXPECT_EQ(chosen(), 1);
    EXPECT_EQ(description(), loadString(1158));

    // Outside 1 to 100 the choice and its text stay.
    type("txtThreshold", "500");
    EXPECT_EQ(chosen(), 1);
    EXPECT_EQ(description(), loadString(1158));
    EXPECT_EQ(ctl("sldThreshold").number, 100);

    type("txtThreshold", "");
    EXPECT_EQ(ctl("txtThreshold").text, "0");
    EXPECT_EQ(chosen(), 1);
}

TEST_F(StrengthPage, EachBandEndsWhereItsNeighbourBegins) {
    const struct {
        const char* typed;
        int option;
        int descriptionId;
    } edges[] = {{"1", 4, 1154},  {"2", 3, 1155},  {"65", 3, 1155}, {"66", 3, 1156}, {"79", 3, 1156},
                 {"80", 2, 1157}, {"89", 2, 1157}, {"90", 1, 1158}, {"100", 1, 1158}};
    for (const auto& edge : edges) {
        type("txtThreshold", edge.typed);
        EXPECT_EQ(chosen(), edge.option) << edge.typed;
        EXPECT_EQ(description(), loadString(edge.descriptionId)) << edge.typed;
    }
}

TEST_F(StrengthPage, ChoosingAnOptionAppliesItsPresetTheFocusAloneNothingSliderAndUpDownWithinRange) {
    type("txtThreshold", "85");
    form->controls()->raise("optStrength1", "GotFocus");
    EXPECT_EQ(ctl("txtThreshold").text, "85") << "Tab passing through the options changes nothing";
    EXPECT_EQ(chosen(), 2);

    form->controls()->click("optStrength2");
    EXPECT_EQ(ctl("txtThreshold").text, "80");
    EXPECT_EQ(chosen(), 2);
    EXPECT_EQ(description(), "Moderate");

    form->controls()->click("optStrength4");
    EXPECT_EQ(ctl("txtThreshold").text, "1");
    EXPECT_EQ(chosen(), 4);
    EXPECT_EQ(description(), "Exclusive");

    ctl("sldThreshold").number = 68;
    form->controls()->raise("sldThreshold", "Change");
    EXPECT_EQ(ctl("txtThreshold").text, "68");
    EXPECT_EQ(chosen(), 3);

    type("txtThreshold", "100");
    form->controls()->raise("updThreshold", "UpClick");
    EXPECT_EQ(ctl("txtThreshold").text, "100");
    form->controls()->raise("updThreshold", "DownClick");
    EXPECT_EQ(ctl("txtThreshold").text, "99");
    type("txtThreshold", "-5");
    form->controls()->raise("updThreshold", "DownClick");
    EXPECT_EQ(ctl("txtThreshold").text, "1");
    type("txtThreshold", "250");
    form->controls()->raise("updThreshold", "UpClick");
    EXPECT_EQ(ctl("txtThreshold").text, "100");
}

TEST_F(StrengthPage, OpeningShowsTheStoredThreshold) {
    settings().threshold2 = 72;
    openOnStrengthPage();
    EXPECT_EQ(ctl("txtThreshold").text, "72");
    EXPECT_EQ(chosen(), 3);
    EXPECT_EQ(ctl("sldThreshold").number, 72);
}

}  // namespace
}  // namespace tw::test
