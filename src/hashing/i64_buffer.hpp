// readable_i64_buffer: a one-dimensional, native-order int64 view of an object's buffer, or nothing.
#pragma once

#include <Python.h>

#include <cstdint>
#include <memory>

#include "../core/gc_visit.hpp"

namespace brisko {

// An acquired buffer view, released on destruction. The Py_buffer lives on the heap and never
// moves: an exporter may point the view's shape or strides into the Py_buffer itself (array.array
// does), so copying the struct would leave them dangling.
class BufferView {
public:
    BufferView() = default;
    BufferView(BufferView&&) noexcept = default;
    BufferView& operator=(BufferView&&) noexcept = default;

    explicit operator bool() const noexcept { return bool(view_); }

    // Still C-contiguous with data behind it: the condition for reading it as a flat array.
    bool readable() const noexcept { return view_ && view_->buf != nullptr && PyBuffer_IsContiguous(view_.get(), 'C'); }
    const std::int64_t* data() const noexcept { return static_cast<const std::int64_t*>(view_->buf); }
    std::size_t length() const noexcept { return std::size_t(view_->len / view_->itemsize); }

    void release() noexcept { view_.reset(); }

    // The exporter the view keeps alive.
    int traverse(const GcVisit& visit) const { return view_ && view_->obj ? visit.visit(view_->obj, visit.arg) : 0; }

private:
    friend BufferView readable_i64_buffer(PyObject* obj) noexcept;

    struct Release {
        void operator()(Py_buffer* view) const noexcept {
            PyBuffer_Release(view);
            delete view;
        }
    };
    std::unique_ptr<Py_buffer, Release> view_;
};

// Element i of a buffer that another thread or process may be writing meanwhile. Read exactly
// once and whole (a relaxed atomic load; a plain mov on the usual targets): the compiler may not
// read it again, so the value a caller checks or indexes with is the value it keeps.
//
// A user who writes the buffer while it is counted races by their own choice, and the count
// promises only values the buffer held; ThreadSanitizer, seeing their plain store against this
// load, would report that race as brisko's. So under it this one load, and nothing else brisko
// reads or writes, goes uninstrumented (out of line, as the instrumented callers may not take it in).
#if defined(__SANITIZE_THREAD__)
[[gnu::no_sanitize("thread"), gnu::noinline]]
#endif
inline std::int64_t read_element(const std::int64_t* data, std::size_t i) noexcept {
    return __atomic_load_n(data + i, __ATOMIC_RELAXED);
}

// The object's buffer when it is one-dimensional, 8-byte aligned, of item size 8, an int64 format
// in native byte order and readable as a flat array (C-contiguous, data present); else an empty
// view. An exporter's Exception is cleared; only an interrupt (or another BaseException-only
// failure) stays pending, so an empty view with an exception set is an error.
BufferView readable_i64_buffer(PyObject* obj) noexcept;

}  // namespace brisko
