// The engine library as the add-in sees it: loaded by name, called through the add-in's binding.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "engineapi/EngineLibrary.h"
#include "engineapi/tarnengine_api.h"
#include "sim/SimLibraryLoader.h"
#include "support/TempFolder.h"
#include "support/TestPaths.h"

namespace tw::test {
namespace {

namespace fs = std::filesystem;

struct Mail {
    std::string headers, body;
};

Mail hamMail(int n) {
    return {"From: Colleague <colleague@work.example>\r\nTo: me@home.example\r\nSubject: meeting notes " +
                std::to_string(n) + "\r\nReceived: from mx.work.example (mx.work.example [10.0.0.5])\r\n",
            "Hi, here are the notes from the project meeting about the release schedule and the build.\r\n"};
}

Mail spamMail(int n) {
    return {"From: Seller <seller" + std::to_string(n) + "@pharma.example>\r\nTo: me@home.example\r\nSubject: CHEAP PILLS " +
                std::to_string(n) + "!!!\r\nContent-Type: text/html; charset=\"windows-1251\"\r\n",
            "<html><body><font color=red>Buy cheap pills now</font>, best offer, <a href=\"http://pills.example/buy\">"
            "order here</a></body></html>\r\n"};
}

class EngineCalls : public ::testing::Test {
protected:
    EngineCalls() : loader_({engineDir()}), engine_(loader_) {}
    ~EngineCalls() override {
        for (int32_t handle : handles_) engine_.TW_destructor(handle);
    }

    int32_t open(const std::string& folder, std::map<std::string, std::string> options = {}) {
        int32_t handle = engine_.TW_constructor("Outlook", folder);
        EXPECT_GT(handle, 0);
        engine_.TW_setOption(handle, "offsetdir", folder);
        for (const auto& [name, value] : options) engine_.TW_setOption(handle, name, value);
        EXPECT_EQ(engine_.TW_initialize(handle), 0);
        handles_.push_back(handle);
        return handle;
    }
    void close(int32_t handle) {
        engine_.TW_destructor(handle);
        handles_.erase(std::remove(handles_.begin(), handles_.end(), handle), handles_.end());
    }
    int32_t score(int32_t handle, const Mail& mail, int32_t flags = 0, const std::string& sender = "") {
        int32_t result = -1;
        EXPECT_EQ(engine_.TW_score(handle, mail.headers, mail.body, sender, flags, "", result), 0);
        return result;
    }
    void train(int32_t handle, int hams, int spams, int first = 0) {
        for (int i = first; i < first + hams; ++i) EXPECT_EQ(engine_.TW_addMessage(handle, hamMail(i).headers, hamMail(i).body, -100), 0);
        for (int i = first; i < first + spams; ++i) EXPECT_EQ(engine_.TW_addMessage(handle, spamMail(i).headers, spamMail(i).body, 200), 0);
    }
    template <typename Fn>
    Fn function(const char* name) {
        return reinterpret_cast<Fn>(loader_.resolve(loader_.load("tarnengine.dll"), name));
    }

