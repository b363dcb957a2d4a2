// The acceptance rule for int64 buffers: anything doubtful takes the generic path instead.
#include "i64_buffer.hpp"

#include "../core/errors.hpp"

#include <cstring>
#include <new>

namespace brisko {
namespace {

constexpr char NATIVE_ORDER = PY_LITTLE_ENDIAN ? '<' : '>';

bool is_native_int64_format(const char* format) {
    if (!format) return false;  // a missing format means "B"
    if (format[0] == '=' || format[0] == NATIVE_ORDER) return std::strcmp(format + 1, "q") == 0;
    if (format[0] == '@') ++format;
    return (format[0] == 'q' || format[0] == 'l' || format[0] == 'n') && format[1] == '\0';
}

}  // namespace

BufferView readable_i64_buffer(PyObject* obj) noexcept {
    BufferView result;
    if (PyObject_CheckBuffer(obj) != 1) return result;
    auto* view = new (std::nothrow) Py_buffer();
    if (!view) return result;
    if (PyObject_GetBuffer(obj, view, PyBUF_FULL_RO) < 0) {
        delete view;
        discard_exception();
        return result;
    }
    result.view_.reset(view);
    const Py_buffer& v = *view;
    bool accepted = v.shape != nullptr && v.strides != nullptr && v.itemsize == 8 && is_native_int64_format(v.format) &&
                    reinterpret_cast<std::uintptr_t>(v.buf) % 8 == 0 && v.ndim == 1;
    if (!accepted || !result.readable()) result.release();
    return result;
}

}  // namespace brisko
