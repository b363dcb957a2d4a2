// Owned: the one owning reference type. A raw PyObject* in this code base never owns.
#pragma once

#include <Python.h>

#include <utility>

namespace brisko {

class Owned {
public:
    constexpr Owned() noexcept = default;
    constexpr Owned(std::nullptr_t) noexcept {}

    // Adopts a new reference (what most API calls return); null stays null.
    [[nodiscard]] static Owned steal(PyObject* p) noexcept { return Owned(p); }
    // Takes an extra reference to a pointer we were lent.
    [[nodiscard]] static Owned borrow(PyObject* p) noexcept { return Owned(Py_XNewRef(p)); }

    Owned(Owned&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    Owned& operator=(Owned&& other) noexcept {
        // Swap first: the decref may run Python code that reads this very field.
        PyObject* old = std::exchange(ptr_, std::exchange(other.ptr_, nullptr));
        Py_XDECREF(old);
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() { Py_XDECREF(ptr_); }

    [[nodiscard]] PyObject* get() const noexcept { return ptr_; }
    // Hands ownership to the caller.
    [[nodiscard]] PyObject* release() noexcept { return std::exchange(ptr_, nullptr); }
    void reset() noexcept { Py_XDECREF(std::exchange(ptr_, nullptr)); }
    explicit operator bool() const noexcept { return ptr_ != nullptr; }

private:
    explicit Owned(PyObject* p) noexcept : ptr_(p) {}
    PyObject* ptr_ = nullptr;
};

}  // namespace brisko
