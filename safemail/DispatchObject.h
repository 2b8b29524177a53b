// A small late-bound IDispatch base: members by name, readers and writers, every failure a described COM error.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ComRef.h"

namespace tarn {

/// A failure raised inside a member; Invoke answers it as DISP_E_EXCEPTION with this scode and text.
struct ComError {
    HRESULT scode;
    std::wstring description;
};

[[noreturn]] void raise(HRESULT scode, const std::wstring& description);

/// An owned VARIANT.
class Variant {
public:
    Variant() { VariantInit(&v_); }
    Variant(const Variant& other);
    Variant& operator=(const Variant& other);
    ~Variant() { VariantClear(&v_); }
    VARIANT* get() { return &v_; }
    const VARIANT& raw() const { return v_; }
    /// Hands the value over to `out` (which must be empty), leaving this one empty.
    void moveTo(VARIANT* out);

private:
    VARIANT v_;
};

/// The positional arguments of one call, first argument first.
class Args {
public:
    explicit Args(const DISPPARAMS* params, bool put);
    size_t count() const { return positional_.size(); }
    bool has(size_t i) const;
    /// The argument, by-reference variants followed; raises when it is missing.
    const VARIANT& at(size_t i) const;
    long toInt(size_t i) const;
    bool toBool(size_t i, bool missing) const;
    std::wstring toText(size_t i) const;
    /// The object passed (IDispatch or IUnknown answering IDispatch); null for Nothing; raises otherwise.
    Com<IDispatch> toObject(size_t i) const;
    /// The value of a property put.
    const VARIANT& value() const;
    /// The object a property put sets; null for Nothing; raises for anything else.
    Com<IDispatch> valueObject() const;

private:
    std::vector<const VARIANT*> positional_;
    const VARIANT* value_ = nullptr;
};

// COM objects go with Release, never through a base pointer's delete; the base's destructor is virtual here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class DispatchObject : public IDispatch {
public:
    using Reader = std::function<void(const Args&, Variant& result)>;
    using Writer = std::function<void(const Args&)>;

    explicit DispatchObject(const wchar_t* className);
    virtual ~DispatchObject();
    DispatchObject(const DispatchObject&) = delete;
    DispatchObject& operator=(const DispatchObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* badArgument) override;

    /// Live objects of this library, for DllCanUnloadNow.
    static LONG liveObjects();

protected:
    /// A member read by property get or method call.
    void reader(const wchar_t* name, Reader read);
    /// A property that can also be put (by value or by reference).
    void property(const wchar_t* name, Reader read, Writer write);

private:
    struct Member {
        std::wstring name;
        Reader read;
        Writer write;
    };
    std::vector<Member> members_;
    std::wstring className_;
    LONG refs_ = 1;
};
#pragma GCC diagnostic pop

/// Result helpers.
void setText(Variant& result, const std::wstring& text);
void setInt(Variant& result, long value);
void setBool(Variant& result, bool value);
/// Takes over the reference `object` carries (null answers Nothing).
void setObject(Variant& result, IDispatch* object);

}  // namespace tarn
