// ArgVector: the argument vector of one vectorcall that has to be assembled (merged, reordered).
#pragma once

#include <Python.h>

#include <array>
#include <cstddef>
#include <vector>

namespace brisko {

// Borrowed pointers with one free slot in front of them, so the call may pass
// PY_VECTORCALL_ARGUMENTS_OFFSET and a bound method prepends `self` without copying. Vectors of up
// to INLINE arguments live on the stack; longer ones take one allocation.
class ArgVector {
public:
    static constexpr std::size_t INLINE = 8;

    explicit ArgVector(std::size_t n) {
        if (n > INLINE) {
            heap_.resize(n + 1);
            data_ = heap_.data();
        }
    }
    ArgVector(const ArgVector&) = delete;
    ArgVector& operator=(const ArgVector&) = delete;

    // The first argument; args()[-1] is the free slot.
    PyObject** args() noexcept { return data_ + 1; }
    PyObject*& operator[](std::size_t i) noexcept { return data_[i + 1]; }

private:
    std::array<PyObject*, INLINE + 1> inline_{};
    std::vector<PyObject*> heap_;
    PyObject** data_ = inline_.data();
};

}  // namespace brisko
