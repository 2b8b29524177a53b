// The engine library as the add-in binds it on Windows: loaded by file name, functions by plain name.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <string>

#include "engineapi/EngineLibrary.h"
#include "engineapi/tarnengine_api.h"
#include "support/DnsTestServer.h"
#include "wine/ProgramFolder.h"
#include "win32/Win32LibraryLoader.h"

namespace tw::winetest {
namespace {

constexpr bool kThirtyTwoBit = sizeof(void*) == 4;

TEST(EngineLibraryWineTest, EveryFunctionIsFoundByItsPlainNameAndAnEngineLivesAndDies) {
    win32::Win32LibraryLoader loader;
    void* library = loader.load(ProgramFolder::beside("tarnengine.dll"));
    for (const char* name : {"TW_constructor", "TW_setOption", "TW_initialize", "TW_getOption", "TW_score",
                             "TW_addMessage", "TW_getMessage", "TW_getMessageInfo", "TW_delMessage", "TW_bounce",
                             "TW_addReportSender", "TW_reportSenders", "TW_addSpamAddrTo", "TW_addSpamAddrFrom", "TW_getSpamAddrFrom",
                             "TW_readOldAddrSettings", "TW_destructor"}) {
        EXPECT_NE(loader.resolve(library, name), nullptr) << name;
    }

    auto construct = reinterpret_cast<TW_constructor_fn>(loader.resolve(library, "TW_constructor"));
    auto destroy = reinterpret_cast<TW_destructor_fn>(loader.resolve(library, "TW_destructor"));
    std::string client = "Tarnwick";
    std::string folder = ProgramFolder::beside("");
    const int32_t engine = construct(client.data(), folder.data());
    ASSERT_GT(engine, 0);
    EXPECT_EQ(destroy(engine), 0);
}

TEST(EngineLibraryWineTest, StandardCallNamesCarryNoDecoration) {
    if (!kThirtyTwoBit) GTEST_SKIP() << "64-bit Windows has one calling convention and never decorates names";
    HMODULE library = LoadLibraryW(L"tarnengine.dll");
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(GetProcAddress(library, "TW_score@28"), nullptr);
    EXPECT_EQ(GetProcAddress(library, "_TW_score@28"), nullptr);
    EXPECT_NE(GetProcAddress(library, "TW_score"), nullptr);
}

/// The engine library as the add-in binds it, over a data folder of the running test's own.
class EngineInFolder {
public:
    EngineInFolder() : folder_("tarnengine.dll"), engine_(loader_, folder_.at("tarnengine.dll")) {}

    int32_t open() {
        const int32_t engine = engine_.TW_constructor("Tarnwick", folder_.path());
        EXPECT_GT(engine, 0);
        engine_.TW_setOption(engine, "offsetdir", folder_.path());
        EXPECT_EQ(engine_.TW_initialize(engine), 0);
        return engine;
    }
    void close(int32_t engine) { EXPECT_EQ(engine_.TW_destructor(engine), 0); }
    engineapi::EngineLibrary& library() { return engine_; }
    void learn(int32_t engine, const std::string& address) { EXPECT_EQ(engine_.TW_addSpamAddrFrom(engine, address, 1, true), 0); }
    int32_t timesSeen(int32_t engine, const std::string& address) {
        int32_t seen = -1;
        EXPECT_EQ(engine_.TW_getSpamAddrFrom(engine, address, seen), 0);
        return seen;
    }

