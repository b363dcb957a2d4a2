// Shared error rules.
#include "errors.hpp"

#include "owned.hpp"

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

PyObject* not_an_instance(PyObject* obj, const char* expected) noexcept {
    if (obj == Py_None) {
        PyErr_Format(PyExc_TypeError, "'None' is not an instance of '%s'", expected);
        return nullptr;
    }
    Owned qualname = Owned::steal(PyType_GetQualName(Py_TYPE(obj)));
    if (qualname) PyErr_Format(PyExc_TypeError, "'%U' object is not an instance of '%s'", qualname.get(), expected);
    return nullptr;
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
