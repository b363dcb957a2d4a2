// Calls into user code on the hot path: vectorcall with room to prepend `self`, and truth tests
// (of a result, and of ==) that skip the host call for the bools most predicates return.
#pragma once

#include <Python.h>

#include <cstring>

#include "errors.hpp"
#include "owned.hpp"

namespace brisko {

// func(*args), straight through the callable's own vectorcall entry when it has one: the entry
// the host's PyObject_Vectorcall reads too, there behind a function call and a check of the
// result. A callable that fails without setting an exception still gets SystemError.
inline PyObject* vectorcall(PyObject* func, PyObject* const* args, std::size_t nargsf) {
    PyTypeObject* type = Py_TYPE(func);
    if (PyType_HasFeature(type, Py_TPFLAGS_HAVE_VECTORCALL)) {
        vectorcallfunc entry;
        std::memcpy(&entry, reinterpret_cast<char*>(func) + type->tp_vectorcall_offset, sizeof entry);
        if (entry) {
            PyObject* result = entry(func, args, nargsf, nullptr);
            return result ? result : ffi_err();
        }
    }
    return PyObject_Vectorcall(func, args, nargsf, nullptr);
}

inline PyObject* call_one(PyObject* func, PyObject* arg) {
    PyObject* argv[2] = {nullptr, arg};
    return vectorcall(func, argv + 1, 1 | PY_VECTORCALL_ARGUMENTS_OFFSET);
}

inline PyObject* call_two(PyObject* func, PyObject* first, PyObject* second) {
    PyObject* argv[3] = {nullptr, first, second};
    return vectorcall(func, argv + 1, 2 | PY_VECTORCALL_ARGUMENTS_OFFSET);
}

// 1, 0, or -1 with the exception of the object's __bool__/__len__.
inline int truth(PyObject* obj) {
    if (obj == Py_True) return 1;
    if (obj == Py_False || obj == Py_None) return 0;
    return PyObject_IsTrue(obj);
}

// The truth of `a == b`: 1, 0, or -1 with the exception of the comparison or of its result's
// truth. No identity shortcut, as == has none: a NaN is not equal to itself here.
inline int equals(PyObject* a, PyObject* b) {
    Owned result = Owned::steal(PyObject_RichCompare(a, b, Py_EQ));
    return result ? truth(result.get()) : fetch_status();
}

}  // namespace brisko
