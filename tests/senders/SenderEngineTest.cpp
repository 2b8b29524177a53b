// What the lists hand to the engine: sender reports, bounces and the address store, and how a
// missing engine is survived. Also the lists' place in the add-in's start-up and teardown.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Text.h"
#include "senders/SendersFixture.h"
#include "support/TestPaths.h"

namespace tw::test {
namespace {

using senders::kBlockedFile;
using Calls = std::vector<std::string>;

std::string message(const std::string& from) {
    return "From: " + from + "\r\nTo: Demo User <demo@example.invalid>\r\nSubject: offer\r\n"
           "Message-ID: <" + std::to_string(from.size()) + "@x>\r\n\r\nBuy now.\r\n";
}

class SenderEngine : public SendersFixture {
protected:
    senders::Senders::Items deliver(const std::vector<std::string>& froms) {
        senders::Senders::Items items;
        for (const auto& from : froms) items.push_back(h.client.deliverMessage(message(from)));
        return items;
    }
};

TEST_F(SenderEngine, BlockingWithMessagesReportsEachNewSenderOnceAndBouncesWhenAsked) {
    h.library.settings.bounceSpam = true;
    open();
    senders->AddMeTo({"me@home.example"});
    auto items = deliver({"Spammer <spam@bad.example>", "Known <known@bad.example>", "Me <ME@Home.example>"});
    editOutside(kBlockedFile, "known@bad.example");
    recording.reset();

    bool removed = false;
    int32_t added = senders->AddBlockedSenders({"spam@bad.example", "known@bad.example", "me@home.example"},
                                                removed, true, items);
    EXPECT_EQ(added, 2);
    Calls calls = recording.calls();
    ASSERT_EQ(calls.size(), 4u) << testing::PrintToString(calls);
    EXPECT_EQ(calls[0].rfind("TW_addReportSender(7,0,spam@bad.example,", 0), 0u);
    EXPECT_EQ(calls[1].rfind("TW_addReportSender(7,0,me@home.example,", 0), 0u);
    EXPECT_EQ(calls[2], "TW_reportSenders(7)");
    // The user's own address is never bounced to, whatever case the message spells it in.
    EXPECT_EQ(calls[3].rfind("TW_bounce(7,spam@bad.example,", 0), 0u);
    // The report carries the message: its headers and body are not empty.
    EXPECT_FALSE(text::endsWith(calls[0], ",0)")) << calls[0];
    EXPECT_NE(calls[0].find(",spam@bad.example,"), std::string::npos);
    EXPECT_FALSE(h.logHas("Error #"));
}

TEST_F(SenderEngine, ApprovingReportsWithItsOwnActionAndNeverBounces) {
    h.library.settings.bounceSpam = true;
    open();
    auto items = deliver({"friend@good.example"});
    recording.reset();
    bool removed = false;
    EXPECT_EQ(senders->AddApprovedSenders({"friend@good.example"}, removed, true, items), 1);
    Calls calls = recording.calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].rfind("TW_addReportSender(7,1,friend@good.example,", 0), 0u);
    EXPECT_EQ(calls[1], "TW_reportSenders(7)");
}

TEST_F(SenderEngine, NothingGoesToTheEngineWithoutMessagesWhenDisabledOrWhenNothingWasAdded) {
    h.library.settings.bounceSpam = true;
    open();
    auto items = deliver({"a@bad.example", "b@bad.example"});
    bool removed = false;
    recording.reset();
    senders->AddBlockedSenders({"a@bad.example"}, removed, false, {});
    EXPECT_TRUE(recording.calls().empty());

    senders->AddBlockedSenders({"a@bad.example"}, removed, true, {items[0]});
    EXPECT_TRUE(recording.calls().empty());

    h.library.settings.nospamengine = 1;
    EXPECT_EQ(senders->AddBlockedSenders({"b@bad.example"}, removed, true, {items[1]}), 1);
    EXPECT_TRUE(recording.calls().empty());
    EXPECT_EQ(file(kBlockedFile), "a@bad.example\r\nb@bad.example");

    h.library.settings.nospamengine = 0;
    h.library.settings.bounceSpam = false;
    senders->bounceMessage(items[0]);
    EXPECT_TRUE(recording.calls().empty());
}

TEST_F(SenderEngine, AMissingEngineNeverKeepsTheUsersChoiceOutOfTheListFile) {
    h.library.settings.bounceSpam = true;
    engineHandle = 0;
    open();
    auto items = deliver({"a@bad.example", "b@bad.example"});
    bool removed = false;
    EXPECT_EQ(senders->AddBlockedSenders({"a@bad.example", "b@bad.example"}, removed, true, items), 2);
    EXPECT_EQ(file(kBlockedFile), "a@bad.example\r\nb@bad.example");
    EXPECT_EQ(h.logCount("AddBlockedSenders : Error # 91"), 1);
    EXPECT_FALSE(h.logHas("bounceMessage : Error"));

    // Without the library at all the same holds.
    sim::SimLibraryLoader nowhere({"/nonexistent"});
    engineapi::EngineLibrary missing(nowhere);
    senders::Senders lists(senders::SendersContext{h.files, h.loop, h.library.ensureLog(), h.library.settings,
                                                   settings::SettingsKey(h.registry), kFolder, nullptr, &content,
                                                   engineapi::Bounce(missing, [] { return 7; })});
    EXPECT_EQ(lists.AddApprovedSenders({"c@good.example"}, removed, true, {items[0]}), 1);
    EXPECT_EQ(file(senders::kApprovedFile), "c@good.example");
    EXPECT_TRUE(h.logHas("AddApprovedSenders : Error #"));
}

