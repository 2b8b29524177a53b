// The clues the engine gives for its last score, read through the add-in's binding.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "Clues.h"
#include "IpAddress.h"
#include "MimeMessage.h"
#include "Tokenizer.h"
#include "engineapi/EngineLibrary.h"
#include "sim/SimLibraryLoader.h"
#include "support/TempFolder.h"
#include "support/TestPaths.h"

namespace tarn::engine {
namespace {

const std::string kHeaders = "From: someone@example.com\r\nSubject: note\r\n";

class Explain : public ::testing::Test {
protected:
    Explain() : loader_({tw::test::engineDir()}), engine_(loader_) {
        handle_ = engine_.TW_constructor("Outlook", folder_.path().string());
        engine_.TW_setOption(handle_, "offsetdir", folder_.path().string());
        engine_.TW_setOption(handle_, "min_training", "5");
        engine_.TW_initialize(handle_);
        // Headers alike in both classes say nothing; the body words have known counts.
        for (int i = 0; i < 20; ++i) engine_.TW_addMessage(handle_, kHeaders, "meeting agenda x" + std::to_string(i), -100);
        for (int i = 0; i < 10; ++i)
            engine_.TW_addMessage(handle_, kHeaders,
                                  std::string("alpha") + (i < 6 ? " beta" : "") + (i < 3 ? " gamma" : "") + " y" + std::to_string(i),
                                  100);
    }
    ~Explain() override { engine_.TW_destructor(handle_); }

    void score(const std::string& headers, const std::string& body) {
        int32_t result = -1;
        ASSERT_EQ(engine_.TW_score(handle_, headers, body, "", 0, "", result), 0);
    }
    std::string explain() {
        int32_t status = -1;
        std::string text = engine_.TW_explainLastScore(handle_, &status);
        EXPECT_EQ(status, 0);
        return text;
    }

