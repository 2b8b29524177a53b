// Late-bound calls on the safe mail library's objects for its Wine tests: values, answers with their raised errors, the library's classes.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <string>
#include <vector>

namespace tw::winetest::safemail {

struct LibraryClass {
    const wchar_t* progId;
    CLSID id;
};

constexpr CLSID libraryClassId(unsigned long first) {
    return {first, 0x8B5D, 0x4E21, {0xA6, 0x3E, 0x51, 0x0C, 0x9D, 0x27, 0xB4, 0x81}};
}

inline const LibraryClass kSafeMailItem{L"TarnwickRedemption.TarnwickSafeMailItem", libraryClassId(0x3F1C2A70)};
inline const LibraryClass kMapiUtils{L"TarnwickRedemption.TarnwickMAPIUtils", libraryClassId(0x3F1C2A71)};
inline const LibraryClass kMapiTable{L"TarnwickRedemption.TarnwickMAPITable", libraryClassId(0x3F1C2A72)};
inline const LibraryClass kAddressLists{L"TarnwickRedemption.TarnwickAddressLists", libraryClassId(0x3F1C2A73)};

inline std::wstring libraryPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1) + L"tarnredemption.dll";
}

/// An owned VARIANT.
struct Value {
    VARIANT v;
    Value() { VariantInit(&v); }
    explicit Value(long n) : Value() {
        V_VT(&v) = VT_I4;
        V_I4(&v) = n;
    }
    explicit Value(bool b) : Value() {
        V_VT(&v) = VT_BOOL;
        V_BOOL(&v) = b ? VARIANT_TRUE : VARIANT_FALSE;
    }
    explicit Value(const std::wstring& text) : Value() {
        V_VT(&v) = VT_BSTR;
        V_BSTR(&v) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    }
    explicit Value(IDispatch* object) : Value() {
        V_VT(&v) = VT_DISPATCH;
        V_DISPATCH(&v) = object;
        if (object) object->AddRef();
    }
    Value(const Value& other) : Value() { VariantCopy(&v, const_cast<VARIANT*>(&other.v)); }
    Value& operator=(const Value&) = delete;
    ~Value() { VariantClear(&v); }

    VARTYPE type() const { return V_VT(&v); }
    IDispatch* object() const { return V_VT(&v) == VT_DISPATCH ? V_DISPATCH(&v) : nullptr; }
    std::wstring text() const {
        return V_VT(&v) == VT_BSTR && V_BSTR(&v) ? std::wstring(V_BSTR(&v), SysStringLen(V_BSTR(&v))) : std::wstring();
    }
    long number() const { return V_VT(&v) == VT_I4 ? V_I4(&v) : -1; }
    bool isTrue() const { return V_VT(&v) == VT_BOOL && V_BOOL(&v) != VARIANT_FALSE; }
};

/// What one late-bound call answered, with the error it raised.
struct Answer {
    HRESULT hr = S_OK;
    HRESULT scode = S_OK;
    std::wstring description;
    Value result;
    std::string why() const { return std::string(description.begin(), description.end()); }
};

inline Answer invoke(IDispatch* object, const wchar_t* name, WORD flags, std::vector<Value> args = {}) {
    Answer answer;
    if (!object) {
        answer.hr = E_POINTER;
        return answer;
    }
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

/// A member read as the add-in reads it: property get or method call.
inline Answer get(IDispatch* object, const wchar_t* name, std::vector<Value> args = {}) {
    return invoke(object, name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, std::move(args));
}

inline Answer putRef(IDispatch* object, const wchar_t* name, IDispatch* value) {
    return invoke(object, name, DISPATCH_PROPERTYPUTREF, {Value(value)});
}

/// A raised error as the add-in sees it: DISP_E_EXCEPTION with a failing scode and a description.
inline void expectRaised(const Answer& answer, const wchar_t* call) {
    EXPECT_EQ(answer.hr, DISP_E_EXCEPTION) << call;
    EXPECT_TRUE(FAILED(answer.scode)) << call;
    EXPECT_FALSE(answer.description.empty()) << call;
}

/// A one-dimensional array's elements.
inline std::vector<Value> elementsOf(const Value& array) {
    std::vector<Value> out;
    if (V_VT(&array.v) != (VT_ARRAY | VT_VARIANT) || !V_ARRAY(&array.v)) return out;
    LONG low = 0, high = -1;
    SafeArrayGetLBound(V_ARRAY(&array.v), 1, &low);
    SafeArrayGetUBound(V_ARRAY(&array.v), 1, &high);
    for (LONG i = low; i <= high; ++i) {
        out.emplace_back();
        SafeArrayGetElement(V_ARRAY(&array.v), &i, &out.back().v);
    }
    return out;
}

/// An array of property tags, of VARIANTs or of 4-byte integers.
inline Value tagArray(VARTYPE type, const std::vector<long>& tags) {
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

/// The library loaded from beside the test program; its objects made straight by its class factory,
/// so the stand-in's in-process test classes of the same ProgIDs do not stand in for them.
class LoadedLibrary {
public:
    LoadedLibrary() : module_(LoadLibraryW(libraryPath().c_str())) {}
    ~LoadedLibrary() {
        for (IDispatch* object : objects_)
            if (object) object->Release();
        if (module_) FreeLibrary(module_);
    }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    bool loaded() const { return module_ != nullptr; }
    /// A new object of the class; the library keeps the reference until it goes or releaseAll.
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
    void releaseAll() {
        for (IDispatch* object : objects_)
            if (object) object->Release();
        objects_.clear();
    }
    /// Whether the library says it may be unloaded (no object of it left, no session held).
    bool canUnload() const {
        using CanUnload = HRESULT(STDAPICALLTYPE*)();
        auto canUnloadNow = reinterpret_cast<CanUnload>(reinterpret_cast<void*>(GetProcAddress(module_, "DllCanUnloadNow")));
        return canUnloadNow && canUnloadNow() == S_OK;
    }

private:
    HMODULE module_ = nullptr;
    std::vector<IDispatch*> objects_;
};

}  // namespace tw::winetest::safemail
