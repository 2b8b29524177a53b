// Scoring arithmetic: chi-square tails, Fisher's combining, the score scale and the tokens it rests on.
#include <gtest/gtest.h>

#include <cmath>

#include "Classifier.h"
#include "ScoreScale.h"
#include "Tokenizer.h"

namespace tarn::engine {
namespace {

TEST(Classifier, ChiSquareTailMatchesKnownValuesAndNeverUnderflows) {
    // With 2 degrees of freedom the tail is exp(-x/2).
    EXPECT_NEAR(std::exp(Classifier::logChiSquareTail(4.0, 2)), std::exp(-2.0), 1e-12);
    // With 4: exp(-m)(1 + m), m = x/2.
    EXPECT_NEAR(std::exp(Classifier::logChiSquareTail(6.0, 4)), std::exp(-3.0) * 4.0, 1e-12);
    EXPECT_DOUBLE_EQ(Classifier::logChiSquareTail(0, 10), 0.0);
    double farTail = Classifier::logChiSquareTail(5000.0, 300);
    EXPECT_TRUE(std::isfinite(farTail));
    EXPECT_LT(farTail, -1000.0);
}

TEST(Classifier, FisherCombiningIsSymmetricAndKeepsCertaintyExact) {
    Verdict neutral = Classifier::fisherCombine({});
    EXPECT_DOUBLE_EQ(neutral.probability, 0.5);
    EXPECT_FALSE(neutral.hasEvidence);

    std::vector<double> spammy(200, 0.99), hammy(200, 0.01);
    Verdict spam = Classifier::fisherCombine(spammy), ham = Classifier::fisherCombine(hammy);
    EXPECT_NEAR(spam.probability, 1.0, 1e-12);
    EXPECT_GT(spam.complement, 0.0) << "the distance from certainty is what ranks certain messages";
    EXPECT_LT(spam.complement, 1e-12);
    EXPECT_NEAR(spam.probability, ham.complement, 1e-12);
    EXPECT_NEAR(Classifier::fisherCombine({0.2, 0.8}).probability, 0.5, 1e-9);
}

TEST(Classifier, WordProbabilityLeansToThePriorWhenEvidenceIsThin) {
    Classifier classifier;
    TrainingTotals totals{100, 100, 100, 100, 200};
    double once = classifier.wordProbability({1, 0}, totals);
    double often = classifier.wordProbability({50, 0}, totals);
    EXPECT_GT(once, 0.5);
    EXPECT_GT(often, once);
    EXPECT_LT(classifier.wordProbability({0, 50}, totals), 0.05);
    EXPECT_NEAR(classifier.wordProbability({30, 30}, totals), 0.5, 0.01);
}

TEST(Classifier, AWordInAFewOfManyLegitimateMessagesIsNoClue) {
    Classifier classifier;
    ClassifierTuning tuning;
    // Twenty times more legitimate mail than spam, as in most users' stores.
    TrainingTotals totals{100, 2000, 100, 2000, 2100};
    EXPECT_LT(std::fabs(classifier.wordProbability({0, 10}, totals) - 0.5), tuning.minDeviation)
        << "ten of two thousand is what any ordinary word scores; a spam using it is not less likely spam";
    EXPECT_GT(classifier.wordProbability({10, 0}, totals), 0.9) << "ten of a hundred spam is telling";
    EXPECT_LT(classifier.wordProbability({0, 400}, totals), 0.05);
}

TEST(Classifier, OrdinaryHeadersDoNotCapASpammyBody) {
    WordStore store;
    // Header token 1 is in every legitimate message and in some spam; body tokens 10..19 only in spam.
    std::vector<uint64_t> spamMessage{1, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19};
    for (int i = 0; i < 40; ++i) {
        store.train({1, 100 + static_cast<uint64_t>(i)}, false, 1);
        store.train(i % 8 == 0 ? spamMessage : std::vector<uint64_t>(spamMessage.begin() + 1, spamMessage.end()), true, 1);
    }
    Classifier classifier;
    MessageFeatures spam{{1}, {10, 11, 12, 13, 14, 15, 16, 17, 18, 19}};
    EXPECT_GT(classifier.classify(store, spam, true, {}).probability, 0.9);
    MessageFeatures ham{{1}, {}};
    EXPECT_LT(classifier.classify(store, ham, true, {}).probability, 0.5);

    EXPECT_DOUBLE_EQ(classifier.classify(store, spam, false, {}).probability, 0.5);
    EXPECT_LT(classifier.classify(store, spam, false, {{0.05}}).probability, 0.5);
}

TEST(Classifier, APaddingOfOrdinaryWordsDoesNotOutvoteSureSpamEvidence) {
    WordStore store;
    // Tokens 10..69 (markup, links) only in spam; 1000..1399 (ordinary words) in most legitimate
    // messages and in a quarter of the spam, as words copied from elsewhere are.
    for (int i = 0; i < 100; ++i) {
        std::vector<uint64_t> ordinary;
        for (uint64_t w = 1000; w < 1400; ++w)
            if ((w + static_cast<uint64_t>(i)) % 5 != 0) ordinary.push_back(w);
        store.train(ordinary, false, 1);
        std::vector<uint64_t> spam;
        for (uint64_t t = 10; t < 70; ++t) spam.push_back(t);
        if (i % 4 == 0) spam.insert(spam.end(), ordinary.begin(), ordinary.end());
        store.train(spam, true, 1);
    }
    std::vector<uint64_t> padded;
    for (uint64_t t = 10; t < 70; ++t) padded.push_back(t);
    for (uint64_t w = 1000; w < 1400; ++w) padded.push_back(w);
    Classifier classifier;
    EXPECT_GT(classifier.classify(store, {{}, padded}, true, {}).probability, 0.9);
    // The cap holds both sides alike: the same padding alone is still plainly legitimate.
    EXPECT_LT(classifier.classify(store, {{}, std::vector<uint64_t>(padded.begin() + 60, padded.end())}, true, {})
                  .probability,
              0.1);
}

TEST(ScoreScale, NinetyMeansConfidentAndTheEndsStaySpread) {
    auto score = [](double p, double c) { return scoreOf(Verdict{p, c, true}); };
    EXPECT_EQ(score(0.5, 0.5), 50);
    EXPECT_EQ(score(0.9, 0.1), 90);
    EXPECT_EQ(score(0.8999, 0.1001), 89);
    EXPECT_LT(score(1.0, 1e-4), 100);
    EXPECT_GT(score(1.0, 1e-4), score(0.99, 0.01));
    EXPECT_EQ(score(1.0, 1e-12), 100);
    EXPECT_EQ(score(1e-12, 1.0), 0);
    EXPECT_GT(score(1e-4, 1.0), 0);
    int previous = -1;
    for (double p = 0.0; p <= 1.0; p += 0.001) {
        int s = score(p, 1.0 - p);
        EXPECT_GE(s, previous);
        EXPECT_LE(s, 100);
        previous = s;
    }
}

TEST(Tokenizer, SeparatesHeaderFromBodyEvidenceAndIgnoresCaseAndDuplicates) {
    Tokenizer tokenizer;
    MessageFeatures a, b, c;
    tokenizer.tokenize("Subject: Cheap Meds\r\nFrom: Bob <bob@pharma.example>\r\n", "cheap meds cheap MEDS", a);
    tokenizer.tokenize("Subject: cheap meds\r\nFrom: bob <BOB@pharma.example>\r\n", "Cheap Meds", b);
    EXPECT_EQ(a.header, b.header);
    EXPECT_EQ(a.body, b.body);
    EXPECT_TRUE(std::is_sorted(a.body.begin(), a.body.end()));
    EXPECT_EQ(std::adjacent_find(a.body.begin(), a.body.end()), a.body.end());

    // The same word in the subject and in the body are different evidence.
    tokenizer.tokenize("Subject: meds\r\n", "", c);
    MessageFeatures d;
    tokenizer.tokenize("Subject: other\r\n", "meds", d);
    for (uint64_t h : c.header) EXPECT_EQ(std::count(d.body.begin(), d.body.end(), h), 0);
}

TEST(Tokenizer, TheRecipientsOwnMailboxFieldsAreNoEvidence) {
    Tokenizer tokenizer;
    MessageFeatures bookkeeping, kept;
    tokenizer.tokenize("X-Mozilla-Status: 0001\r\nX-UIDL: GmailId12\r\nX-Account-Key: account4\r\nStatus: RO\r\n", "", bookkeeping);
    EXPECT_TRUE(bookkeeping.header.empty());
    tokenizer.tokenize("X-Mozilla-Status: 0001\r\nX-Mailer: Mailsmith 1.5\r\n", "", kept);
    EXPECT_FALSE(kept.header.empty()) << "the sender's own fields still count";
}

TEST(Tokenizer, LinksGiveHostEvidenceWhereverTheyAppear) {
    Tokenizer tokenizer;
    MessageFeatures html, plain, other;
    tokenizer.tokenize("Content-Type: text/html\r\n", "<a href=\"http://www.shop.example/buy\">click</a>", html);
    tokenizer.tokenize("", "see http://www.shop.example/buy", plain);
    tokenizer.tokenize("", "see http://www.elsewhere.example/buy", other);
    auto shared = [](const std::vector<uint64_t>& x, const std::vector<uint64_t>& y) {
        size_t n = 0;
        for (uint64_t h : x) n += std::binary_search(y.begin(), y.end(), h);
        return n;
    };
    EXPECT_GE(shared(html.body, plain.body), 3u);  // host, parent domain, path words
    EXPECT_GT(shared(html.body, plain.body), shared(html.body, other.body));
}

}  // namespace
}  // namespace tarn::engine
