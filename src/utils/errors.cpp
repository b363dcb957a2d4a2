// Shared error rules.
#include "errors.hpp"

namespace brisko {

PyObject* ffi_err() noexcept {
    if (!PyErr_Occurred()) PyErr_SetString(PyExc_SystemError, "FFI call failed without setting an exception");
    return nullptr;
}

PyObject* fetch_err() noexcept {
    if (!PyErr_Occurred()) PyErr_SetString(PyExc_SystemError, "attempted to fetch exception but none was set");
    return nullptr;
}

int discard_exception() noexcept {
    if (!PyErr_ExceptionMatches(PyExc_Exception)) return -1;
    PyErr_Clear();
    return 0;
}

bool is_lookup_error() noexcept {
    return PyErr_ExceptionMatches(PyExc_KeyError) || PyErr_ExceptionMatches(PyExc_IndexError) ||
           PyErr_ExceptionMatches(PyExc_TypeError);
}

PyObject* stop_iteration() noexcept {
    PyErr_SetNone(PyExc_StopIteration);
    return nullptr;
}

PyObject* iter_end_or_error() noexcept {
    if (PyErr_Occurred() && PyErr_ExceptionMatches(PyExc_StopIteration)) PyErr_Clear();
    return nullptr;
}

}  // namespace brisko
