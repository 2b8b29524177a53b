// The add-in's safe-mail adapter: it keeps each class's factory from the first object of the class
// until the utilities' Cleanup, so a new message does not pay for a class lookup.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

#include "core/Error.h"
#include "standin/StandInClient.h"
#include "wine/SafeMailInstall.h"
#include "win32/safemail/ComSafeMail.h"

namespace tw::winetest {
namespace {

constexpr const char* kSafeMailItem = "TarnwickRedemption.TarnwickSafeMailItem";
constexpr const char* kMapiUtils = "TarnwickRedemption.TarnwickMAPIUtils";

long errorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const Error& e) {
        return e.number();
    }
    return 0;
}

TEST(ComSafeMail, KeepsEachClassFactoryUntilCleanupAndThenLooksTheClassUpAgain) {
    standin::StandInClient client;  // the client's apartment
    win32::ComSafeMail safeMail;
    ASSERT_TRUE(safeMail.CreateSafeMailItem(kSafeMailItem));
    auto utils = safeMail.CreateMAPIUtils(kMapiUtils);

    ASSERT_EQ(installSafeMailLibrary(false), S_OK);
    // The class is gone from the registry, but the factory kept since the first item still makes items.
    EXPECT_TRUE(safeMail.CreateSafeMailItem(kSafeMailItem));
    EXPECT_EQ(errorOf([&] { safeMail.CreateMAPITable("TarnwickRedemption.TarnwickMAPITable"); }), 429);

    // Cleanup lets go of everything: the next item needs the class registered again.
    utils->Cleanup();
    EXPECT_EQ(errorOf([&] { safeMail.CreateSafeMailItem(kSafeMailItem); }), 429);
    ASSERT_EQ(installSafeMailLibrary(true), S_OK);
    EXPECT_TRUE(safeMail.CreateSafeMailItem(kSafeMailItem));
    safeMail.CreateMAPIUtils(kMapiUtils)->Cleanup();
}

}  // namespace
}  // namespace tw::winetest
