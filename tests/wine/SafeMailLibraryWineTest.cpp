// The safe mail library under Wine: its registration, and its objects' members and errors before any MAPI object is reached.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <string>
#include <vector>

namespace tw::winetest {
namespace {

struct LibraryClass {
    const wchar_t* progId;
    CLSID id;
};

constexpr CLSID classId(unsigned long first) {
    return {first, 0x8B5D, 0x4E21, {0xA6, 0x3E, 0x51, 0x0C, 0x9D, 0x27, 0xB4, 0x81}};
}

const LibraryClass kSafeMailItem{L"TarnwickRedemption.TarnwickSafeMailItem", classId(0x3F1C2A70)};
const LibraryClass kMapiUtils{L"TarnwickRedemption.TarnwickMAPIUtils", classId(0x3F1C2A71)};
const LibraryClass kMapiTable{L"TarnwickRedemption.TarnwickMAPITable", classId(0x3F1C2A72)};
const LibraryClass kAddressLists{L"TarnwickRedemption.TarnwickAddressLists", classId(0x3F1C2A73)};
const LibraryClass kClasses[] = {kSafeMailItem, kMapiUtils, kMapiTable, kAddressLists};

std::wstring libraryPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1) + L"tarnredemption.dll";
}

std::wstring guidText(const CLSID& id) {
    wchar_t text[40] = {};
    StringFromGUID2(id, text, 40);
    return text;
}

/// A string value under HKEY_CLASSES_ROOT; nullopt-like empty + false when the key or value is missing.
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

/// An owned VARIANT.
struct Value {
    VARIANT v;
    Value() { VariantInit(&v); }
    explicit Value(long n) : Value() {
        V_VT(&v) = VT_I4;
        V_I4(&v) = n;
    }
    explicit Value(IDispatch* object) : Value() {
        V_VT(&v) = VT_DISPATCH;
        V_DISPATCH(&v) = object;
        if (object) object->AddRef();
    }
    Value(const Value& other) : Value() { VariantCopy(&v, const_cast<VARIANT*>(&other.v)); }
    Value& operator=(const Value&) = delete;
    ~Value() { VariantClear(&v); }
};

/// What one late-bound call answered.
struct Answer {
    HRESULT hr = S_OK;
    HRESULT scode = S_OK;
    std::wstring description;
    Value result;
};

Answer invoke(IDispatch* object, const wchar_t* name, WORD flags, std::vector<Value> args = {}) {
    Answer answer;
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    answer.hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(answer.hr)) return answer;
    std::vector<VARIANT> reversed;
    for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(it->v);
    DISPID putId = DISPID_PROPERTYPUT;
    const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), put ? &putId : nullptr, static_cast<UINT>(reversed.size()),
                      put ? 1u : 0u};
    EXCEPINFO exception{};
    answer.hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, put ? nullptr : &answer.result.v, &exception, nullptr);
    answer.scode = exception.scode;
    if (exception.bstrDescription) answer.description = exception.bstrDescription;
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    return answer;
}

Answer get(IDispatch* object, const wchar_t* name, std::vector<Value> args = {}) {
    return invoke(object, name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, std::move(args));
}

/// A raised error as the add-in sees it: DISP_E_EXCEPTION with a failing scode and a description.
void expectRaised(const Answer& answer, const wchar_t* call) {
    EXPECT_EQ(answer.hr, DISP_E_EXCEPTION) << call;
    EXPECT_TRUE(FAILED(answer.scode)) << call;
    EXPECT_FALSE(answer.description.empty()) << call;
}

Value tagArray(VARTYPE type, const std::vector<long>& tags) {
    Value array;
    SAFEARRAY* values = SafeArrayCreateVector(type, 0, static_cast<ULONG>(tags.size()));
    for (LONG i = 0; i < static_cast<LONG>(tags.size()); ++i) {
        Value tag(tags[static_cast<size_t>(i)]);
        if (type == VT_VARIANT) SafeArrayPutElement(values, &i, &tag.v);
        else SafeArrayPutElement(values, &i, &V_I4(&tag.v));
    }
    V_VT(&array.v) = VT_ARRAY | type;
    V_ARRAY(&array.v) = values;
    return array;
}

