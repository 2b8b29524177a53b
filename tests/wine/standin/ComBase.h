// Hand-made IDispatch objects for the stand-in client: members by name, arguments and results as VARIANTs, errors as EXCEPINFO.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <ocidl.h>
#include <olectl.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace tw::standin {

/// An owning COM interface pointer.
template <class T>
class Ref {
public:
    Ref() = default;
    /// Takes a reference of its own.
    Ref(T* p) : p_(p) {  // NOLINT: implicit on purpose, as a COM smart pointer
        if (p_) p_->AddRef();
    }
    /// Takes over the reference the caller holds.
    static Ref adopt(T* p) {
        Ref r;
        r.p_ = p;
        return r;
    }
    Ref(const Ref& other) : Ref(other.p_) {}
    Ref(Ref&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    template <class U>
    Ref(const Ref<U>& other) : Ref(static_cast<T*>(other.get())) {}
    Ref& operator=(Ref other) noexcept {
        std::swap(p_, other.p_);
        return *this;
    }
    ~Ref() { reset(); }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    void reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }
    /// The pointer with its reference, for an out parameter.
    T* detach() { return std::exchange(p_, nullptr); }
    T** put() {
        reset();
        return &p_;
    }

private:
    T* p_ = nullptr;
};

/// A new object, whose first reference the answer holds.
template <class T, class... Args>
Ref<T> make(Args&&... args) {
    return Ref<T>::adopt(new T(std::forward<Args>(args)...));
}

/// A VARIANT that clears itself; copies copy its contents.
class Variant {
public:
    Variant() { VariantInit(&v_); }
    Variant(const VARIANT& v) {
        VariantInit(&v_);
        VariantCopy(&v_, const_cast<VARIANT*>(&v));
    }
    Variant(const Variant& other) : Variant(other.v_) {}
    Variant& operator=(const Variant& other) {
        if (this != &other) {
            VariantClear(&v_);
            VariantCopy(&v_, const_cast<VARIANT*>(&other.v_));
        }
        return *this;
    }
    ~Variant() { VariantClear(&v_); }

    static Variant text(const std::wstring& value);
    static Variant integer(long value);
    static Variant boolean(bool value);
    static Variant date(DATE value);
    static Variant number(double value);
    /// A dispatch pointer (null: Nothing).
    static Variant object(IDispatch* value);
    /// An IUnknown pointer (VT_UNKNOWN).
    static Variant unknown(IUnknown* value);

    VARIANT* get() { return &v_; }
    const VARIANT& value() const { return v_; }
    VARTYPE type() const { return V_VT(&v_); }
    /// The value as text through VariantChangeType; empty when it has none.
    std::wstring asText() const;

private:
    VARIANT v_;
};

/// A BSTR copy of a text; the caller frees it.
BSTR allocText(const std::wstring& text);

/// A COM error the stand-in raises: Invoke answers DISP_E_EXCEPTION with this code and description.
struct ComFault {
    HRESULT code;
    std::wstring description;
};
[[noreturn]] void raise(HRESULT code, const std::wstring& description);
/// An error answered by Invoke itself (DISP_E_TYPEMISMATCH, DISP_E_PARAMNOTFOUND ...), with the argument's position.
struct InvokeFault {
    HRESULT code;
    UINT argument = 0;
};

/// The source named in the errors the client raises.
inline const wchar_t* kErrorSource = L"Microsoft Outlook";

/// Makes the next calls of a member (any object, any case) raise; counts down per call.
void failNext(const std::wstring& member, int count);
/// Forgets the planned failures.
void clearFailures();

/// One call of a member: its arguments in their written order, the value of a put, the result.
class Call {
public:
    Call(const std::wstring& member, WORD flags, DISPPARAMS* params, VARIANT* result);