TEST_F(SenderEngine, CorrespondentsGoToTheAddressStore) {
    open();
    KeyedSet addresses;
    for (const char* a : {"one@x.example", "", "two@x.example"}) addresses.insert(a);
    recording.reset();
    senders->AddPreviousTo(addresses);
    EXPECT_EQ(recording.calls(), (Calls{"TW_addSpamAddrTo(7,one@x.example,1,-1)", "TW_addSpamAddrTo(7,two@x.example,1,-1)"}));

    recording.reset();
    EXPECT_EQ(senders->AddPreviousFrom(addresses), 2);
    EXPECT_EQ(recording.calls(), (Calls{"TW_getSpamAddrFrom(7,one@x.example)", "TW_addSpamAddrFrom(7,one@x.example,1,-1)",
                                        "TW_getSpamAddrFrom(7,two@x.example)", "TW_addSpamAddrFrom(7,two@x.example,1,-1)"}));
    EXPECT_FALSE(senders->ispf("one@x.example"));

    engineHandle = 0;
    senders->AddPreviousTo(addresses);
    EXPECT_EQ(senders->AddPreviousFrom(addresses), 0);
    EXPECT_FALSE(senders->ispf("one@x.example"));
    for (const char* procedure : {"AddPreviousTo", "AddPreviousFrom", "ispf"}) EXPECT_TRUE(loggedError(procedure));
}

TEST_F(SenderEngine, TheAddressStoreOfTheRealEngineRemembersFromAddresses) {
    sim::SimLibraryLoader loader({engineDir()});
    engineapi::EngineLibrary real(loader);
    std::string folder = (h.temp.path() / "engine").string();
    std::filesystem::create_directories(folder);
    int32_t handle = real.TW_constructor("Outlook", folder);
    real.TW_setOption(handle, "offsetdir", folder);
    ASSERT_EQ(real.TW_initialize(handle), 0);

    senders::Senders lists(senders::SendersContext{h.files, h.loop, h.library.ensureLog(), h.library.settings,
                                                   settings::SettingsKey(h.registry), kFolder, nullptr, &content,
                                                   engineapi::Bounce(real, [handle] { return handle; })});
    KeyedSet addresses;
    addresses.insert("pal@friends.example");
    EXPECT_FALSE(lists.ispf("pal@friends.example"));
    EXPECT_EQ(lists.AddPreviousFrom(addresses), 1);
    EXPECT_TRUE(lists.ispf("pal@friends.example"));
    EXPECT_EQ(lists.AddPreviousFrom(addresses), 0);
    real.TW_destructor(handle);
}

TEST_F(SenderEngine, TheEngineLayerRefusesToCallWithoutAnEngine) {
    engineapi::Bounce layer(engine, [this] { return engineHandle; });
    recording.reset();
    layer.migrateSpamAddrSettings("C:\\old\\addresses.dat");
    EXPECT_EQ(recording.calls(), (Calls{"TW_readOldAddrSettings(7,C:\\old\\addresses.dat)"}));

    engineHandle = 0;
    recording.reset();
    EXPECT_THROW(layer.reportSenders(), Error);
    EXPECT_THROW(layer.bounceMessage("to@x.example", ""), Error);
    EXPECT_TRUE(recording.calls().empty());
}

TEST(SendersInTheAddin, AreMadeAtStartUpFromTheDataFolderAndReleasedAtTeardown) {
    AddinHarness h;
    settings::SettingsKey(h.registry).writeFlag(true, "exclusive");
    h.client.openExplorer();
    h.connectAddin();
    ASSERT_NE(h.addin().senders(), nullptr);
    EXPECT_TRUE(h.addin().senders()->exclusive());
    const std::string folder = h.addin().dataFolder();
    for (const char* name : {senders::kBlockedFile, senders::kApprovedFile, senders::kIgnoredFile})
        EXPECT_TRUE(h.files.fileExists(folder + "\\" + name)) << name;

    bool removed = false;
    h.addin().senders()->AddBlockedSenders({"x@bad.example"}, removed, false, {});
    EXPECT_EQ(h.files.readAll(folder + "\\" + senders::kBlockedFile), "x@bad.example");

    h.addin().UnInitHandler();
    EXPECT_EQ(h.addin().senders(), nullptr);
    EXPECT_EQ(h.files.readAll(folder + "\\" + senders::kBlockedFile), "x@bad.example");
    EXPECT_FALSE(h.logHas("Error #"));
}

}  // namespace
}  // namespace tw::test