std::vector<long> tagsOf(const Value& array) {
    std::vector<long> tags;
    if (V_VT(&array.v) != (VT_ARRAY | VT_VARIANT)) return tags;
    LONG low = 0, high = -1;
    SafeArrayGetLBound(V_ARRAY(&array.v), 1, &low);
    SafeArrayGetUBound(V_ARRAY(&array.v), 1, &high);
    for (LONG i = low; i <= high; ++i) {
        Value element;
        SafeArrayGetElement(V_ARRAY(&array.v), &i, &element.v);
        tags.push_back(V_VT(&element.v) == VT_I4 ? V_I4(&element.v) : -1);
    }
    return tags;
}

class SafeMailLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        module_ = LoadLibraryW(libraryPath().c_str());
        ASSERT_NE(module_, nullptr) << "tarnredemption.dll beside the test program";
    }
    void TearDown() override {
        CoUninitialize();
        if (module_) FreeLibrary(module_);
    }

    /// A new object of the class straight from the library's class factory (no registry involved).
    IDispatch* create(const LibraryClass& c) {
        using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
        auto getClassObject = reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(module_, "DllGetClassObject")));
        IClassFactory* factory = nullptr;
        IDispatch* object = nullptr;
        if (getClassObject && SUCCEEDED(getClassObject(c.id, IID_IClassFactory, reinterpret_cast<void**>(&factory)))) {
            factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&object));
            factory->Release();
        }
        objects_.push_back(object);
        return object;
    }
    /// Whether the library says it may be unloaded: every object it handed out has gone.
    bool canUnload() {
        for (IDispatch* object : objects_)
            if (object) object->Release();
        objects_.clear();
        using CanUnload = HRESULT(STDAPICALLTYPE*)();
        auto canUnloadNow = reinterpret_cast<CanUnload>(reinterpret_cast<void*>(GetProcAddress(module_, "DllCanUnloadNow")));
        return canUnloadNow && canUnloadNow() == S_OK;
    }

    HMODULE module_ = nullptr;
    std::vector<IDispatch*> objects_;
};

TEST_F(SafeMailLibrary, RegsvrWritesTheFourClassesAndUnregisteringLeavesTheRegistryAsItWas) {
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
            << value;
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
    EXPECT_EQ(V_DISPATCH(&bound.result.v), nullptr);
    EXPECT_TRUE(canUnload());
}

TEST_F(SafeMailLibrary, ObjectsThatAreNotTheClientsItemsRaiseADescribedError) {
    IDispatch* item = create(kSafeMailItem);
    IDispatch* table = create(kMapiTable);
    IDispatch* utils = create(kMapiUtils);
    ASSERT_TRUE(item && table && utils);
    // The library's own objects have neither a MAPI object nor a folder.
    expectRaised(invoke(item, L"Item", DISPATCH_PROPERTYPUTREF, {Value(utils)}), L"SafeMailItem.Item = utils");
    expectRaised(invoke(item, L"Item", DISPATCH_PROPERTYPUT, {Value(static_cast<IDispatch*>(nullptr))}), L"SafeMailItem.Item = Nothing");
    expectRaised(invoke(table, L"Item", DISPATCH_PROPERTYPUTREF, {Value(item)}), L"MAPITable.Item = item");
    expectRaised(invoke(table, L"Item", DISPATCH_PROPERTYPUT, {Value(42L)}), L"MAPITable.Item = 42");
    Answer noMapi = get(utils, L"HrGetOneProp", {Value(table), Value(0x007D001EL)});
    expectRaised(noMapi, L"HrGetOneProp");
    EXPECT_NE(noMapi.scode, S_OK);
    // The item stays unbound after a refused Item.
    EXPECT_EQ(get(item, L"Body").description, L"Item is not set.");
    EXPECT_TRUE(canUnload());
}