    const std::wstring& member() const { return member_; }
    bool isPut() const { return put_; }
    /// Positional arguments (without the value of a put).
    size_t count() const { return positional_; }
    /// Present and not passed as "missing".
    bool has(size_t index) const;
    const VARIANT& arg(size_t index) const;
    /// The argument coerced; raise DISP_E_PARAMNOTFOUND when absent, DISP_E_TYPEMISMATCH when it does not convert.
    long toInt(size_t index) const;
    long intOr(size_t index, long fallback) const { return has(index) ? toInt(index) : fallback; }
    std::wstring toText(size_t index) const;
    bool toBool(size_t index) const;
    /// Borrowed; null for Nothing.
    IDispatch* toObject(size_t index) const;
    /// The value a put assigns.
    const VARIANT& value() const;
    std::wstring valueText() const;
    long valueInt() const;
    bool valueBool() const;

    void ret(const std::wstring& value) { ret(Variant::text(value)); }
    void ret(const wchar_t* value) { ret(Variant::text(value)); }
    void ret(long value) { ret(Variant::integer(value)); }
    void ret(int value) { ret(Variant::integer(value)); }
    void ret(bool value) { ret(Variant::boolean(value)); }
    void retDate(DATE value) { ret(Variant::date(value)); }
    void ret(IDispatch* value) { ret(Variant::object(value)); }
    void ret(const Variant& value);

private:
    const VARIANT& coerce(size_t index, VARTYPE type, Variant& out) const;
    const VARIANT* raw(size_t index) const;

    std::wstring member_;
    DISPPARAMS* params_;
    VARIANT* result_;
    bool put_;
    size_t positional_;
};

class ConnectionPoint;

/// The private interface by which the stand-in recognises its own objects behind an IDispatch.
inline constexpr IID IID_StandInObject = {0x5B0E7C21, 0x3D94, 0x4A6F, {0x9C, 0x11, 0x2E, 0x7D, 0x40, 0xA8, 0x63, 0x15}};

// The COM interfaces have no virtual destructor by design: objects delete themselves in Release.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

/// An IDispatch object whose members are registered by name; DISPIDs count from 1 in registration order.
class DispObject : public IDispatch, public IConnectionPointContainer {
public:
    using Handler = std::function<void(Call&)>;

    DispObject();
    DispObject(const DispObject&) = delete;
    DispObject& operator=(const DispObject&) = delete;
    virtual ~DispObject();

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* excep, UINT* argErr) override;
    // IConnectionPointContainer, answered only by objects with connection points
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** out) override;

    /// The object's connection point for an event interface, or null.
    ConnectionPoint* point(const IID& events) const;
    /// Drops every sink advised on the object's connection points (teardown).
    void dropSinks();

protected:
    /// A read-only property or a method.
    void method(const std::wstring& name, Handler get);
    /// A method the object has only while present() says so; else its name is unknown.
    void methodIf(const std::wstring& name, std::function<bool()> present, Handler get);
    /// A property that can be read and assigned (put and putref alike).
    void property(const std::wstring& name, Handler get, Handler put);
    void addPoint(const IID& events);

private:
    struct Member {
        std::wstring name;
        Handler get, put;
        std::function<bool()> present;
    };
    std::vector<Member> members_;
    std::vector<Ref<ConnectionPoint>> points_;
    LONG refs_ = 1;
};

#pragma GCC diagnostic pop

/// The serial number the next stand-in object gets; objects are numbered as they are made.
unsigned long nextObjectSerial();
/// How many stand-in objects made from that serial number on are alive.
long liveObjects(unsigned long sinceSerial);
/// Drops the sinks of those objects, so cycles through sinks that were never unadvised end.
void dropEverySink(unsigned long sinceSerial);

/// The stand-in object behind a dispatch pointer, or null for anything else.
DispObject* standInObject(IDispatch* object);
template <class T>
T* standInAs(IDispatch* object) {
    return dynamic_cast<T*>(standInObject(object));
}

}  // namespace tw::standin
