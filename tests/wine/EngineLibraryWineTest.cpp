// The engine library as the add-in binds it on Windows: loaded by file name, functions by plain name.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "engineapi/tarnengine_api.h"
#include "wine/ProgramFolder.h"
#include "win32/Win32LibraryLoader.h"

namespace tw::winetest {
namespace {

constexpr bool kThirtyTwoBit = sizeof(void*) == 4;

TEST(EngineLibraryWineTest, EveryFunctionIsFoundByItsPlainNameAndAnEngineLivesAndDies) {
    win32::Win32LibraryLoader loader;
    void* library = loader.load(ProgramFolder::beside("tarnengine.dll"));
    for (const char* name : {"TW_constructor", "TW_setOption", "TW_initialize", "TW_getOption", "TW_score",
                             "TW_addMessage", "TW_getMessage", "TW_getMessageInfo", "TW_delMessage", "TW_bounce",
                             "TW_addReportSender", "TW_reportSenders", "TW_addSpamAddrTo", "TW_addSpamAddrFrom", "TW_getSpamAddrFrom",
                             "TW_readOldAddrSettings", "TW_destructor"}) {
        EXPECT_NE(loader.resolve(library, name), nullptr) << name;
    }

    auto construct = reinterpret_cast<TW_constructor_fn>(loader.resolve(library, "TW_constructor"));
    auto destroy = reinterpret_cast<TW_destructor_fn>(loader.resolve(library, "TW_destructor"));
    std::string client = "Tarnwick";
    std::string folder = ProgramFolder::beside("");
    const int32_t engine = construct(client.data(), folder.data());
    ASSERT_GT(engine, 0);
    EXPECT_EQ(destroy(engine), 0);
}

TEST(EngineLibraryWineTest, StandardCallNamesCarryNoDecoration) {
    if (!kThirtyTwoBit) GTEST_SKIP() << "64-bit Windows has one calling convention and never decorates names";
    HMODULE library = LoadLibraryW(L"tarnengine.dll");
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(GetProcAddress(library, "TW_score@28"), nullptr);
    EXPECT_EQ(GetProcAddress(library, "_TW_score@28"), nullptr);
    EXPECT_NE(GetProcAddress(library, "TW_score"), nullptr);
}

}  // namespace
}  // namespace tw::winetest
