// An owning pointer to a COM interface: one reference, released when it goes.
#pragma once

#include <unknwn.h>

#include <utility>

namespace tw::win32 {

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    /// Takes over a reference the caller already holds.
    static ComPtr adopt(T* raw) {
        ComPtr p;
        p.raw_ = raw;
        return p;
    }
    /// Adds a reference of its own.
    static ComPtr share(T* raw) {
        if (raw) raw->AddRef();
        return adopt(raw);
    }
    ComPtr(const ComPtr& other) : raw_(other.raw_) {
        if (raw_) raw_->AddRef();
    }
    ComPtr(ComPtr&& other) noexcept : raw_(std::exchange(other.raw_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(raw_, other.raw_);
        return *this;
    }
    ~ComPtr() { reset(); }

    void reset() {
        if (T* old = std::exchange(raw_, nullptr)) old->Release();
    }
    T* get() const { return raw_; }
    T* operator->() const { return raw_; }
    explicit operator bool() const { return raw_ != nullptr; }
    /// For out-parameters: releases what is held and answers the slot.
    T** put() {
        reset();
        return &raw_;
    }
    T* detach() { return std::exchange(raw_, nullptr); }

    /// Another interface of the same object; empty when the object does not have it.
    template <typename U>
    ComPtr<U> as(const IID& iid) const {
        ComPtr<U> other;
        if (raw_) raw_->QueryInterface(iid, reinterpret_cast<void**>(other.put()));
        return other;
    }

private:
    T* raw_ = nullptr;
};

}  // namespace tw::win32
