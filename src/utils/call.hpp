// Calls into user code on the hot path: vectorcall with room to prepend `self`, and truth tests
// that skip the host call for the bools most predicates return.
#pragma once

#include <Python.h>

namespace brisko {

inline PyObject* call_one(PyObject* func, PyObject* arg) {
    PyObject* argv[2] = {nullptr, arg};
    return PyObject_Vectorcall(func, argv + 1, 1 | PY_VECTORCALL_ARGUMENTS_OFFSET, nullptr);
}

inline PyObject* call_two(PyObject* func, PyObject* first, PyObject* second) {
    PyObject* argv[3] = {nullptr, first, second};
    return PyObject_Vectorcall(func, argv + 1, 2 | PY_VECTORCALL_ARGUMENTS_OFFSET, nullptr);
}

// 1, 0, or -1 with the exception of the object's __bool__/__len__.
inline int truth(PyObject* obj) {
    if (obj == Py_True) return 1;
    if (obj == Py_False || obj == Py_None) return 0;
    return PyObject_IsTrue(obj);
}

}  // namespace brisko