TEST_F(SafeMailLibrary, TableFilterKnowsOnlyBitMasksAndKeepsWhatIsSetInIt) {
    IDispatch* table = create(kMapiTable);
    ASSERT_NE(table, nullptr);
    Answer filter = get(table, L"Filter");
    ASSERT_EQ(filter.hr, S_OK);
    ASSERT_EQ(V_VT(&filter.result.v), VT_DISPATCH);
    IDispatch* filterObject = V_DISPATCH(&filter.result.v);

    Answer content = get(filterObject, L"SetKind", {Value(3L)});
    expectRaised(content, L"SetKind(3)");
    EXPECT_EQ(content.scode, E_INVALIDARG);
    Answer bitmask = get(filterObject, L"SetKind", {Value(6L)});
    ASSERT_EQ(bitmask.hr, S_OK);
    ASSERT_EQ(V_VT(&bitmask.result.v), VT_DISPATCH);
    IDispatch* restriction = V_DISPATCH(&bitmask.result.v);
    EXPECT_EQ(invoke(restriction, L"ulPropTag", DISPATCH_PROPERTYPUT, {Value(0x0E070003L)}).hr, S_OK);
    EXPECT_EQ(invoke(restriction, L"ulMask", DISPATCH_PROPERTYPUT, {Value(1L)}).hr, S_OK);
    EXPECT_EQ(invoke(restriction, L"relBMR", DISPATCH_PROPERTYPUT, {Value(1L)}).hr, S_OK);
    auto number = [restriction](const wchar_t* name) {
        Answer answer = get(restriction, name);
        return V_VT(&answer.result.v) == VT_I4 ? V_I4(&answer.result.v) : -1L;
    };
    EXPECT_EQ(number(L"ulPropTag"), 0x0E070003L);
    EXPECT_EQ(number(L"ulMask"), 1L);
    EXPECT_EQ(number(L"relBMR"), 1L);
    EXPECT_EQ(get(filterObject, L"Clear").hr, S_OK);
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
    EXPECT_TRUE(canUnload());
}

TEST_F(SafeMailLibrary, FilterAndRestrictionObjectsGoWithTheirLastReference) {
    IDispatch* table = create(kMapiTable);
    ASSERT_NE(table, nullptr);
    {
        Answer filter = get(table, L"Filter");
        ASSERT_EQ(V_VT(&filter.result.v), VT_DISPATCH);
        Answer restriction = get(V_DISPATCH(&filter.result.v), L"SetKind", {Value(6L)});
        EXPECT_EQ(restriction.hr, S_OK);
    }
    EXPECT_TRUE(canUnload());
}

TEST_F(SafeMailLibrary, WithoutAMapiSessionTheSessionCallsFailCleanly) {
    IDispatch* utils = create(kMapiUtils);
    IDispatch* lists = create(kAddressLists);
    ASSERT_TRUE(utils && lists);
    // Wine's own mapi32 has no profile to share: nothing to flush, and no prompt.
    Answer deliver = get(utils, L"DeliverNow", {Value(0L), Value(0L)});
    EXPECT_EQ(deliver.hr, S_OK) << std::string(deliver.description.begin(), deliver.description.end());
    EXPECT_EQ(V_VT(&deliver.result.v), VT_BOOL);
    EXPECT_EQ(V_BOOL(&deliver.result.v), VARIANT_FALSE);
    Answer count = get(lists, L"Count");
    expectRaised(count, L"AddressLists.Count");
    EXPECT_NE(count.description.find(L"address lists"), std::wstring::npos);
    EXPECT_EQ(get(utils, L"Cleanup").hr, S_OK);
    EXPECT_EQ(get(utils, L"Cleanup").hr, S_OK) << "a second Cleanup has nothing left to let go of";
    EXPECT_TRUE(canUnload());
}

}  // namespace
}  // namespace tw::winetest
