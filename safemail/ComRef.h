// An owning COM interface pointer: released when it goes, whatever the path.
#pragma once

#include <unknwn.h>

#include <utility>

namespace tarn {

template <typename T>
class Com {
public:
    Com() = default;
    /// Takes over a reference the caller already holds.
    explicit Com(T* owned) : p_(owned) {}
    Com(const Com& other) : p_(other.p_) {
        if (p_) p_->AddRef();
    }
    Com(Com&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    Com& operator=(Com other) noexcept {
        std::swap(p_, other.p_);
        return *this;
    }
    ~Com() { reset(); }

    /// A new reference to a pointer someone else owns.
    static Com borrow(T* p) {
        if (p) p->AddRef();
        return Com(p);
    }
    void reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    /// The slot for an out parameter; what was held is released first.
    T** put() {
        reset();
        return &p_;
    }
    /// Hands the reference over to the caller.
    T* detach() { return std::exchange(p_, nullptr); }

private:
    T* p_ = nullptr;
};

/// QueryInterface into a Com; empty when the object does not answer the interface.
template <typename T>
Com<T> query(IUnknown* from, REFIID iid) {
    Com<T> out;
    if (from && FAILED(from->QueryInterface(iid, reinterpret_cast<void**>(out.put())))) out.reset();
    return out;
}

}  // namespace tarn
