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

void stop_iteration_is_an_error(const char* tool) noexcept {
    if (!PyErr_ExceptionMatches(PyExc_StopIteration)) return;
    PyObject* stop = PyErr_GetRaisedException();
    PyErr_Format(PyExc_RuntimeError, "%s callback raised StopIteration", tool);
    PyObject* error = PyErr_GetRaisedException();
    // Both steal: the cause shows in the traceback, and the context is what an `except` would set.
    PyException_SetCause(error, Py_NewRef(stop));
    PyException_SetContext(error, stop);
    PyErr_SetRaisedException(error);
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