    ProgramFolder folder_;

private:
    win32::Win32LibraryLoader loader_;
    engineapi::EngineLibrary engine_;
};

TEST(EngineLibraryWineTest, EachSaveReplacesTheStoreBeforeAndLeavesNoTemporaryFile) {
    EngineInFolder engines;
    int32_t engine = engines.open();
    engines.learn(engine, "first@friend.example");
    engines.close(engine);

    // The second save renames its new copy over the file the first one left.
    engine = engines.open();
    EXPECT_EQ(engines.timesSeen(engine, "first@friend.example"), 1);
    engines.learn(engine, "second@friend.example");
    engines.close(engine);

    engine = engines.open();
    EXPECT_EQ(engines.timesSeen(engine, "first@friend.example"), 1);
    EXPECT_EQ(engines.timesSeen(engine, "second@friend.example"), 1) << "the second save did not replace the first";
    engines.close(engine);
    for (const std::string& name : engines.folder_.files.listFiles(engines.folder_.path()))
        EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
}

TEST(EngineLibraryWineTest, ADamagedStoreWithoutBackupIsMovedAsideAndNotSavedOver) {
    EngineInFolder engines;
    const std::string store = engines.folder_.at("tarnaddresses.db");
    engines.folder_.files.replaceContents(store, "not a store");
    int32_t engine = engines.open();
    engines.learn(engine, "new@friend.example");
    engines.close(engine);

    std::string keptAside;
    for (const std::string& name : engines.folder_.files.listFiles(engines.folder_.path()))
        if (name.rfind("tarnaddresses.db.damaged-", 0) == 0) keptAside = name;
    ASSERT_FALSE(keptAside.empty()) << "the damaged store was not kept aside";
    EXPECT_EQ(engines.folder_.files.readAll(engines.folder_.at(keptAside)), "not a store");
}

TEST(EngineLibraryWineTest, TheSendersRelayDecidesByTheBlockedAndApprovedAddressLists) {
    EngineInFolder engines;
    const int32_t engine = engines.open();
    auto& library = engines.library();
    EXPECT_EQ(library.TW_setOption(engine, "blocked_ip_list", "203.0.113.0/24,not-an-address"), 0);
    EXPECT_EQ(library.TW_setOption(engine, "approved_ip_list", "203.0.113.7"), 0);
    EXPECT_EQ(library.getLongOption(engine, TW_IP_LIST_ERRORS_OPTION), "blocked_ip_list\tnot-an-address\n");
    auto scoreFrom = [&](const std::string& relay) {
        const std::string headers = "Received: from mx.sender.example (mx.sender.example [" + relay +
                                    "])\r\n\tby mail.home.example with ESMTP\r\nFrom: a@sender.example\r\n"
                                    "Subject: Lunch\r\n";
        int32_t score = -1;
        EXPECT_EQ(library.TW_score(engine, headers, "Lunch on Friday?", "a@sender.example", 0, "A", score), 0);
        return score;
    };
    EXPECT_EQ(scoreFrom("203.0.113.9"), 100);
    EXPECT_EQ(scoreFrom("203.0.113.7"), 0);
    EXPECT_NE(scoreFrom("192.0.2.44"), 100);
    engines.close(engine);
}

TEST(EngineLibraryWineTest, ABlockListedRelayRaisesTheScoreAndASilentListEndsAtTheDeadline) {
    test::DnsTestServer server;
    server.addZone("bl.test");
    server.addZone("quiet.test", test::DnsTestServer::Zone::silent);
    server.list("bl.test", "203.0.113.9");
    EngineInFolder engines;
    const int32_t engine = engines.open();
    auto& library = engines.library();
    for (const auto& [name, value] : {std::pair<const char*, std::string>{"enable_rbl_check", "yes"},
                                      {"rbl_list", "bl.test"}, {"rbl_timeout", "1"}, {"dns_servers", server.address()}})
        EXPECT_EQ(library.TW_setOption(engine, name, value), 0);
    auto scoreFrom = [&](const std::string& relay, std::chrono::steady_clock::duration& took) {
        const std::string headers = "Received: from mx.sender.example (mx.sender.example [" + relay +
                                    "])\r\n\tby mail.home.example with ESMTP\r\nFrom: a@sender.example\r\nSubject: Lunch\r\n";
        int32_t score = -1;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(library.TW_score(engine, headers, "Lunch on Friday?", "a@sender.example", 0, "A", score), 0);
        took = std::chrono::steady_clock::now() - start;
        return score;
    };
    std::chrono::steady_clock::duration took{};
    EXPECT_GE(scoreFrom("203.0.113.9", took), 90);
    EXPECT_EQ(scoreFrom("198.51.100.20", took), 50);
    EXPECT_EQ(server.questions(), (std::vector<std::string>{"9.113.0.203.bl.test", "20.100.51.198.bl.test"}));

    EXPECT_EQ(library.TW_setOption(engine, "rbl_list", "quiet.test"), 0);
    EXPECT_EQ(scoreFrom("203.0.113.10", took), 50);
    EXPECT_GE(took, std::chrono::milliseconds(900));
    EXPECT_LT(took, std::chrono::milliseconds(1600)) << "the score waited past its deadline";
    EXPECT_EQ(scoreFrom("203.0.113.11", took), 50);
    EXPECT_LT(took, std::chrono::milliseconds(300)) << "the silent list was asked again at once";
    engines.close(engine);
}

TEST(EngineLibraryWineTest, TheShippedRulesBesideTheLibraryAreReadAndScoreAnUntrainedEngine) {
    EngineInFolder engines;
    for (const char* name : {"tw1.bin", "tw2.bin", "tw5.bin"})
        engines.folder_.files.copyFile(ProgramFolder::beside(name), engines.folder_.at(name));
    const int32_t engine = engines.open();
    auto& library = engines.library();
    const std::string status = library.getLongOption(engine, "rules_status");
    for (const char* name : {"tw1\t", "tw2\t", "tw5\t"})
        EXPECT_NE(status.find(std::string(name) + "20"), std::string::npos) << status;
    EXPECT_EQ(status.find("missing"), std::string::npos) << status;

    library.TW_setOption(engine, "enable_rules", "no");
    int32_t score = -1;
    const std::string headers = "From: a@sender.example\r\nSubject: Lunch\r\n";
    EXPECT_EQ(library.TW_score(engine, headers, "Lunch on Friday?", "a@sender.example", 0, "A", score), 0);
    EXPECT_EQ(score, 50);
    EXPECT_EQ(library.getLongOption(engine, "rules_status"), "");
    engines.close(engine);
}

}  // namespace
}  // namespace tw::winetest
