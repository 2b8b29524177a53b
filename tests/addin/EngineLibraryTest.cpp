// The engine's functions are bound by file name at their first call.
#include <gtest/gtest.h>

#include <algorithm>

#include "engineapi/EngineLibrary.h"
#include "core/AnsiText.h"
#include "core/Error.h"
#include "sim/SimLibraryLoader.h"
#include "support/TestPaths.h"

namespace tw::test {
namespace {

using ReadCall = int32_t (*)(int32_t, char*, int32_t);

std::vector<std::string> callsOf(sim::SimLibraryLoader& loader) {
    void* lib = loader.load("tarnengine.dll");
    auto count = reinterpret_cast<int32_t (*)()>(loader.resolve(lib, "TWSTUB_callCount"));
    auto read = reinterpret_cast<ReadCall>(loader.resolve(lib, "TWSTUB_call"));
    std::vector<std::string> calls;
    for (int32_t i = 0; i < count(); ++i) {
        char buf[512];
        read(i, buf, sizeof buf);
        calls.emplace_back(buf);
    }
    return calls;
}

TEST(EngineLibrary, BindsAtTheFirstCallAndPassesTexts) {
    sim::SimLibraryLoader loader({stubLibraryDir()});
    engineapi::EngineLibrary engine(loader);
    EXPECT_EQ(loader.loadCount(), 0);

    int32_t handle = engine.TW_constructor("Outlook", "C:\\Program Files\\Tarnwick");
    EXPECT_EQ(loader.loadCount(), 1);
    EXPECT_GT(handle, 0);
    engine.TW_setOption(handle, "min_training", "100");
    EXPECT_EQ(engine.TW_getOption(handle, "min_training"), "100");
    int32_t score = -1;
    engine.TW_score(handle, "Subject: hi\r\n", "body", "a@b.example", 2, "Ann", score);
    EXPECT_EQ(score, 0);
    engine.TW_destructor(handle);
    EXPECT_EQ(loader.loadCount(), 1);

    auto calls = callsOf(loader);
    ASSERT_GE(calls.size(), 5u);
    EXPECT_EQ(calls[calls.size() - 5], "TW_constructor(Outlook,C:\\Program Files\\Tarnwick)");
    EXPECT_EQ(calls.back(), "TW_destructor(" + std::to_string(handle) + ")");
}

// Windows installs converters to the system's code page; every text crosses them both ways.
TEST(EngineLibrary, TextsCrossInTheSystemCodePage) {
    ansi::installConverters([](std::string_view t) { return "<" + std::string(t) + ">"; },
                            [](std::string_view t) { return "[" + std::string(t) + "]"; });
    sim::SimLibraryLoader loader({stubLibraryDir()});
    engineapi::EngineLibrary engine(loader);
    int32_t handle = engine.TW_constructor("Outlook", "C:\\Caf\xc3\xa9");
    const std::string option = engine.TW_getOption(handle, "min_training");
    engine.TW_destructor(handle);
    ansi::installConverters(nullptr, nullptr);

    EXPECT_EQ(option.front(), '[');
    auto calls = callsOf(loader);
    EXPECT_NE(std::find(calls.begin(), calls.end(), "TW_constructor(<Outlook>,<C:\\Caf\xc3\xa9>)"), calls.end());
}

TEST(EngineLibrary, AMissingLibraryMakesEveryCallFail) {
    sim::SimLibraryLoader loader({"/nonexistent"});
    engineapi::EngineLibrary engine(loader);
    EXPECT_THROW(engine.TW_constructor("Outlook", "C:\\"), Error);
    EXPECT_THROW(engine.TW_initialize(1), Error);
    int32_t score = 0;
    EXPECT_THROW(engine.TW_score(1, "", "", "", 0, "", score), Error);
}

TEST(EngineLibrary, AFunctionTheLibraryLacksFailsAlone) {
    sim::SimLibraryLoader loader({stubLibraryDir()});
    engineapi::EngineLibrary engine(loader, "tarnengine.dll");
    // The recording engine exports every function, so the missing one is asked for by name.
    try {
        loader.resolve(loader.load("tarnengine.dll"), "TW_notExported");
        FAIL() << "an unexported function was resolved";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), 453);
    }
    EXPECT_GT(engine.TW_constructor("Outlook", "C:\\"), 0);
}

}  // namespace
}  // namespace tw::test
