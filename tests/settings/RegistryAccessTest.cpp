// The registry layer of the settings: what is read back, what is handed to the registry, and number text.
#include <gtest/gtest.h>

#include <locale>

#include "settings/NumberText.h"
#include "settings/RegistryAccess.h"
#include "sim/SimRegistry.h"

namespace tw::settings {
void PrintTo(const RegVariant& v, std::ostream* os) {
    if (v.isEmpty()) *os << "(nothing)";
    else if (v.isNumber()) *os << "number " << v.number();
    else *os << "text \"" << v.text() << "\"";
}
}  // namespace tw::settings

namespace tw::test {
namespace {

using platform::Hive;
using platform::RegValue;
using platform::ValueType;
using settings::RegVariant;

constexpr const char* kKey = "Software\\Orvenna";

TEST(RegistryAccess, ReadsTextAndNumbersAndNothingElse) {
    sim::SimRegistry registry;
    registry.createKey(Hive::CurrentUser, kKey);
    auto put = [&](const char* name, const RegValue& v) { registry.setValue(Hive::CurrentUser, kKey, name, v); };
    put("terminated", RegValue::ofString(std::string("90\0", 3)));
    put("plain", RegValue::ofString("90"));
    put("number", RegValue::ofDword(0xFFFFFFFFu));
    put("expand", RegValue::ofExpandString("%TEMP%"));
    put("bytes", RegValue::ofBinary({1, 2}));

    auto read = [&](const char* name) { return settings::readValue(registry, Hive::CurrentUser, kKey, name); };
    // A value another program stored with its terminating NUL reads the same as one without.
    EXPECT_EQ(read("terminated"), RegVariant::ofText("90"));
    EXPECT_EQ(read("plain"), RegVariant::ofText("90"));
    EXPECT_EQ(read("number"), RegVariant::ofNumber(-1));
    EXPECT_TRUE(read("expand").isEmpty());
    EXPECT_TRUE(read("bytes").isEmpty());
    EXPECT_TRUE(read("missing").isEmpty());
    EXPECT_TRUE(settings::readValue(registry, Hive::CurrentUser, "Software\\Nowhere", "plain").isEmpty());

    registry.failNext("queryValue");
    EXPECT_TRUE(read("plain").isEmpty()) << "a failing registry reads as nothing, never raises";
}

TEST(RegistryAccess, WritesHandTheWholeTextOverAndReportFailureAsFalse) {
    sim::SimRegistry registry;
    // The text goes to the registry whole and without a NUL of its own: the registry adapter
    // stores the terminating NUL, so the stored data ends exactly once.
    EXPECT_TRUE(settings::writeValue(registry, Hive::CurrentUser, "\\Software\\Orvenna\\", "junkfolder",
                                     RegVariant::ofText("\\Personal Folders\\Spam, old"), ValueType::String));
    EXPECT_EQ(*registry.queryValue(Hive::CurrentUser, kKey, "junkfolder"), RegValue::ofString("\\Personal Folders\\Spam, old"));

    EXPECT_TRUE(settings::writeValue(registry, Hive::CurrentUser, kKey, "toolbarrowindex", RegVariant::ofText("-1"),
                                     ValueType::Dword));
    EXPECT_EQ(*registry.queryValue(Hive::CurrentUser, kKey, "toolbarrowindex"), RegValue::ofDword(0xFFFFFFFFu));
    EXPECT_TRUE(settings::writeValue(registry, Hive::CurrentUser, kKey, "count", RegVariant::ofNumber(7), ValueType::String));
    EXPECT_EQ(registry.queryValue(Hive::CurrentUser, kKey, "count")->text, "7");

    EXPECT_FALSE(settings::writeValue(registry, Hive::CurrentUser, "", "x", RegVariant::ofNumber(1), ValueType::Dword));
    EXPECT_FALSE(settings::writeValue(registry, Hive::CurrentUser, "\\", "x", RegVariant::ofNumber(1), ValueType::Dword));
    EXPECT_FALSE(settings::writeValue(registry, Hive::CurrentUser, kKey, "x", RegVariant::ofText("many"), ValueType::Dword));
    EXPECT_FALSE(settings::writeValue(registry, Hive::CurrentUser, kKey, "x", RegVariant::ofText("a"), ValueType::Binary));
    registry.failNext("setValue");
    EXPECT_FALSE(settings::writeValue(registry, Hive::CurrentUser, kKey, "x", RegVariant::ofNumber(1), ValueType::Dword));
    EXPECT_FALSE(registry.queryValue(Hive::CurrentUser, kKey, "x"));
}

// A locale whose decimal separator is a comma, as a German or French user's is.
struct CommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
};

TEST(NumberText, NumbersAreWrittenWithAPointWhateverTheLocale) {
    std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
    sim::SimRegistry registry;
    settings::SettingsKey key(registry);
    EXPECT_TRUE(key.writeDouble(72.5, "threshold"));
    EXPECT_TRUE(key.writeDouble(90, "threshold2"));
    EXPECT_TRUE(key.writeDate("lastrun", OleDate(46000.25)));
    std::locale::global(previous);

    EXPECT_EQ(key.read("threshold"), RegVariant::ofText("72.5"));
    EXPECT_EQ(key.read("threshold2"), RegVariant::ofText("90"));
    EXPECT_EQ(key.read("lastrun"), RegVariant::ofText("46000.25"));
    EXPECT_EQ(settings::decimalText(0.1), "0.1");
}

TEST(NumberText, NumbersAreReadWithAPointOrAComma) {
    EXPECT_EQ(settings::parseDecimalText("72,5"), 72.5);
    EXPECT_EQ(settings::parseDecimalText(" 72.5 "), 72.5);
    EXPECT_EQ(settings::parseDecimalText("+5"), 5);
    EXPECT_EQ(settings::parseDecimalText("-0.5"), -0.5);
    for (const char* bad : {"", " ", "abc", "9O", "1.000,5", "nan", "inf", "+-5", "5%", "0x10"})
        EXPECT_FALSE(settings::parseDecimalText(bad)) << bad;

    EXPECT_EQ(settings::parseIntegerText(" -1 "), -1);
    EXPECT_EQ(settings::parseIntegerText("2147483647"), 2147483647);
    for (const char* bad : {"", "4294967295", "5.0", "1e3", "12ab"}) EXPECT_FALSE(settings::parseIntegerText(bad)) << bad;

    sim::SimRegistry registry;
    settings::SettingsKey key(registry);
    key.writeString("mpclean", " 46000,5 ");
    key.writeNumber("pfrun", 46001);
    EXPECT_EQ(key.readDate("mpclean"), OleDate(46000.5));
    EXPECT_EQ(key.readDate("pfrun"), OleDate(46001));
    EXPECT_EQ(key.readDate("lastrun"), OleDate(0));
    key.writeString("lastrun", "yesterday");
    EXPECT_EQ(key.readDate("lastrun"), OleDate(0));

    EXPECT_EQ(key.getNumberFromRegistry("pfrun"), 46001);
    EXPECT_EQ(key.getNumberFromRegistry("absent"), 0);
    EXPECT_EQ(key.getNumberFromRegistry("lastrun"), 0);
}

}  // namespace
}  // namespace tw::test
