// A scripted stand-in for the scoring engine that the benchmarks load in its place, so that what they
// time is the add-in's own work; the time spent inside its functions is kept apart.
#pragma once

#include <string>

#include "platform/LibraryLoader.h"

namespace tw::bench {

/// Hands out the scripted engine's functions by their exported names. Its score is 99 for a
/// message whose headers hold "Subject: SPAM", else 10; every other call succeeds and does nothing.
class ScriptedEngineLoader : public platform::LibraryLoader {
public:
    void* load(const std::string&) override { return this; }
    void* resolve(void*, const std::string& name) override;
};

/// Seconds spent inside the scripted engine's functions so far, across every loader.
double engineSeconds();

}  // namespace tw::bench
