// The safe mail library under Wine: its registration, and its objects' members and errors before any MAPI object is reached.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <string>
#include <utility>
#include <vector>

#include "wine/SafeMailLibraryCalls.h"

namespace tw::winetest::safemail {
namespace {

const LibraryClass kClasses[] = {kSafeMailItem, kMapiUtils, kMapiTable, kAddressLists};

std::wstring guidText(const CLSID& id) {
    wchar_t text[40] = {};
    StringFromGUID2(id, text, 40);
    return text;
}

/// A string value under HKEY_CLASSES_ROOT; false when the key or the value is missing.
bool classesValue(const std::wstring& key, const wchar_t* name, std::wstring& out) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    wchar_t data[1024] = {};
    DWORD size = sizeof data - sizeof(wchar_t), type = 0;
    const LONG rc = RegQueryValueExW(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(handle);
    out = data;
    return rc == ERROR_SUCCESS && type == REG_SZ;
}

bool classesKeyExists(const std::wstring& key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    RegCloseKey(handle);
    return true;
}

/// Runs Wine's regsvr32 on the library; its exit code, or -1 when it could not start.
long regsvr32(const wchar_t* options) {
    std::wstring command = L"regsvr32.exe " + std::wstring(options) + L" \"" + libraryPath() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return -1;
    WaitForSingleObject(process.hProcess, 60000);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<long>(code);
}

std::vector<long> tagsOf(const Value& array) {
    std::vector<long> tags;
    for (const Value& element : elementsOf(array)) tags.push_back(element.number());
    return tags;
}

class SafeMailLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        ASSERT_TRUE(library_.loaded()) << "tarnredemption.dll beside the test program";
        // Tests before this one may have left the library holding a client's session.
        get(create(kMapiUtils), L"Cleanup");
        library_.releaseAll();
    }
    void TearDown() override {
        library_.releaseAll();
        CoUninitialize();
    }
    IDispatch* create(const LibraryClass& c) { return library_.create(c); }
    /// Whether the library may be unloaded once every object the test made has gone.
    bool canUnload() {
        library_.releaseAll();
        return library_.canUnload();
    }

    LoadedLibrary library_;
};

TEST_F(SafeMailLibrary, RegsvrWritesTheFourClassesAndUnregisteringLeavesTheRegistryAsItWas) {
    // The run installs the library for every test; this one starts from a machine without it.
    ASSERT_EQ(regsvr32(L"/u /s"), 0);
    for (const LibraryClass& c : kClasses) {
        ASSERT_FALSE(classesKeyExists(c.progId)) << "registered before the test";
        ASSERT_FALSE(classesKeyExists(L"CLSID\\" + guidText(c.id)));
    }
    ASSERT_EQ(regsvr32(L"/s"), 0);
    std::wstring value;
    for (const LibraryClass& c : kClasses) {
        const std::wstring classKey = L"CLSID\\" + guidText(c.id);
        EXPECT_TRUE(classesValue(std::wstring(c.progId) + L"\\CLSID", nullptr, value) && value == guidText(c.id)) << c.progId;
        EXPECT_TRUE(classesValue(classKey, nullptr, value) && !value.empty()) << c.progId;
        EXPECT_TRUE(classesValue(classKey + L"\\InprocServer32", nullptr, value) &&
                    CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, value.c_str(), -1, libraryPath().c_str(), -1) == CSTR_EQUAL)
            << std::string(value.begin(), value.end());
        EXPECT_TRUE(classesValue(classKey + L"\\InprocServer32", L"ThreadingModel", value) && value == L"Apartment");
        EXPECT_TRUE(classesValue(classKey + L"\\ProgID", nullptr, value) && value == c.progId);

        CLSID found{};
        EXPECT_EQ(CLSIDFromProgID(c.progId, &found), S_OK) << c.progId;
        EXPECT_TRUE(IsEqualCLSID(found, c.id)) << c.progId;
        IDispatch* object = nullptr;
        EXPECT_EQ(CoCreateInstance(c.id, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(&object)), S_OK) << c.progId;
        if (object) object->Release();
    }

    ASSERT_EQ(regsvr32(L"/u /s"), 0);
    for (const LibraryClass& c : kClasses) {
        EXPECT_FALSE(classesKeyExists(c.progId)) << c.progId;
        EXPECT_FALSE(classesKeyExists(L"CLSID\\" + guidText(c.id))) << c.progId;
    }
    // Unregistering what is not registered is not a failure.
    EXPECT_EQ(regsvr32(L"/u /s"), 0);
    EXPECT_EQ(regsvr32(L"/s"), 0);
}

