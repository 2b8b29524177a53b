// The behaviour every registry adapter keeps; include once per test program and instantiate with a factory.
#pragma once

#include <algorithm>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "core/Error.h"
#include "platform/Registry.h"

namespace tw::contract {

struct RegistryFactory {
    std::string name;
    std::function<std::unique_ptr<platform::Registry>()> make;
};
inline void PrintTo(const RegistryFactory& factory, std::ostream* os) { *os << factory.name; }

/// Works below one scratch key of the current user, removed before and after each test, so it
/// can run against a real registry too.
class RegistryContractTest : public ::testing::TestWithParam<RegistryFactory> {
protected:
    static constexpr platform::Hive hive = platform::Hive::CurrentUser;
    const std::string base = "Software\\TarnwickContractTest";

    void SetUp() override {
        registry = GetParam().make();
        removeScratch();
        registry->createKey(hive, base);
    }
    void TearDown() override { removeScratch(); }
    void removeScratch() {
        if (registry->keyExists(hive, base)) registry->deleteTree(hive, base);
    }
    std::string at(const std::string& sub) const { return base + "\\" + sub; }

    std::unique_ptr<platform::Registry> registry;
};

using platform::RegValue;

TEST_P(RegistryContractTest, CreatingAKeyCreatesEveryMissingLevel) {
    registry->createKey(hive, at("One\\Two\\Three"));
    EXPECT_TRUE(registry->keyExists(hive, at("One")));
    EXPECT_TRUE(registry->keyExists(hive, at("One\\Two")));
    EXPECT_TRUE(registry->keyExists(hive, at("One\\Two\\Three\\")));
    EXPECT_FALSE(registry->keyExists(hive, at("One\\Three")));
    registry->createKey(hive, at("One\\Two"));  // creating an existing key is harmless
    EXPECT_EQ(registry->subkeyNames(hive, at("One\\Two")), std::vector<std::string>{"Three"});
}

TEST_P(RegistryContractTest, NamesIgnoreCaseButKeepTheCaseTheyWereCreatedWith) {
    registry->createKey(hive, at("MixedCase"));
    registry->createKey(hive, at("MIXEDCASE"));
    EXPECT_TRUE(registry->keyExists(hive, at("mixedcase")));
    EXPECT_EQ(registry->subkeyNames(hive, base), std::vector<std::string>{"MixedCase"});

    registry->setValue(hive, at("mixedCASE"), "Threshold", RegValue::ofDword(90));
    registry->setValue(hive, at("MixedCase"), "THRESHOLD", RegValue::ofString("95"));
    EXPECT_EQ(registry->queryValue(hive, at("MIXEDCASE"), "threshold"), RegValue::ofString("95"));
    EXPECT_EQ(registry->valueNames(hive, at("MixedCase")).size(), 1u);
}

TEST_P(RegistryContractTest, EveryValueTypeReadsBackAsStored) {
    const std::vector<std::pair<std::string, RegValue>> values = {
        {"", RegValue::ofString("default value")},
        {"text", RegValue::ofString("Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \"quoted\" C:\\path\\")},
        {"empty", RegValue::ofString("")},
        {"expand", RegValue::ofExpandString("%APPDATA%\\Tarnwick")},
        {"number", RegValue::ofDword(0xFFFFFFFFu)},
        {"list", RegValue::ofMultiString({"first", "second one", "\xC3\xBC"})},
        {"bytes", RegValue::ofBinary({0x00, 0x01, 0x7F, 0xFF})},
        {"nobytes", RegValue::ofBinary({})},
    };
    for (const auto& [name, value] : values) registry->setValue(hive, base, name, value);
    for (const auto& [name, value] : values) EXPECT_EQ(registry->queryValue(hive, base, name), value) << "value \"" << name << "\"";
}

TEST_P(RegistryContractTest, ValuesAndSubkeysAreListedOnceEach) {
    // The order of values is the registry's own (creation order on Windows, sorted elsewhere):
    // callers may rely on every name appearing once, not on where.
    auto sorted = [](std::vector<std::string> names) {
        std::sort(names.begin(), names.end());
        return names;
    };
    for (const char* name : {"zeta", "alpha", "Mid"}) registry->setValue(hive, base, name, RegValue::ofString(name));
    registry->setValue(hive, base, "alpha", RegValue::ofString("again"));
    EXPECT_EQ(sorted(registry->valueNames(hive, base)), (std::vector<std::string>{"Mid", "alpha", "zeta"}));
    registry->deleteValue(hive, base, "ALPHA");
    EXPECT_EQ(sorted(registry->valueNames(hive, base)), (std::vector<std::string>{"Mid", "zeta"}));

    for (const char* name : {"folder2", "Folder10", "beta", "folder1"}) registry->createKey(hive, at(name));
    EXPECT_EQ(registry->subkeyNames(hive, base), (std::vector<std::string>{"beta", "folder1", "Folder10", "folder2"}));
}

TEST_P(RegistryContractTest, MissingKeysAndValuesAreReportedAndNeverCreated) {
    const std::string missing = at("Missing");
    EXPECT_FALSE(registry->keyExists(hive, missing));
    EXPECT_EQ(registry->queryValue(hive, missing, "x"), std::nullopt);
    EXPECT_EQ(registry->queryValue(hive, base, "absent"), std::nullopt);
    EXPECT_THROW(registry->setValue(hive, missing, "x", RegValue::ofDword(1)), Error);
    EXPECT_THROW(registry->deleteValue(hive, missing, "x"), Error);
    EXPECT_THROW(registry->deleteValue(hive, base, "absent"), Error);
    EXPECT_THROW(registry->valueNames(hive, missing), Error);
    EXPECT_THROW(registry->subkeyNames(hive, missing), Error);
    EXPECT_THROW(registry->deleteKey(hive, missing), Error);
    EXPECT_THROW(registry->deleteTree(hive, missing), Error);
    EXPECT_FALSE(registry->keyExists(hive, missing));
}

TEST_P(RegistryContractTest, DeleteKeyRefusesSubkeysWhereDeleteTreeTakesThemAll) {
    registry->createKey(hive, at("folders\\folder1"));
    registry->setValue(hive, at("folders\\folder1"), "storeID", RegValue::ofString("s"));
    EXPECT_THROW(registry->deleteKey(hive, at("folders")), Error);
    EXPECT_TRUE(registry->keyExists(hive, at("folders\\folder1")));

    registry->createKey(hive, at("folders\\folder2"));
    registry->deleteKey(hive, at("folders\\folder2"));
    EXPECT_TRUE(registry->keyExists(hive, at("folders")));
    EXPECT_FALSE(registry->keyExists(hive, at("folders\\folder2")));

    registry->deleteTree(hive, at("FOLDERS"));
    EXPECT_FALSE(registry->keyExists(hive, at("folders")));
    EXPECT_TRUE(registry->keyExists(hive, base));
}

}  // namespace tw::contract
