// Text helpers, the keyed string set and events.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "core/Error.h"
#include "core/Event.h"
#include "core/KeyedSet.h"
#include "core/Text.h"

namespace tw {
namespace {

TEST(Text, SplitJoinAndPlaceholders) {
    EXPECT_EQ(text::split("a,b,,c", ","), (std::vector<std::string>{"a", "b", "", "c"}));
    EXPECT_EQ(text::split("", ","), std::vector<std::string>{""});
    EXPECT_EQ(text::join({"x", "y"}, ","), "x,y");
    EXPECT_EQ(text::fillPlaceholder("Messages Caught: %1 of %1", "7"), "Messages Caught: 7 of %1");
    EXPECT_EQ(text::fillPlaceholder("no placeholder", "7"), "no placeholder");
    EXPECT_EQ(text::trim(" \t x y \t"), "x y");
    EXPECT_EQ(text::afterLastBackslash("\\Personal Folders\\Tarnwick"), "Tarnwick");
    EXPECT_TRUE(text::iequals("HostWatch.EXE", "hostwatch.exe"));
    EXPECT_EQ(text::formatDouble(90), "90");
    EXPECT_EQ(text::formatDouble(0.5), "0.5");
    EXPECT_EQ(text::formatDouble(-1), "-1");
}

TEST(KeyedSet, KeepsInsertionOrderAndRaisesLikeTheDictionary) {
    KeyedSet set;
    set.Add("b@x.example");
    set.Add("a@x.example");
    EXPECT_TRUE(set.insert("c@x.example"));
    EXPECT_FALSE(set.insert("a@x.example"));
    EXPECT_EQ(set.Keys(), (std::vector<std::string>{"b@x.example", "a@x.example", "c@x.example"}));
    EXPECT_FALSE(set.Exists("A@x.example"));  // exact comparison: callers lower-case first

    try {
        set.Add("a@x.example");
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), 457);
    }
    set.Remove("b@x.example");
    EXPECT_THROW(set.Remove("b@x.example"), Error);
    EXPECT_EQ(set.Count(), 2u);
    set.RemoveAll();
    EXPECT_EQ(set.Count(), 0u);
}

TEST(KeyedSet, CopiesAreIndependentOfTheirSource) {
    KeyedSet original;
    for (const char* key : {"a", "b", "c"}) original.Add(key);
    KeyedSet copy(original);
    KeyedSet assigned;
    assigned.Add("z");
    assigned = original;
    {
        KeyedSet temporary(original);
        copy = temporary;  // the temporary's list dies here; the copy must not point into it
    }
    EXPECT_TRUE(copy.erase("b"));
    EXPECT_TRUE(assigned.erase("a"));
    EXPECT_TRUE(original.erase("c"));
    EXPECT_EQ(copy.Keys(), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(assigned.Keys(), (std::vector<std::string>{"b", "c"}));
    EXPECT_EQ(original.Keys(), (std::vector<std::string>{"a", "b"}));
    KeyedSet moved(std::move(copy));
    EXPECT_TRUE(moved.erase("a"));
    EXPECT_EQ(moved.Keys(), std::vector<std::string>{"c"});
}

// The index views each key where the set stores it: erasing by the stored key itself, moving the
// set and growing it past its reserved size must leave every lookup right (short and long keys).
TEST(KeyedSet, LookupsStayRightThroughErasesMovesAndGrowth) {
    KeyedSet set;
    set.reserve(4);
    std::vector<std::string> keys;
    for (int i = 0; i < 200; ++i)
        keys.push_back(i % 2 ? "k" + std::to_string(i) : "long-sender-" + std::to_string(i) + "@list.example.com");
    for (const auto& key : keys) EXPECT_TRUE(set.insert(std::string(key)));
    EXPECT_FALSE(set.insert(std::string(keys[7])));
    EXPECT_TRUE(set.erase(*set.begin()));
    EXPECT_FALSE(set.Exists(keys[0]));
    KeyedSet moved;
    moved.Add("old");
    moved = std::move(set);
    for (size_t i = 1; i < keys.size(); ++i) ASSERT_TRUE(moved.Exists(keys[i])) << keys[i];
    EXPECT_FALSE(moved.Exists("old"));
    for (size_t i = 1; i < keys.size(); i += 2) EXPECT_TRUE(moved.erase(keys[i]));
    EXPECT_TRUE(moved.insert(keys[0]));
    EXPECT_EQ(moved.Count(), 100u);
    EXPECT_EQ(moved.Keys().front(), keys[2]);
    EXPECT_EQ(moved.Keys().back(), keys[0]);
    for (size_t i = 2; i < keys.size(); i += 2) EXPECT_TRUE(moved.Exists(keys[i]));
}

// Removal shifts later entries of a probe run back and the set compacts once removed places
// outnumber the kept ones: against a plain ordered list, lookups, order and count stay right
// through thousands of mixed inserts and removals over a small key space (long probe runs).
TEST(KeyedSet, AgreesWithAPlainListThroughRandomInsertsAndRemovals) {
    KeyedSet set;
    std::vector<std::string> model;
    std::mt19937 random(7);
    for (int step = 0; step < 20000; ++step) {
        const std::string key = "sender" + std::to_string(random() % 300) + (step % 3 ? "@long-domain.example.org" : "");
        const auto at = std::find(model.begin(), model.end(), key);
        if (random() % 5 < 3) {
            ASSERT_EQ(set.insert(key), at == model.end()) << key;
            if (at == model.end()) model.push_back(key);
        } else {
            ASSERT_EQ(set.erase(key), at != model.end()) << key;
            if (at != model.end()) model.erase(at);
        }
        if (step % 997 == 0) {
            ASSERT_EQ(set.Keys(), model);
        }
    }
    EXPECT_EQ(set.Count(), model.size());
    EXPECT_EQ(set.Keys(), model);
    for (const auto& key : model) EXPECT_TRUE(set.Exists(key));
    while (!model.empty()) {
        EXPECT_TRUE(set.erase(model.back()));
        model.pop_back();
    }
    EXPECT_TRUE(set.begin() == set.end());
}

TEST(Event, HandlersMayDisconnectThemselvesAndOthersWhileRaised) {
    Event<int> event;
    std::vector<std::string> seen;
    Subscription second;
    Subscription first = event.connect([&](int v) {
        seen.push_back("first " + std::to_string(v));
        second.reset();
        first.reset();
    });
    second = event.connect([&](int v) { seen.push_back("second " + std::to_string(v)); });
    event.raise(1);
    event.raise(2);
    EXPECT_EQ(seen, std::vector<std::string>{"first 1"});

    // A subscription that outlives its event disconnects quietly.
    auto shortLived = std::make_unique<Event<>>();
    Subscription orphan = shortLived->connect([] {});
    shortLived.reset();
    orphan.reset();
}

}  // namespace
}  // namespace tw
