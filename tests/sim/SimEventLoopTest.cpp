// Virtual time: timers fire at their due times, late and re-entrant ticks stay sane, queued events wait their turn.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "core/Error.h"
#include "sim/SimEventLoop.h"

namespace tw::sim {
namespace {

const OleDate kStart = OleDate::fromCivil({2026, 12, 8, 16, 5, 0});

TEST(SimEventLoop, TimeMovesOnlyWhenAdvanced) {
    SimEventLoop loop(kStart);
    loop.doEvents();
    EXPECT_EQ(loop.now(), kStart);
    loop.advance(90'000);
    loop.advance(-5);
    loop.advance(86'400'000);
    EXPECT_EQ(loop.now().toIsoText(), "2026-12-09 16:06:30");
}

TEST(SimEventLoop, TimersFireAtTheirDueTimesInOrderHoweverTimeIsAdvanced) {
    SimEventLoop loop(kStart);
    std::vector<std::pair<char, int64_t>> fired;
    loop.setTimer(300, [&] { fired.emplace_back('a', loop.elapsedMs()); });
    loop.setTimer(200, [&] { fired.emplace_back('b', loop.elapsedMs()); });
    loop.advance(650);
    EXPECT_EQ(fired, (std::vector<std::pair<char, int64_t>>{{'b', 200}, {'a', 300}, {'b', 400}, {'a', 600}, {'b', 600}}));

    SimEventLoop stepped(kStart);
    int ticks = 0;
    stepped.setTimer(1000, [&] { ++ticks; });
    for (int i = 0; i < 100; ++i) stepped.advance(99);
    stepped.advance(100);
    EXPECT_EQ(ticks, 10);
    stepped.setTimer(0, [&] { ++ticks; });
    stepped.advance(100);
    EXPECT_EQ(ticks, 20) << "a zero interval counts as 10 ms";
}

TEST(SimEventLoop, TimersCanBeKilledAndSetFromTheirOwnTicks) {
    SimEventLoop loop(kStart);
    int first = 0, second = 0;
    platform::TimerId id = 0;
    id = loop.setTimer(100, [&] {
        if (++first == 3) {
            loop.killTimer(id);
            loop.setTimer(50, [&] { ++second; });
        }
    });
    loop.advance(1000);
    EXPECT_EQ(first, 3);
    EXPECT_EQ(second, 14);
    EXPECT_EQ(loop.timerCount(), 1u);
}

TEST(SimEventLoop, ATickThatTakesTimeIsNotReenteredAndItsMissedTicksCollapseIntoOne) {
    SimEventLoop loop(kStart);
    std::vector<int64_t> slow, other;
    int depth = 0, deepest = 0;
    loop.setTimer(100, [&] {
        deepest = std::max(deepest, ++depth);
        slow.push_back(loop.elapsedMs());
        if (slow.size() == 1) loop.advance(350);
        --depth;
    });
    loop.setTimer(120, [&] { other.push_back(loop.elapsedMs()); });
    loop.advance(1000);
    EXPECT_EQ(deepest, 1);
    EXPECT_EQ(slow, (std::vector<int64_t>{100, 450, 500, 600, 700, 800, 900, 1000}));
    EXPECT_EQ(other, (std::vector<int64_t>{120, 240, 360, 480, 600, 720, 840, 960})) << "other timers keep running meanwhile";
}

TEST(SimEventLoop, DoEventsInsideATickRunsQueuedEventsButNotTheSameTick) {
    SimEventLoop loop(kStart);
    int ticks = 0, depth = 0, deepest = 0;
    std::vector<std::string> order;
    loop.setTimer(100, [&] {
        deepest = std::max(deepest, ++depth);
        ++ticks;
        loop.post([&] { order.push_back("event"); });
        loop.doEvents();
        order.push_back("tick done");
        --depth;
    });
    loop.advance(100);
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(deepest, 1);
    EXPECT_EQ(order, (std::vector<std::string>{"event", "tick done"}));

    // An event's own posts wait for the next turn, so a self-posting event cannot spin a turn forever.
    loop.post([&] { loop.post([&] { order.push_back("later"); }); });
    EXPECT_EQ(loop.runPending(), 1u);
    EXPECT_EQ(order.size(), 2u);
    loop.runPending();
    EXPECT_EQ(order.back(), "later");
}

TEST(SimEventLoop, RunUntilIdleFollowsDelayedEventsAndStopsAtItsLimit) {
    SimEventLoop loop(kStart);
    std::vector<int64_t> at;
    loop.postAfter(5000, [&] {
        at.push_back(loop.elapsedMs());
        loop.postAfter(2000, [&] { at.push_back(loop.elapsedMs()); });
    });
    EXPECT_EQ(loop.runUntilIdle(60'000), 7000);
    EXPECT_EQ(at, (std::vector<int64_t>{5000, 7000}));

    int ticks = 0;
    loop.setTimer(1000, [&] { ++ticks; });
    EXPECT_EQ(loop.runUntilIdle(3500), 3500) << "a repeating timer never lets the loop become idle";
    EXPECT_EQ(ticks, 3);

    std::function<void()> forever = [&] { loop.post(forever); };
    loop.post(forever);
    EXPECT_THROW(loop.runUntilIdle(0), Error);
}

TEST(SimEventLoop, AThrowingTickReachesTheCallerAndTheTimerKeepsGoing) {
    SimEventLoop loop(kStart);
    int ticks = 0;
    loop.setTimer(100, [&] {
        if (++ticks == 1) throw std::runtime_error("tick failed");
    });
    EXPECT_THROW(loop.advance(100), std::runtime_error);
    loop.advance(200);
    EXPECT_EQ(ticks, 3);
}

}  // namespace
}  // namespace tw::sim
