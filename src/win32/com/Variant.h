// A VARIANT that owns what it holds, with the conversions the adapters need in one place.
#pragma once

#include <oaidl.h>

#include <cstdint>
#include <string>

#include "core/OleDate.h"
#include "win32/com/ComPtr.h"

namespace tw::win32 {

/// A BSTR that is freed when it goes.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(const std::string& utf8);
    ~Bstr() { SysFreeString(raw_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return raw_; }
    BSTR* put() {
        SysFreeString(raw_);
        raw_ = nullptr;
        return &raw_;
    }
    std::string utf8() const;

private:
    BSTR raw_ = nullptr;
};

class Variant {
public:
    Variant() { VariantInit(&value_); }
    Variant(int32_t number);
    Variant(bool flag);
    Variant(double number);
    Variant(const std::string& text);
    Variant(const char* text) : Variant(std::string(text)) {}
    Variant(OleDate date);
    /// Holds the object with a reference of its own; a null object is Nothing.
    Variant(IDispatch* object);
    /// An optional argument left out.
    static Variant missing();
    /// Copies a VARIANT owned by someone else.
    static Variant copyOf(const VARIANT& other);

    Variant(const Variant& other);
    Variant(Variant&& other) noexcept;
    Variant& operator=(Variant other) noexcept;
    ~Variant() { VariantClear(&value_); }

    VARIANT* get() { return &value_; }
    const VARIANT& raw() const { return value_; }
    /// For out-parameters: clears what is held and answers the slot.
    VARIANT* put();

    /// Empty, Null or an object reference that is Nothing.
    bool isNothing() const;
    /// Conversions as a late-bound caller makes them; a value that cannot convert raises Error 13.
    std::string toString() const;
    int32_t toInt() const;
    bool toBool() const;
    double toDouble() const;
    OleDate toDate() const;
    /// The object held, or empty for Nothing; anything else raises Error 13.
    ComPtr<IDispatch> toDispatch() const;

private:
    VARIANT value_;
};

}  // namespace tw::win32
