// Stopping writes at their k-th stage, as a crash would, and running a scenario for every such point.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace tw::test {

/// What a write-stage hook throws to stop a write where it stands.
struct SimulatedCrash : std::runtime_error {
    SimulatedCrash() : std::runtime_error("simulated crash") {}
};

/// A countdown over the stages writes reach: the k-th one throws SimulatedCrash. Its hook fits the
/// sim's and the engine's write-stage hooks, which differ only in how they name the file.
class CrashCountdown {
public:
    static void arm(int k) {
        remaining() = k;
        struck() = false;
    }
    static void disarm() { remaining() = 0; }
    static bool hasStruck() { return struck(); }

    template <class Stage, class Path>
    static void hook(Stage, const Path&) {
        if (remaining() <= 0 || --remaining() > 0) return;
        struck() = true;
        throw SimulatedCrash();
    }

private:
    static int& remaining() {
        static int count = 0;
        return count;
    }
    static bool& struck() {
        static bool value = false;
        return value;
    }
};

/// Sets a write-stage hook for the life of the object and takes it away again.
template <class Hook>
class ScopedStageHook {
public:
    ScopedStageHook(void (*set)(Hook), Hook hook) : set_(set) { set_(hook); }
    ~ScopedStageHook() {
        set_(nullptr);
        CrashCountdown::disarm();
    }
    ScopedStageHook(const ScopedStageHook&) = delete;
    ScopedStageHook& operator=(const ScopedStageHook&) = delete;

private:
    void (*set_)(Hook);
};

/// Runs `scenario(k)` for k = 1, 2 ... until a run is no longer stopped (it returns false), and
/// answers how many runs were stopped. The scenario arms the stop at k, runs, and checks the files.
inline int forEveryCrashPoint(const std::function<bool(int)>& scenario) {
    constexpr int kNoEnd = 500;
    int k = 1;
    while (scenario(k)) {
        if (++k > kNoEnd) {
            ADD_FAILURE() << "the writes never ran to their end";
            break;
        }
    }
    return k - 1;
}

}  // namespace tw::test
