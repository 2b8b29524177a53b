// The shipped rule files: their seal, which copy is read, and how they score beside the user's store.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "Engine.h"
#include "FileIo.h"
#include "RuleFile.h"
#include "RuleSet.h"
#include "Tokenizer.h"
#include "support/TempFolder.h"
#include "support/TestPaths.h"

namespace tarn::engine {
namespace {

namespace fs = std::filesystem;

const std::string kOld = "2026.01.01.00.00.00", kNew = "2026.06.01.00.00.00";
const std::string kHeaders = "From: someone@example.com\r\nSubject: note\r\n";
const std::string kSpamBody = "cheap pills winner", kHamBody = "meeting agenda minutes";

/// A word table giving the words of `body` (not what every plain-text body gives) the probability `p`.
std::string wordsOf(const std::string& body, double p) {
    MessageFeatures features, common;
    Tokenizer().tokenize(kHeaders, body, features);
    Tokenizer().tokenize(kHeaders, "", common);
    std::vector<ShippedWord> words;
    for (uint64_t key : features.body)
        if (!std::binary_search(common.body.begin(), common.body.end(), key))
            words.push_back({key, static_cast<uint16_t>(p * 65535), 100});
    return ShippedWords::serialize(words);
}

void writeRules(const fs::path& folder, const std::string& stamp, const std::string& tw1,
                const std::string& tw5 = "strength 1\n") {
    fs::create_directories(folder);
    replaceFileAtomically((folder / "tw1.bin").string(), sealRuleFile("tw1", stamp, tw1));
    replaceFileAtomically((folder / "tw2.bin").string(), sealRuleFile("tw2", stamp, ShippedWords::serialize({})));
    replaceFileAtomically((folder / "tw5.bin").string(), sealRuleFile("tw5", stamp, tw5));
}

TEST(RuleFile, ACutOrChangedByteAnywhereIsDamage) {
    const std::string sealed = sealRuleFile("tw1", kOld, wordsOf(kSpamBody, 0.9));
    std::string fault;
    const auto opened = openRuleFile(sealed, fault);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->header.stamp, kOld);
    EXPECT_EQ(opened->body, wordsOf(kSpamBody, 0.9));
    for (size_t cut = 0; cut < sealed.size(); ++cut)
        EXPECT_FALSE(openRuleFile(sealed.substr(0, cut), fault)) << "cut at " << cut;
    for (size_t at = 0; at < sealed.size(); ++at) {
        std::string changed = sealed;
        changed[at] = static_cast<char>(changed[at] ^ 0x20);
        EXPECT_FALSE(openRuleFile(changed, fault)) << "changed at " << at;
    }
}

TEST(ShippedWordsTable, MergesFilesAndRefusesUnsortedOrOddSizedBodies) {
    ShippedWords words;
    ASSERT_TRUE(words.merge(ShippedWords::serialize({{5, 100, 1}, {1, 200, 2}})));
    ASSERT_TRUE(words.merge(ShippedWords::serialize({{3, 300, 3}, {5, 999, 9}})));
    ASSERT_EQ(words.size(), 3u);
    EXPECT_EQ(words.find(1)->probability, 200);
    EXPECT_EQ(words.find(5)->probability, 100);  // the first file's entry stays
    EXPECT_EQ(words.find(4), nullptr);
    std::string body = ShippedWords::serialize({{1, 1, 1}, {2, 2, 2}});
    EXPECT_FALSE(words.merge(body.substr(0, body.size() - 1)));
    std::swap(body[4], body[16]);  // the two keys' lowest bytes: now out of order
    EXPECT_FALSE(words.merge(body));
    EXPECT_EQ(words.size(), 3u);
}

TEST(RuleTuningText, ReadsKnownNamesAndPassesOverNonsense) {
    const RuleTuning t = RuleTuning::parse("strength 7\nlow 0.9\nhigh 0.95\nbogus 3\nfade x\nsharpen 2\n");
    EXPECT_EQ(t.strength, 7);
    EXPECT_EQ(t.low, RuleTuning{}.low);  // a floor above 0.5 is refused
    EXPECT_EQ(t.high, 0.95);
    EXPECT_EQ(t.fade, RuleTuning{}.fade);
    EXPECT_EQ(RuleTuning::parse(t.serialize()).sharpen, 2);
}

TEST(RuleSetLoad, ALaterIntactUpdateWinsAndEveryFaultIsReported) {
    tw::test::TempFolder folder;
    const fs::path installed = folder.path() / "install", updates = folder.path() / "data" / "rules";
    writeRules(installed, kNew, wordsOf(kSpamBody, 0.9));
    writeRules(updates, kOld, wordsOf(kHamBody, 0.1));
    RuleSet rules;
    rules.load(installed.string(), updates.string());
    EXPECT_NE(rules.status().find("tw1\t" + kNew + "\t" + (installed / "tw1.bin").string()), std::string::npos);
    EXPECT_EQ(rules.status().find(updates.string()), std::string::npos) << "an older update is passed over";

    writeRules(updates, "2026.12.01.00.00.00", wordsOf(kHamBody, 0.1));
    fs::remove(updates / "tw5.bin");
    std::ofstream(updates / "tw2.bin", std::ios::binary | std::ios::app) << "x";  // damaged
    rules.load(installed.string(), updates.string());
    const std::string& status = rules.status();
    EXPECT_NE(status.find("tw1\t2026.12.01.00.00.00\t" + (updates / "tw1.bin").string() + "\n"), std::string::npos) << status;
    EXPECT_NE(status.find("tw2\tdamaged\t" + (updates / "tw2.bin").string() + "\n"), std::string::npos) << status;
    EXPECT_NE(status.find("tw2\t" + kNew + "\t" + (installed / "tw2.bin").string() + "\n"), std::string::npos) << status;
    EXPECT_NE(status.find("tw5\t" + kNew + "\t" + (installed / "tw5.bin").string() + "\n"), std::string::npos) << status;

    // A file of another name is damage too: tw1.bin must say "tw1".
    fs::remove_all(updates);
    replaceFileAtomically((installed / "tw1.bin").string(), sealRuleFile("tw2", kNew, wordsOf(kSpamBody, 0.9)));
    fs::remove(installed / "tw5.bin");
    rules.load(installed.string(), updates.string());
    EXPECT_TRUE(rules.words().empty());
    EXPECT_NE(rules.status().find("tw1\tdamaged\t"), std::string::npos);
    EXPECT_NE(rules.status().find("tw5\tmissing\t"), std::string::npos);

    // An engine made without a folder looks in none, not in the working directory.
    const fs::path working = fs::current_path();
    fs::current_path(installed);
    rules.load("", "");
    fs::current_path(working);
    EXPECT_EQ(rules.status(), "tw1\tmissing\t\ntw2\tmissing\t\ntw5\tmissing\t\n");
}

class RulesEngine : public ::testing::Test {
protected:
    RulesEngine() : engine_("Outlook", (folder_.path() / "install").string()) {
        writeRules(folder_.path() / "install", kOld, wordsOf(kSpamBody, 0.99));
        engine_.setOption("offsetdir", (folder_.path() / "data").string());
        engine_.setOption("min_training", "3");
        engine_.initialize();
    }
    int32_t score(const std::string& body) {
        int32_t result = -1;
        EXPECT_EQ(engine_.score(kHeaders, body, "", 0, result), kOk);
        return result;
    }
    std::string option(const std::string& name) {
        std::string value;
        engine_.getOption(name, value);
        return value;
    }

