// Virtual time for the sim: timers, delayed and queued events run only when a test or the host moves the loop.
#include "sim/SimEventLoop.h"

#include <algorithm>

#include "core/Error.h"

namespace tw::sim {

namespace {

constexpr int kMinimumIntervalMs = 10;
// Guards runUntilIdle against events that keep posting new events forever.
constexpr size_t kMaxEventRounds = 100000;

}  // namespace

SimEventLoop::SimEventLoop(OleDate start) : start_(start) {}

OleDate SimEventLoop::now() {
    elapsedMs_ += msPerClockRead_;
    return start_.plusSeconds(static_cast<double>(elapsedMs_) / 1000.0);
}

platform::TimerId SimEventLoop::setTimer(int intervalMs, std::function<void()> onTick) {
    auto timer = std::make_shared<Timer>();
    timer->intervalMs = std::max(intervalMs, kMinimumIntervalMs);
    timer->dueMs = elapsedMs_ + timer->intervalMs;
    timer->onTick = std::move(onTick);
    platform::TimerId id = nextTimerId_++;
    timers_.emplace(id, std::move(timer));
    return id;
}

void SimEventLoop::killTimer(platform::TimerId id) { timers_.erase(id); }

void SimEventLoop::post(std::function<void()> event) { pending_.push_back({nextSequence_++, std::move(event)}); }

void SimEventLoop::postAfter(int64_t delayMs, std::function<void()> event) {
    delayed_.emplace(elapsedMs_ + std::max<int64_t>(delayMs, 0), std::move(event));
}

size_t SimEventLoop::runPending() {
    const uint64_t limit = nextSequence_;
    size_t ran = 0;
    while (!pending_.empty() && pending_.front().sequence < limit) {
        auto event = std::move(pending_.front().event);
        pending_.pop_front();
        ++ran;
        event();
    }
    return ran;
}

void SimEventLoop::doEvents() {
    runPending();
    while (fireOneDue(elapsedMs_)) {
    }
}

int64_t SimEventLoop::nextDue() const {
    int64_t best = delayed_.empty() ? -1 : delayed_.begin()->first;
    for (const auto& entry : timers_) {
        const Timer& timer = *entry.second;
        if (!timer.running && (best < 0 || timer.dueMs < best)) best = timer.dueMs;
    }
    return best;
}

bool SimEventLoop::fireOneDue(int64_t limitMs) {
    std::shared_ptr<Timer> timer;
    for (const auto& entry : timers_) {
        const auto& candidate = entry.second;
        if (!candidate->running && candidate->dueMs <= limitMs && (!timer || candidate->dueMs < timer->dueMs)) timer = candidate;
    }
    // Posted messages go before timer messages due at the same moment, as on Windows.
    if (!delayed_.empty() && delayed_.begin()->first <= limitMs && (!timer || delayed_.begin()->first <= timer->dueMs)) {
        auto first = delayed_.begin();
        elapsedMs_ = std::max(elapsedMs_, first->first);
        auto event = std::move(first->second);
        delayed_.erase(first);
        event();
        return true;
    }
    if (!timer) return false;
    elapsedMs_ = std::max(elapsedMs_, timer->dueMs);
    fireTimer(timer);
    return true;
}

void SimEventLoop::fireTimer(const std::shared_ptr<Timer>& timer) {
    const int64_t firedAt = elapsedMs_;
    // The next tick stays on the timer's own schedule; ticks that fell due before this one was
    // delivered are folded into it. A tick that falls due while the callback runs stays due and
    // is delivered once as soon as the callback has returned.
    int64_t next = timer->dueMs + timer->intervalMs;
    while (next <= firedAt) next += timer->intervalMs;
    struct Finish {
        Timer& t;
        int64_t nextDue;
        ~Finish() {
            t.running = false;
            t.dueMs = nextDue;
        }
    } finish{*timer, next};
    timer->running = true;
    timer->onTick();
}

void SimEventLoop::advance(int64_t milliseconds) {
    const int64_t target = elapsedMs_ + std::max<int64_t>(milliseconds, 0);
    runPending();
    // A callback that itself advances may carry time past the target; what is overdue then still runs.
    while (fireOneDue(std::max(target, elapsedMs_))) runPending();
    elapsedMs_ = std::max(elapsedMs_, target);
    runPending();
}

int64_t SimEventLoop::runUntilIdle(int64_t maxMs) {
    const int64_t startMs = elapsedMs_;
    const int64_t limit = startMs + std::max<int64_t>(maxMs, 0);
    for (;;) {
        for (size_t rounds = 0; !pending_.empty(); ++rounds) {
            if (rounds == kMaxEventRounds) throw Error(5, "SimEventLoop", "Events keep posting new events; the loop never becomes idle");
            runPending();
        }
        int64_t next = nextDue();
        if (next < 0) break;
        if (next > limit) {
            elapsedMs_ = std::max(elapsedMs_, limit);
            break;
        }
        fireOneDue(std::max(next, elapsedMs_));
    }
    return elapsedMs_ - startMs;
}

}  // namespace tw::sim