TEST_F(SafeMailLibrary, EveryClassKnowsTheMembersTheAddInCallsWhateverTheirCase) {
    const std::vector<std::pair<LibraryClass, std::vector<const wchar_t*>>> members = {
        {kSafeMailItem, {L"Item", L"Fields", L"Sender", L"SenderName", L"Recipients", L"Body", L"HTMLBody", L"Send"}},
        {kMapiUtils, {L"HrGetOneProp", L"DeliverNow", L"Cleanup"}},
        {kMapiTable, {L"Item", L"Filter", L"Columns", L"RowCount", L"GoToFirst", L"FindFirst", L"FindNext", L"GetRow", L"GetRows"}},
        {kAddressLists, {L"Count", L"Item"}},
    };
    for (const auto& [c, names] : members) {
        IDispatch* object = create(c);
        ASSERT_NE(object, nullptr) << c.progId;
        UINT typeInfos = 1;
        EXPECT_EQ(object->GetTypeInfoCount(&typeInfos), S_OK);
        EXPECT_EQ(typeInfos, 0u);
        for (const wchar_t* name : names) {
            std::wstring lower(name);
            for (wchar_t& ch : lower) ch = static_cast<wchar_t>(towlower(ch));
            DISPID id = DISPID_UNKNOWN, lowerId = DISPID_UNKNOWN;
            LPOLESTR asGiven[] = {const_cast<LPOLESTR>(name)}, asLower[] = {lower.data()};
            EXPECT_EQ(object->GetIDsOfNames(IID_NULL, asGiven, 1, LOCALE_USER_DEFAULT, &id), S_OK) << c.progId << "." << name;
            EXPECT_EQ(object->GetIDsOfNames(IID_NULL, asLower, 1, LOCALE_USER_DEFAULT, &lowerId), S_OK) << lower;
            EXPECT_EQ(id, lowerId);
        }
        DISPID unknown = 0;
        LPOLESTR missing[] = {const_cast<LPOLESTR>(L"MAPIOBJECT")};
        EXPECT_EQ(object->GetIDsOfNames(IID_NULL, missing, 1, LOCALE_USER_DEFAULT, &unknown), DISP_E_UNKNOWNNAME);
        EXPECT_EQ(unknown, DISPID_UNKNOWN);
    }
    EXPECT_TRUE(canUnload());
}

TEST_F(SafeMailLibrary, CallsBeforeItemIsSetRaiseItemIsNotSet) {
    IDispatch* item = create(kSafeMailItem);
    IDispatch* table = create(kMapiTable);
    ASSERT_TRUE(item && table);
    for (const wchar_t* name : {L"Body", L"HTMLBody", L"Sender", L"SenderName", L"Recipients", L"Send"}) {
        Answer answer = get(item, name);
        expectRaised(answer, name);
        EXPECT_EQ(answer.description, L"Item is not set.") << name;
    }
    expectRaised(get(item, L"Fields", {Value(0x0037001EL)}), L"Fields");
    expectRaised(invoke(item, L"Body", DISPATCH_PROPERTYPUT, {}), L"Body put without a value");
    for (const wchar_t* name : {L"RowCount", L"GetRow", L"FindFirst", L"GoToFirst"}) {
        Answer answer = get(table, name);
        expectRaised(answer, name);
        EXPECT_EQ(answer.description, L"Item is not set.") << name;
    }
    // Reading Item back before it is set answers Nothing rather than raising.
    Answer bound = get(item, L"Item");
    EXPECT_EQ(bound.hr, S_OK);
    EXPECT_EQ(V_VT(&bound.result.v), VT_DISPATCH);
    EXPECT_EQ(bound.result.object(), nullptr);
    EXPECT_TRUE(canUnload());
}

TEST_F(SafeMailLibrary, ObjectsThatAreNotTheClientsItemsRaiseADescribedError) {
    IDispatch* item = create(kSafeMailItem);
    IDispatch* table = create(kMapiTable);
    IDispatch* utils = create(kMapiUtils);
    ASSERT_TRUE(item && table && utils);
    // The library's own objects have neither a MAPI object nor a folder.
    expectRaised(putRef(item, L"Item", utils), L"SafeMailItem.Item = utils");
    expectRaised(invoke(item, L"Item", DISPATCH_PROPERTYPUT, {Value(static_cast<IDispatch*>(nullptr))}), L"SafeMailItem.Item = Nothing");
    expectRaised(putRef(table, L"Item", item), L"MAPITable.Item = item");
    expectRaised(invoke(table, L"Item", DISPATCH_PROPERTYPUT, {Value(42L)}), L"MAPITable.Item = 42");
    expectRaised(get(utils, L"HrGetOneProp", {Value(table), Value(0x007D001EL)}), L"HrGetOneProp");
    // The item stays unbound after a refused Item.
    EXPECT_EQ(get(item, L"Body").description, L"Item is not set.");
    EXPECT_TRUE(canUnload());
}

