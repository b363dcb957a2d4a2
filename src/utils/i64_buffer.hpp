// i64_buffer: a one-dimensional, native-order int64 view of an object's buffer, or nothing.
#pragma once

#include <Python.h>

#include <cstdint>
#include <utility>

namespace brisko {

// An acquired buffer view, released on destruction. Empty when nothing was acquired.
class BufferView {
public:
    BufferView() = default;
    BufferView(BufferView&& other) noexcept : view_(other.view_), held_(std::exchange(other.held_, false)) {}
    BufferView& operator=(BufferView&& other) noexcept {
        if (this != &other) {
            release();
            view_ = other.view_;
            held_ = std::exchange(other.held_, false);
        }
        return *this;
    }
    BufferView(const BufferView&) = delete;
    BufferView& operator=(const BufferView&) = delete;
    ~BufferView() { release(); }

    explicit operator bool() const noexcept { return held_; }
    Py_buffer* get() noexcept { return &view_; }

    // Still C-contiguous with data behind it: the condition for reading it as a flat array.
    bool readable() const noexcept {
        return held_ && view_.buf != nullptr && PyBuffer_IsContiguous(&view_, 'C');
    }
    const std::int64_t* data() const noexcept { return static_cast<const std::int64_t*>(view_.buf); }
    std::size_t length() const noexcept { return std::size_t(view_.len / view_.itemsize); }

    void release() noexcept {
        if (std::exchange(held_, false)) PyBuffer_Release(&view_);
    }

private:
    friend BufferView i64_buffer(PyObject* obj) noexcept;
    Py_buffer view_{};
    bool held_ = false;
};

// The object's buffer when it is one-dimensional, 8-byte aligned, of item size 8 and an int64
// format in native byte order; else an empty view. Never raises: an exporter's error is cleared.
BufferView i64_buffer(PyObject* obj) noexcept;

// i64_buffer, further required to be readable as a flat array (C-contiguous, data present).
BufferView readable_i64_buffer(PyObject* obj) noexcept;

}  // namespace brisko