    tw::test::TempFolder folder_;
    tw::sim::SimLibraryLoader loader_;
    tw::engineapi::EngineLibrary engine_;
    int32_t handle_ = 0;
};

const char* kWordClues =
    "token\tbody:meeting\t0.036\tuser store\t0\t20\n"
    "token\tbody:alpha\t0.945\tuser store\t10\t0\n"
    "token\tbody:beta\t0.914\tuser store\t6\t0\n"
    "token\tbody:gamma\t0.850\tuser store\t3\t0\n";

TEST_F(Explain, NamesTheWordsThatCountedStrongestFirstWithTheirCounts) {
    EXPECT_EQ(explain(), "") << "nothing scored yet";
    score(kHeaders, "gamma beta alpha meeting unknownword");
    EXPECT_EQ(explain(), kWordClues);
}

TEST_F(Explain, ARelayVerdictNamesTheAddressAndListAndEachScoreReplacesTheLast) {
    std::ifstream in(tw::test::sourceDir() + "/tests/engine/data/spam-postfix-forged-below.eml", std::ios::binary);
    std::ostringstream raw;
    raw << in.rdbuf();
    std::string_view relayed, unused;
    const std::string text = raw.str();
    splitAtBlankLine(text, relayed, unused);

    score(kHeaders, "gamma beta alpha meeting");
    engine_.TW_setOption(handle_, "ignored_ip_list", "193.120.211.219");
    engine_.TW_setOption(handle_, "blocked_ip_list", "205.210.42.30");
    score(std::string(relayed), "alpha beta");
    EXPECT_EQ(explain(), "relay\t205.210.42.30\t1.000\tblocked_ip_list\n");
    engine_.TW_setOption(handle_, "approved_ip_list", "205.210.*");
    score(std::string(relayed), "alpha beta");
    EXPECT_EQ(explain(), "relay\t205.210.42.30\t0.000\tapproved_ip_list\n");
    score(kHeaders, "nothing known here");
    EXPECT_EQ(explain(), "") << "no clue of the earlier scores may linger";
    score(kHeaders, "gamma beta alpha meeting");
    EXPECT_EQ(explain(), kWordClues);
}

TEST_F(Explain, ABufferTooSmallGetsTheSizeNeededAndOnlyWholeLines) {
    score(kHeaders, "gamma beta alpha meeting");
    auto fn = reinterpret_cast<TW_explainLastScore_fn>(loader_.resolve(loader_.load("tarnengine.dll"), "TW_explainLastScore"));
    const std::string whole = kWordClues;
    const std::string firstLine = whole.substr(0, whole.find('\n') + 1);
    char buffer[64];
    int32_t size = static_cast<int32_t>(firstLine.size()) + 5;
    EXPECT_EQ(fn(handle_, buffer, &size), 2);
    EXPECT_EQ(size, static_cast<int32_t>(whole.size()) + 1);
    EXPECT_EQ(std::string(buffer), firstLine);
    size = 0;
    EXPECT_EQ(fn(handle_, nullptr, &size), 2);
    EXPECT_EQ(size, static_cast<int32_t>(whole.size()) + 1);
    EXPECT_EQ(fn(handle_, buffer, nullptr), -2);
    EXPECT_EQ(fn(-7, buffer, &size), -1);
}

TEST(ExplainBinding, AnEngineWithoutTheFunctionStillLoadsAndExplainsNothing) {
    tw::sim::SimLibraryLoader loader({tw::test::stubLibraryDir()});
    tw::engineapi::EngineLibrary engine(loader);
    int32_t status = -1;
    EXPECT_EQ(engine.TW_explainLastScore(1, &status), "");
    EXPECT_EQ(status, 0);
}

TEST(Tokenizer, NamesEveryFeatureOfAMessageByWhereItStands) {
    const std::string headers =
        "From: Seller <seller@pharma.example>\r\nSubject: CHEAP pills\r\nX-Mailer: Bulk\tSender 2\r\n"
        "Content-Type: text/html\r\n";
    const std::string body = "<html><font>Best offer</font> <a href=\"http://shop.pills.example/buy\">x</a> "
                             "Averyveryveryveryveryveryveryverylongword</html>";
    Tokenizer tokenizer;
    MessageFeatures features;
    tokenizer.tokenize(headers, body, features);
    std::vector<uint64_t> keys = features.header;
    keys.insert(keys.end(), features.body.begin(), features.body.end());
    keys.push_back(12345);
    const std::vector<std::string> names = tokenizer.nameFeatures(headers, body, keys);
    ASSERT_EQ(names.size(), keys.size());
    EXPECT_EQ(names.back(), "#0000000000003039") << "a key the message does not give";
    for (size_t i = 0; i + 1 < names.size(); ++i) {
        EXPECT_EQ(names[i].find('?'), std::string::npos) << names[i];
        EXPECT_EQ(names[i].find('\t'), std::string::npos) << names[i];
    }
    for (const char* name : {"subject:cheap", "from-address:seller@pharma.example", "from-domain:pharma.example",
                             "from:seller", "mailer:bulk sender 2", "x-mailer:bulk", "header:x-mailer", "body:offer",
                             "tag:font", "url-host:pills.example", "url-path:buy", "body-long:a:4"})
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
}

TEST(IpAddress, WrittenBackShortestWithTheFirstLongestZeroRunElided) {
    for (const char* text : {"203.0.113.7", "::1", "1::", "2001:db8::1:0:0:1", "1:0:2:3:4:5:6:7", "fe80:0:0:abc::"})
        EXPECT_EQ(formatIpAddress(parseIpAddress(text).value()), text);
    EXPECT_EQ(formatIpAddress(parseIpAddress("2001:DB8:0000::0001").value()), "2001:db8::1");
}

TEST(StrongestTokens, KeepsTheTenFarthestFromEvenInOrderFirstSeenFirstAmongEquals) {
    StrongestTokens strongest;
    for (uint64_t key = 1; key <= 15; ++key) strongest.offer(key, key % 2 ? 0.5 + key / 40.0 : 0.5 - key / 40.0, {});
    strongest.offer(100, 0.5 + 15 / 40.0, {});
    ASSERT_EQ(strongest.size(), StrongestTokens::kCapacity);
    const uint64_t expected[] = {15, 100, 14, 13, 12, 11, 10, 9, 8, 7};
    for (size_t i = 0; i < strongest.size(); ++i) EXPECT_EQ(strongest[i].key, expected[i]) << i;
}

}  // namespace
}  // namespace tarn::engine