    TempFolder folder_;
    sim::SimLibraryLoader loader_;
    engineapi::EngineLibrary engine_;
    std::vector<int32_t> handles_;
};

TEST_F(EngineCalls, WordsCountOnlyOnceTheMinimumTrainingIsReached) {
    int32_t engine = open(folder_.path().string(), {{"min_training", "5"}});
    EXPECT_EQ(score(engine, spamMail(50)), 50) << "an untrained engine starts from neutral";
    train(engine, 4, 5);
    EXPECT_EQ(engine_.TW_getOption(engine, "wordtraining_totalspam"), "5");
    EXPECT_EQ(engine_.TW_getOption(engine, "wordtraining_totalham"), "4");
    EXPECT_EQ(score(engine, spamMail(50)), 50);

    train(engine, 1, 0, 4);
    EXPECT_GE(score(engine, spamMail(50)), 90);
    EXPECT_LE(score(engine, hamMail(50)), 10);

    engine_.TW_setOption(engine, "min_training", "2147483640");
    EXPECT_EQ(score(engine, spamMail(50)), 50);
    engine_.TW_setOption(engine, "enable_word_training", "no");
    engine_.TW_setOption(engine, "min_training", "5");
    train(engine, 1, 1, 10);
    EXPECT_EQ(engine_.TW_getOption(engine, "wordtraining_totalham"), "5") << "training was switched off";
    EXPECT_NE(engine_.TW_addMessage(engine, "Subject: x\r\n", "y", 0), 0) << "a weight of 0 has no direction";
}

TEST_F(EngineCalls, TrainingPersistsAndEachWriteIsComplete) {
    std::string dir = folder_.path().string();
    int32_t first = open(dir, {{"training_write_buffer", "1"}, {"min_training", "3"}});
    train(first, 3, 3);
    // Without closing the first engine (as after a crash), a second one sees every written training.
    int32_t second = open(dir, {{"min_training", "3"}});
    EXPECT_EQ(engine_.TW_getOption(second, "wordtraining_totalham"), "3");
    EXPECT_GE(score(second, spamMail(9)), 90);
    close(second);
    close(first);

    // A damaged store is noticed; the engine falls back to its backup copy and keeps working.
    fs::path store = folder_.path() / "tarnwords.db";
    ASSERT_TRUE(fs::exists(store));
    fs::resize_file(store, fs::file_size(store) / 2);
    int32_t third = open(dir, {{"min_training", "3"}});
    EXPECT_GE(std::stoi(engine_.TW_getOption(third, "wordtraining_totalham")), 2);
    close(third);
    fs::remove(store);
    fs::remove(folder_.path() / "tarnwords.db.bak");
    int32_t fourth = open(dir);
    EXPECT_EQ(engine_.TW_getOption(fourth, "wordtraining_totalham"), "0");
}

TEST_F(EngineCalls, TheWordStoreStaysWithinItsBound) {
    int32_t engine = open(folder_.path().string(), {{"max_word_entries", "1000"}});
    for (int i = 0; i < 60; ++i) {
        std::string body;
        for (int w = 0; w < 100; ++w) body += "w" + std::to_string(i * 100 + w) + " ";
        engine_.TW_addMessage(engine, "Subject: words\r\n", body, i % 2 ? 100 : -100);
    }
    close(engine);
    auto size = fs::file_size(folder_.path() / "tarnwords.db");
    EXPECT_LE(size, 1000u * 20 + 64);
    EXPECT_GE(size, 900u * 20);
}

TEST_F(EngineCalls, KeepsEveryOptionAndAnswersIntoTheCallersBuffer) {
    int32_t engine = open(folder_.path().string());
    int n = 0;
    for (const char* name : {"netcheck", "ruleupdate", "proxy_host", "blocked_country_list", "rbl_list",
                             "auto_training_threshold", "training_write_buffer", "some_future_option"}) {
        std::string value = "value " + std::to_string(++n);
        EXPECT_EQ(engine_.TW_setOption(engine, name, value), 0) << name;
        EXPECT_EQ(engine_.TW_getOption(engine, name), value) << name;
    }
    auto getOption = function<TW_getOption_fn>("TW_getOption");
    char name[] = "wordtraining_totalspam";
    char buffer[4] = {'x', 'x', 'x', 'x'};
    int32_t size = 0;
    EXPECT_NE(getOption(engine, name, buffer, &size), 0);
    EXPECT_EQ(buffer[0], 'x') << "a zero-sized buffer was written to";
    size = 1;
    getOption(engine, name, buffer, &size);
    EXPECT_EQ(buffer[0], '\0');
    char unknown[] = "never_set";
    size = 4;
    EXPECT_NE(getOption(engine, unknown, buffer, &size), 0);
    EXPECT_NE(getOption(engine, name, buffer, nullptr), 0);
    EXPECT_EQ(getOption(9999, name, buffer, &size), -1);
}

TEST_F(EngineCalls, BadInputNeverCrashesIt) {
    int32_t engine = open(folder_.path().string(), {{"min_training", "1"}});
    train(engine, 1, 1);
    std::string binary;
    for (int i = 1; i < 256; ++i) binary.push_back(static_cast<char>(i));
    std::string huge(50 * 1024 * 1024, 'a');
    for (size_t i = 0; i < huge.size(); i += 7) huge[i] = ' ';
    std::vector<Mail> mails = {{"", ""},
                               {binary, binary},
                               {"Content-Type: multipart/mixed; boundary=\r\nContent-Transfer-Encoding: base64\r\n", "--\r\n=?"},
                               {"Subject: huge\r\nContent-Type: text/html\r\n", "<a href=\"" + huge},
                               {"Content-Transfer-Encoding: base64\r\n", huge}};
    for (const auto& mail : mails) {
        int32_t s = score(engine, mail, -1, binary);
        EXPECT_GE(s, 0);
        EXPECT_LE(s, 100);
        EXPECT_EQ(engine_.TW_addMessage(engine, mail.headers, mail.body, 100), 0);
    }
    auto scoreFn = function<TW_score_fn>("TW_score");
    EXPECT_NE(scoreFn(engine, nullptr, nullptr, nullptr, 0, nullptr, nullptr), 0);
    int32_t result = -1;
    EXPECT_EQ(scoreFn(engine, nullptr, nullptr, nullptr, 0, nullptr, &result), 0);
    EXPECT_EQ(scoreFn(-5, nullptr, nullptr, nullptr, 0, nullptr, &result), -1);
    EXPECT_EQ(engine_.TW_destructor(-5), -1);
}

TEST_F(EngineCalls, CorrespondentsAndRecipientFlagsMoveTheScore) {
    int32_t engine = open(folder_.path().string());
    Mail neutral{"From: someone@elsewhere.example\r\nSubject: hello\r\n", "hello"};
    EXPECT_EQ(score(engine, neutral), 50);
    EXPECT_GT(score(engine, neutral, 2), 50);
    EXPECT_LT(score(engine, neutral, 1), 50);
    EXPECT_GT(score(engine, neutral, 2 | 4), score(engine, neutral, 2));

    EXPECT_EQ(engine_.TW_addSpamAddrTo(engine, "Friend@Home.example", 1, true), 0);
    EXPECT_EQ(engine_.TW_addSpamAddrFrom(engine, "seen@list.example", 1, true), 0);
    EXPECT_NE(engine_.TW_addSpamAddrFrom(engine, "not an address", 1, true), 0);
    int32_t from = -1;
    EXPECT_EQ(engine_.TW_getSpamAddrFrom(engine, "SEEN@list.example", from), 0);
    EXPECT_EQ(from, 1);
    EXPECT_EQ(engine_.TW_getSpamAddrFrom(engine, "friend@home.example", from), 0);
    EXPECT_EQ(from, 0) << "written-to addresses are not from-addresses";
    EXPECT_LT(score(engine, neutral, 0, "friend@home.example"), score(engine, neutral, 0, "seen@list.example"));
    EXPECT_LT(score(engine, neutral, 0, "seen@list.example"), 50);
    close(engine);

    int32_t again = open(folder_.path().string());
    EXPECT_EQ(engine_.TW_getSpamAddrFrom(again, "seen@list.example", from), 0);
    EXPECT_EQ(from, 1) << "the address store did not persist";

    fs::path old = folder_.path() / "old-addresses.txt";
    std::ofstream(old) << "from old@friend.example\nto pal@friend.example\n";
    EXPECT_EQ(engine_.TW_readOldAddrSettings(again, old.string()), 2);
    EXPECT_EQ(engine_.TW_getSpamAddrFrom(again, "old@friend.example", from), 0);
    EXPECT_EQ(from, 1);
    EXPECT_LT(engine_.TW_readOldAddrSettings(again, (folder_.path() / "missing.txt").string()), 0);
}

TEST_F(EngineCalls, DescribesCharsetsAndCountriesOfAMessage) {
    int32_t engine = open(folder_.path().string());
    std::string headers =
        "Received: from relay.example.co.uk (relay.example.co.uk [10.1.1.1]) by mx.example.nl (192.168.0.2)\r\n"
        "Subject: =?ISO-8859-2?Q?Dobr=FD?=\r\nContent-Type: text/plain; charset=KOI8-R\r\n";
    int32_t message = engine_.TW_getMessage(engine, headers, "text");
    ASSERT_GT(message, 0);
    std::string text;
    EXPECT_EQ(engine_.TW_getMessageInfo(message, "charsets", text), 0);
    EXPECT_EQ(text, "iso-8859-2,koi8-r");
    EXPECT_EQ(engine_.TW_getMessageInfo(message, "countries", text), 0);
    EXPECT_EQ(text, "gb,nl");

    auto info = function<TW_getMessageInfo_fn>("TW_getMessageInfo");
    char name[] = "charsets";
    char buffer[16];
    int32_t size = 12;  // room for "iso-8859-2" only
    EXPECT_NE(info(message, name, buffer, &size), 0);
    EXPECT_STREQ(buffer, "iso-8859-2");
    EXPECT_EQ(size, 11);
    char other[] = "languages";
    size = 16;
    EXPECT_NE(info(message, other, buffer, &size), 0);

    EXPECT_EQ(engine_.TW_delMessage(message), 0);
    EXPECT_NE(engine_.TW_delMessage(message), 0);
    EXPECT_NE(engine_.TW_getMessageInfo(message, "charsets", text), 0);
}

TEST_F(EngineCalls, BouncesAndReportsLandInTheOutbox) {
    int32_t engine = open(folder_.path().string());
    EXPECT_EQ(engine_.TW_bounce(engine, "spammer@bad.example", "From: spammer@bad.example\r\nTo: me@home.example\r\n"), 0);
    EXPECT_NE(engine_.TW_bounce(engine, "", "From: x@y.example\r\n"), 0);
    EXPECT_EQ(engine_.TW_addReportSender(engine, 0, "spammer@bad.example", "Subject: buy\r\n", "cheap"), 0);
    EXPECT_EQ(engine_.TW_addReportSender(engine, 1, "friend@good.example", "Subject: hi\r\n", "hello"), 0);
    EXPECT_EQ(engine_.TW_reportSenders(engine), 2);
    EXPECT_EQ(engine_.TW_reportSenders(engine), 0);

    int bounces = 0, batches = 0;
    for (const auto& entry : fs::directory_iterator(folder_.path() / "outbox")) {
        bounces += entry.path().extension() == ".eml";
        batches += entry.path().extension() == ".batch";
    }
    EXPECT_EQ(bounces, 1);
    EXPECT_EQ(batches, 1);
}

}  // namespace
}  // namespace tw::test
