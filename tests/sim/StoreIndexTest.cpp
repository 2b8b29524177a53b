// The mail store's index read from damaged files: what cannot be a record is skipped, and what is
// kept stays consistent.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "sim/StoreIndex.h"
#include "support/TempFolder.h"

namespace tw::test {
namespace {

struct LoadedIndex {
    TempFolder folder;
    std::vector<std::string> log;
    sim::StoreIndex index{folder.path(), [this](const std::string& line) { log.push_back(line); }};

    explicit LoadedIndex(const std::string& contents) {
        std::ofstream(index.indexFile(), std::ios::binary) << contents;
        index.load();
    }
};

TEST(StoreIndex, TwoItemsWithOneKeyLeaveTheKeyWithTheOtherWhenOneMoves) {
    LoadedIndex f("item\tA\tk1\t43\t46000\t0\n"
                  "item\tB\tk1\t43\t46000\t0\n"
                  "item\tA\tk2\t43\t46000\t0\n");
    ASSERT_NE(f.index.findByKey("k1"), nullptr);
    EXPECT_EQ(f.index.findByKey("k1")->entryId, "B");
    EXPECT_EQ(f.index.findByKey("k2")->entryId, "A");
    // Dropping A leaves B's key alone.
    f.index.dropItem("A");
    ASSERT_NE(f.index.findByKey("k1"), nullptr);
    EXPECT_EQ(f.index.findByKey("k1")->entryId, "B");
}

TEST(StoreIndex, NumbersThatAreNoDateOrCountAreSkipped) {
    LoadedIndex f("next\t7\n"
                  "next\t-1\n"
                  "item\tNaN\tk1\t43\tnan\t0\n"
                  "item\tInf\tk2\t43\tinf\t0\n"
                  "item\tOk\tk3\t43\t46000.5\t0\tscore\t3\tn:nan\n");
    EXPECT_EQ(f.index.nextId(), 7u);
    EXPECT_EQ(f.index.findById("NaN"), nullptr);
    EXPECT_EQ(f.index.findById("Inf"), nullptr);
    ASSERT_NE(f.index.findById("Ok"), nullptr);
    EXPECT_EQ(f.index.findById("Ok")->created.serial(), 46000.5);
    ASSERT_EQ(f.index.findById("Ok")->properties.size(), 1u);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(f.index.findById("Ok")->properties[0].value));
    EXPECT_EQ(f.log.size(), 3u);
}

}  // namespace
}  // namespace tw::test
