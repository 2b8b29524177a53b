// The registry file: what it reads, what it writes back byte for byte, and how it refuses a bad file.
#include <gtest/gtest.h>

#include "core/Error.h"
#include "sim/SimRegistry.h"

namespace tw::sim {
namespace {

using platform::Hive;
using platform::RegValue;

constexpr const char* kOrvenna = "Software\\Orvenna";

// Written the way the registry file comes out: CRLF, keys sorted, values in creation order.
const std::string kCanonical =
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "[HKEY_CLASSES_ROOT\\OrvennaOutlookAddIn.InspWrap]\r\n"
    "@=\"Inspector wrapper\"\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software]\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\alpha]\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Orvenna]\r\n"
    "\"threshold\"=dword:0000005a\r\n"
    "\"junkfolder\"=\"Junk \\\"Mail\\\" C:\\\\x\\\\\"\r\n"
    "\"lastrun\"=\"46000.5\"\r\n"
    "\"path\"=hex(2):25,00,41,00,50,00,50,00,44,00,41,00,54,00,41,00,25,00,00,00\r\n"
    "\"rbl_list\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
    "\"key\"=hex:00,7f,ff\r\n"
    "\"note\"=hex(1):61,00,0a,00,62,00,00,00\r\n"
    "\"Gr\xC3\xBC\xC3\x9F" "e\"=\"\xE2\x82\xAC\"\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Orvenna\\folders]\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Orvenna\\folders\\folder1]\r\n"
    "\"storeID\"=\"\"\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\Software]\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Orvenna]\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Orvenna\\Installed]\r\n"
    "\r\n";

TEST(RegFile, CanonicalFileReadsEveryTypeAndWritesBackByteForByte) {
    SimRegistry reg;
    reg.loadRegFile(kCanonical);
    EXPECT_EQ(reg.toRegFile(), kCanonical);

    EXPECT_EQ(reg.queryValue(Hive::ClassesRoot, "OrvennaOutlookAddIn.InspWrap", ""), RegValue::ofString("Inspector wrapper"));
    EXPECT_EQ(reg.queryValue(Hive::CurrentUser, kOrvenna, "threshold"), RegValue::ofDword(90));
    EXPECT_EQ(reg.queryValue(Hive::CurrentUser, kOrvenna, "junkfolder"), RegValue::ofString("Junk \"Mail\" C:\\x\\"));
    EXPECT_EQ(reg.queryValue(Hive::CurrentUser, kOrvenna, "path"), RegValue::ofExpandString("%APPDATA%"));
    EXPECT_EQ(reg.queryValue(Hive::CurrentUser, kOrvenna, "rbl_list"), RegValue::ofMultiString({"a", "b"}));
    EXPECT_EQ(reg.queryValue(Hive::CurrentUser, kOrvenna, "key"), RegValue::ofBinary({0x00, 0x7F, 0xFF}));
    EXPECT_EQ(reg.queryValue(Hive::CurrentUser, kOrvenna, "note"), RegValue::ofString("a\nb"));
    EXPECT_EQ(reg.queryValue(Hive::CurrentUser, kOrvenna, "gr\xC3\xBC\xC3\x9F" "e"), RegValue::ofString("\xE2\x82\xAC"));
    EXPECT_TRUE(reg.keyExists(Hive::LocalMachine, "SOFTWARE\\orvenna\\installed"));
}

TEST(RegFile, WhatTheRegistryWritesReadsBackUnchanged) {
    SimRegistry reg;
    reg.createKey(Hive::CurrentUser, kOrvenna);
    std::vector<uint8_t> many(200);
    for (size_t i = 0; i < many.size(); ++i) many[i] = static_cast<uint8_t>(i * 7);
    reg.setValue(Hive::CurrentUser, kOrvenna, "long", RegValue::ofBinary(many));
    reg.setValue(Hive::CurrentUser, kOrvenna, "longtext", RegValue::ofExpandString(std::string(90, 'x') + "\xE4\xB8\xAD"));
    reg.setValue(Hive::CurrentUser, kOrvenna, "gaps", RegValue::ofMultiString({"", "a", "", ""}));
    reg.setValue(Hive::CurrentUser, kOrvenna, "none", RegValue::ofMultiString({}));
    reg.setValue(Hive::CurrentUser, kOrvenna, "crlf", RegValue::ofString("one\r\ntwo"));
    RegValue qword{static_cast<platform::ValueType>(11), "", 0, {}, {1, 2, 3, 4, 5, 6, 7, 8}};
    reg.setValue(Hive::CurrentUser, kOrvenna, "qword", qword);

    const std::string written = reg.toRegFile();
    EXPECT_EQ(written.substr(0, written.find("\r\n")), "Windows Registry Editor Version 5.00");
    size_t start = 0;
    for (size_t end; (end = written.find("\r\n", start)) != std::string::npos; start = end + 2)
        EXPECT_LE(end - start, 80u) << "every line stays within 80 characters";

    SimRegistry again;
    again.loadRegFile(written);
    EXPECT_EQ(again.toRegFile(), written);
    for (const char* name : {"long", "longtext", "gaps", "none", "crlf", "qword"})
        EXPECT_EQ(again.queryValue(Hive::CurrentUser, kOrvenna, name), reg.queryValue(Hive::CurrentUser, kOrvenna, name)) << name;
}

TEST(RegFile, AcceptsLineEndingsEncodingsCommentsAndContinuations) {
    const std::string body =
        "Windows Registry Editor Version 5.00\n"
        "\n"
        "; written by hand\n"
        "[hkey_current_user\\Software\\Orvenna\\]\n"
        "  \"bin\" = hex:01,02,\\\n"
        "    03,04\n"
        "\"n\"=DWORD:5A\n";
    SimRegistry fromLf, fromBom, fromUtf16;
    fromLf.loadRegFile(body);
    fromBom.loadRegFile("\xEF\xBB\xBF" + body);
    std::string utf16 = "\xFF\xFE";
    for (char c : body) utf16 += std::string{c, '\0'};
    fromUtf16.loadRegFile(utf16);

    EXPECT_EQ(fromLf.queryValue(Hive::CurrentUser, kOrvenna, "bin"), RegValue::ofBinary({1, 2, 3, 4}));
    EXPECT_EQ(fromLf.queryValue(Hive::CurrentUser, kOrvenna, "n"), RegValue::ofDword(0x5A));
    EXPECT_EQ(fromBom.toRegFile(), fromLf.toRegFile());
    EXPECT_EQ(fromUtf16.toRegFile(), fromLf.toRegFile());
}

TEST(RegFile, DeletionsApplyToWhatIsAlreadyThere) {
    SimRegistry reg;
    reg.loadRegFile(kCanonical);
    reg.loadRegFile(
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[-HKEY_CURRENT_USER\\SOFTWARE\\Orvenna\\folders]\r\n"
        "[-HKEY_CURRENT_USER\\Software\\NeverThere]\r\n"
        "[HKEY_CURRENT_USER\\Software\\Orvenna]\r\n"
        "\"threshold\"=-\r\n"
        "\"absent\"=-\r\n"
        "\"lastrun\"=\"46001\"\r\n");
    EXPECT_FALSE(reg.keyExists(Hive::CurrentUser, "Software\\Orvenna\\folders"));
    EXPECT_EQ(reg.queryValue(Hive::CurrentUser, kOrvenna, "threshold"), std::nullopt);
    EXPECT_EQ(reg.queryValue(Hive::CurrentUser, kOrvenna, "lastrun"), RegValue::ofString("46001"));
    EXPECT_EQ(reg.valueNames(Hive::CurrentUser, kOrvenna).front(), "junkfolder");
}

struct Malformed {
    const char* text;
    int line;
    const char* complaint;
};

TEST(RegFile, MalformedFileNamesTheLineAndChangesNothing) {
    const std::string head = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Orvenna]\r\n\"threshold\"=dword:00000001\r\n";
    const std::vector<Malformed> cases = {
        {"REGEDIT4\r\n", 1, "expected the header"},
        {"Windows Registry Editor Version 5.00\r\n\"a\"=\"b\"\r\n", 2, "outside any [key]"},
        {"Windows Registry Editor Version 5.00\r\n[HKEY_NOWHERE\\x]\r\n", 2, "unknown root key"},
        {"Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\a\\\\b]\r\n", 2, "empty key name"},
        {"Windows Registry Editor Version 5.00\r\n[-HKEY_CURRENT_USER]\r\n", 2, "whole root key"},
        {"Windows Registry Editor Version 5.00\r\n[-HKEY_CURRENT_USER\\x]\r\n\"a\"=\"b\"\r\n", 3, "deleted key"},
    };
    const std::vector<Malformed> afterHead = {
        {"threshold=1\r\n", 5, "expected \"name\"=value"},
        {"\"a\"=\"b\\n\"\r\n", 5, "unknown escape"},
        {"\"a\"=\"unterminated\r\n", 5, "missing closing quote"},
        {"\"a\"=dword:123456789\r\n", 5, "dword"},
        {"\"a\"=hex:01,zz\r\n", 5, "\"zz\""},
        {"\"a\"=hex(2):41,00,42\r\n", 5, "odd number"},
        {"\"a\"=hex(4):01,02,03\r\n", 5, "4 bytes"},
        {"\"a\"=hex:01,\\\r\n", 5, "past the end"},
        {"\"a\"=string\r\n", 5, "unrecognised value data"},
        {"\r\n\"ok\"=\"fine\"\r\n\r\n; note\r\n\"b\"=hex:01,\\\r\n  02,\\\r\n  0g\r\n", 11, "\"0g\""},
    };

    SimRegistry reg;
    reg.loadRegFile(kCanonical);
    auto expectRefused = [&](const std::string& text, const Malformed& m) {
        try {
            reg.loadRegFile(text, "registry.reg");
            ADD_FAILURE() << "accepted: " << text;
        } catch (const Error& e) {
            EXPECT_EQ(e.source(), "SimRegistry");
            EXPECT_NE(e.description().find("registry.reg line " + std::to_string(m.line) + ": "), std::string::npos) << e.description();
            EXPECT_NE(e.description().find(m.complaint), std::string::npos) << e.description();
        }
        EXPECT_EQ(reg.toRegFile(), kCanonical) << "a refused file changed the registry: " << text;
    };
    for (const auto& m : cases) expectRefused(m.text, m);
    for (const auto& m : afterHead) expectRefused(head + m.text, m);
    expectRefused("", {"", 1, "expected the header"});
}

}  // namespace
}  // namespace tw::sim