TEST_F(SafeMailLibrary, TableFilterKnowsOnlyBitMasksAndKeepsWhatIsSetInIt) {
    IDispatch* table = create(kMapiTable);
    ASSERT_NE(table, nullptr);
    {
        Answer filter = get(table, L"Filter");
        ASSERT_NE(filter.result.object(), nullptr);
        Answer content = get(filter.result.object(), L"SetKind", {Value(3L)});
        expectRaised(content, L"SetKind(3)");
        EXPECT_EQ(content.scode, E_INVALIDARG);
        Answer bitmask = get(filter.result.object(), L"SetKind", {Value(6L)});
        IDispatch* restriction = bitmask.result.object();
        ASSERT_NE(restriction, nullptr) << bitmask.why();
        EXPECT_EQ(invoke(restriction, L"ulPropTag", DISPATCH_PROPERTYPUT, {Value(0x0E070003L)}).hr, S_OK);
        EXPECT_EQ(invoke(restriction, L"ulMask", DISPATCH_PROPERTYPUT, {Value(1L)}).hr, S_OK);
        EXPECT_EQ(invoke(restriction, L"relBMR", DISPATCH_PROPERTYPUT, {Value(1L)}).hr, S_OK);
        EXPECT_EQ(get(restriction, L"ulPropTag").result.number(), 0x0E070003L);
        EXPECT_EQ(get(restriction, L"ulMask").result.number(), 1L);
        EXPECT_EQ(get(restriction, L"relBMR").result.number(), 1L);
        EXPECT_EQ(get(filter.result.object(), L"Clear").hr, S_OK);
    }
    // The filter and restriction objects go with their last reference.
    EXPECT_TRUE(canUnload());
}

TEST_F(SafeMailLibrary, TableColumnsComeBackAsGivenWhetherVariantsOrIntegers) {
    IDispatch* table = create(kMapiTable);
    ASSERT_NE(table, nullptr);
    const std::vector<long> tags = {0x0FFF0102L, 0x0E070003L, 0x0037001EL};
    ASSERT_EQ(invoke(table, L"Columns", DISPATCH_PROPERTYPUT, {tagArray(VT_VARIANT, tags)}).hr, S_OK);
    EXPECT_EQ(tagsOf(get(table, L"Columns").result), tags);
    const std::vector<long> integers = {0x30070040L, 0x0E060040L};
    ASSERT_EQ(invoke(table, L"Columns", DISPATCH_PROPERTYPUT, {tagArray(VT_I4, integers)}).hr, S_OK);
    EXPECT_EQ(tagsOf(get(table, L"Columns").result), integers);
    expectRaised(invoke(table, L"Columns", DISPATCH_PROPERTYPUT, {Value(5L)}), L"Columns = 5");
    EXPECT_EQ(tagsOf(get(table, L"Columns").result), integers);
}

TEST_F(SafeMailLibrary, WithoutAMapiSessionTheSessionCallsFailCleanly) {
    IDispatch* utils = create(kMapiUtils);
    IDispatch* lists = create(kAddressLists);
    ASSERT_TRUE(utils && lists);
    // No client shares a session here: nothing to flush, and no prompt.
    Answer deliver = get(utils, L"DeliverNow", {Value(0L), Value(0L)});
    EXPECT_EQ(deliver.hr, S_OK) << deliver.why();
    EXPECT_EQ(V_VT(&deliver.result.v), VT_BOOL);
    EXPECT_FALSE(deliver.result.isTrue());
    Answer count = get(lists, L"Count");
    expectRaised(count, L"AddressLists.Count");
    EXPECT_NE(count.description.find(L"address lists"), std::wstring::npos);
    EXPECT_EQ(get(utils, L"Cleanup").hr, S_OK);
    EXPECT_EQ(get(utils, L"Cleanup").hr, S_OK) << "a second Cleanup has nothing left to let go of";
    EXPECT_TRUE(canUnload());
}

}  // namespace
}  // namespace tw::winetest::safemail
