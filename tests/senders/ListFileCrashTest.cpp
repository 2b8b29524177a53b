// Every list file a change writes holds its old or its new entries after the change is stopped at any
// write, as by a crash, and the next run reads the lists and writes them again over what was left.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>

#include "senders/SendersFixture.h"
#include "support/CrashPoints.h"

namespace tw::test {
namespace {

using namespace senders;

struct ListChange {
    const char* name;
    std::function<void(Senders&)> change;
    int filesWritten;
};

class ListFileCrash : public SendersFixture, public ::testing::WithParamInterface<ListChange> {
protected:
    const std::map<std::string, std::string> before = {
        {kBlockedFile, "old-blocked@x.example"},
        {kApprovedFile, "moving@x.example\r\nold-approved@x.example"},
        {kAdultFile, "adult.example"},
        {kMyAddressesFile, "me@x.example"},
        {kMailingListsFile, "list@x.example"},
        {kIgnoredFile, "ignored@x.example"},
    };

    void startFromTheOldFiles() {
        for (const auto& [name, bytes] : before) editOutside(name, bytes);
        open();
    }
    std::map<std::string, std::string> files() {
        std::map<std::string, std::string> now;
        for (const auto& [name, bytes] : before) now[name] = file(name);
        return now;
    }
};

TEST_P(ListFileCrash, EachFileIsOldOrNewAfterAStopAtEveryWrite) {
    const ListChange& change = GetParam();
    startFromTheOldFiles();
    change.change(*senders);
    const auto after = files();
    ASSERT_NE(after, before);

    for (const char* stage : {"replaceContents.write", "replaceContents.rename"}) {
        int stops = forEveryCrashPoint([&](int k) {
            startFromTheOldFiles();
            h.files.failNth(stage, k);
            change.change(*senders);
            const bool stopped = !h.files.failurePending();
            h.files.clearFailures();
            for (const auto& [name, bytes] : files())
                EXPECT_TRUE(bytes == before.at(name) || bytes == after.at(name))
                    << name << " is neither old nor new after " << stage << " stop " << k;

            // The next run: the lists load from what the stop left, and the change completes.
            open();
            EXPECT_FALSE(loggedError("SenderInitialize")) << stage << " stop " << k;
            change.change(*senders);
            EXPECT_EQ(files(), after) << stage << " stop " << k;
            return stopped;
        });
        EXPECT_EQ(stops, change.filesWritten) << stage;
    }
}

const ListChange kChanges[] = {
    {"Blocked", [](Senders& s) { bool moved = false; s.AddBlockedSenders({"moving@x.example", "new@x.example"}, moved, false, {}); }, 2},
    {"Approved", [](Senders& s) { bool moved = false; s.AddApprovedSenders({"old-blocked@x.example"}, moved, false, {}); }, 2},
    {"Ignored", [](Senders& s) { s.AddIgnoredSenders({"new@x.example"}); }, 1},
    {"MyAddresses", [](Senders& s) { s.AddMeTo({"me2@x.example"}); }, 1},
    {"MailingLists", [](Senders& s) { s.AddMailingList({"list2@x.example"}); }, 1},
    {"RemovedFromApproved", [](Senders& s) { s.DeleteApprovedSenders({"moving@x.example"}); }, 1},
};

std::string changeName(const ::testing::TestParamInfo<ListChange>& param) { return param.param.name; }
INSTANTIATE_TEST_SUITE_P(EveryWrittenList, ListFileCrash, ::testing::ValuesIn(kChanges), changeName);

}  // namespace
}  // namespace tw::test