    tw::test::TempFolder folder_;
    Engine engine_;
};

TEST_F(RulesEngine, AnUntrainedEngineScoresByItsRulesUntilTheyAreSwitchedOff) {
    const int32_t flat = 50;
    EXPECT_GE(score(kSpamBody), 90);
    EXPECT_EQ(score(kHamBody), flat);
    score(kSpamBody);
    EXPECT_NE(engine_.explainLastScore().find("token\tbody:cheap\t0.990\tshipped rules\t0\t0\n"), std::string::npos)
        << engine_.explainLastScore();
    EXPECT_EQ(option("rules_status"), "tw1\t" + kOld + "\t" + (folder_.path() / "install" / "tw1.bin").string() +
                                          "\ntw2\t" + kOld + "\t" + (folder_.path() / "install" / "tw2.bin").string() +
                                          "\ntw5\t" + kOld + "\t" + (folder_.path() / "install" / "tw5.bin").string() + "\n");
    EXPECT_EQ(engine_.setOption("rules_status", "x"), kBadArgument);

    engine_.setOption("enable_rules", "no");
    EXPECT_EQ(score(kSpamBody), flat);
    EXPECT_EQ(engine_.explainLastScore(), "");
    EXPECT_EQ(option("rules_status"), "");
}

TEST_F(RulesEngine, DamagedRulesAreReportedAndScoringGoesOn) {
    std::ofstream((folder_.path() / "install" / "tw1.bin"), std::ios::binary | std::ios::trunc) << "TWRULES tw1 " << kOld;
    engine_.reloadRules();
    EXPECT_EQ(score(kSpamBody), 50);
    EXPECT_NE(option("rules_status").find("tw1\tdamaged\t"), std::string::npos) << option("rules_status");

    // A newer intact copy in the data folder stands in, read again when asked to.
    writeRules(folder_.path() / "data" / "rules", kNew, wordsOf(kSpamBody, 0.99));
    engine_.reloadRules();
    EXPECT_GE(score(kSpamBody), 90);
    EXPECT_NE(option("rules_status").find("tw1\t" + kNew + "\t"), std::string::npos);

    // "rules_folder" points elsewhere; nothing there is nothing to score by.
    engine_.setOption("rules_folder", (folder_.path() / "nowhere").string());
    fs::remove_all(folder_.path() / "data" / "rules");
    EXPECT_EQ(score(kSpamBody), 50);
    EXPECT_NE(option("rules_status").find("tw1\tmissing\t" + (folder_.path() / "nowhere" / "tw1.bin").string()),
              std::string::npos);
}

TEST_F(RulesEngine, OnceTrainingCountsTheUsersOwnEvidenceWins) {
    // The user's mail says these words are legitimate, against the shipped rules.
    for (int i = 0; i < 30; ++i) engine_.addMessage(kHeaders, kSpamBody + " h" + std::to_string(i), -100);
    for (int i = 0; i < 30; ++i) engine_.addMessage(kHeaders, "other words s" + std::to_string(i), 100);
    EXPECT_LT(score(kSpamBody), 10);
    EXPECT_NE(engine_.explainLastScore().find("\tbody:cheap\t0.0"), std::string::npos) << engine_.explainLastScore();
    EXPECT_EQ(engine_.explainLastScore().find("shipped rules"), std::string::npos);
}

TEST(ShippedRuleFiles, TheCommittedFilesAreIntactAndSmall) {
    const fs::path folder = fs::path(tw::test::sourceDir()) / "resources" / "rules";
    RuleSet rules;
    rules.load(folder.string(), "");
    EXPECT_EQ(rules.status().find("missing"), std::string::npos) << rules.status();
    EXPECT_EQ(rules.status().find("damaged"), std::string::npos) << rules.status();
    EXPECT_GT(rules.words().size(), 1000u);
    uintmax_t bytes = 0;
    for (const char* name : {"tw1.bin", "tw2.bin", "tw5.bin"}) bytes += fs::file_size(folder / name);
    EXPECT_LT(bytes, 1'500'000u);
}

}  // namespace
}  // namespace tarn::engine
