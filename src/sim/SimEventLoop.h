// The virtual clock and message loop of the sim: time moves only when advanced, timers and posted events run in order.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>

#include "core/OleDate.h"
#include "platform/Clock.h"
#include "platform/UserInterface.h"

namespace tw::sim {

/// Thread rule: one thread, like the user-interface thread it stands for. Exceptions thrown by a
/// timer or an event reach the caller of advance/runPending; the loop stays usable afterwards.
class SimEventLoop : public platform::Clock {
public:
    explicit SimEventLoop(OleDate start);

    OleDate now() override;
    /// The sim's regional formats: a typical US locale unless a test sets another.
    DateLocale userDateFormats() override { return dateLocale_; }
    void setUserDateFormats(DateLocale locale) { dateLocale_ = std::move(locale); }
    /// Lets virtual time pass inside running code: every reading of the clock moves it on by this
    /// much (0, the default, leaves it still), as real time passes while a long pass works through
    /// its messages. Timers that fall due meanwhile run at the next doEvents or advance.
    void setTimePerClockRead(int64_t milliseconds) { msPerClockRead_ = milliseconds; }
    /// Milliseconds of virtual time since the start.
    int64_t elapsedMs() const { return elapsedMs_; }

    /// A repeating timer. Intervals below 10 ms count as 10 ms, as Windows clamps them. A tick
    /// that falls due while the same timer's callback is still running is not delivered
    /// recursively; ticks missed meanwhile are delivered once, late, as Windows coalesces them.
    platform::TimerId setTimer(int intervalMs, std::function<void()> onTick);
    /// Unknown or already killed ids are ignored.
    void killTimer(platform::TimerId id);
    size_t timerCount() const { return timers_.size(); }

    /// Queues an event for the next runPending (or doEvents, or any advance).
    void post(std::function<void()> event);
    /// Queues an event for the moment `delayMs` from now.
    void postAfter(int64_t delayMs, std::function<void()> event);
    size_t pendingCount() const { return pending_.size(); }

    /// Runs the events queued before this call; events they post wait for the next call.
    /// Returns how many ran.
    size_t runPending();
    /// Runs queued events, then the timers due now that are not already running.
    void doEvents();

    /// Moves time forward, running timers and delayed events in time order at their due times
    /// and queued events after each of them.
    void advance(int64_t milliseconds);
    /// Runs queued events and moves time on to each next due timer or delayed event until nothing
    /// is queued or scheduled, or `maxMs` of virtual time have passed. Returns the time moved.
    int64_t runUntilIdle(int64_t maxMs);

private:
    struct Timer {
        int64_t intervalMs = 0;
        int64_t dueMs = 0;
        bool running = false;
        std::function<void()> onTick;
    };
    struct Queued {
        uint64_t sequence;
        std::function<void()> event;
    };

    /// The earliest due time of a timer that may fire, or of a delayed event; -1 when none.
    int64_t nextDue() const;
    /// Fires the earliest timer or delayed event due at or before `limitMs`; false when there is none.
    bool fireOneDue(int64_t limitMs);
    void fireTimer(const std::shared_ptr<Timer>& timer);

    OleDate start_;
    DateLocale dateLocale_;
    int64_t elapsedMs_ = 0;
    int64_t msPerClockRead_ = 0;
    std::map<platform::TimerId, std::shared_ptr<Timer>> timers_;
    platform::TimerId nextTimerId_ = 1;
    std::deque<Queued> pending_;
    uint64_t nextSequence_ = 0;
    std::multimap<int64_t, std::function<void()>> delayed_;
};

}  // namespace tw::sim
