// Item access with a shortcut for the commonest case: an exact list indexed by a small exact int.
#pragma once

#include <Python.h>

namespace brisko {

// coll[key]. An exact list with an in-range compact int index is read directly, which gives the
// same element list.__getitem__ would; every other case (and every error) goes through the host.
inline PyObject* get_item(PyObject* coll, PyObject* key) {
    if (PyList_CheckExact(coll) && PyLong_CheckExact(key) &&
        PyUnstable_Long_IsCompact(reinterpret_cast<PyLongObject*>(key))) {
        Py_ssize_t i = PyUnstable_Long_CompactValue(reinterpret_cast<PyLongObject*>(key));
        Py_ssize_t size = PyList_GET_SIZE(coll);
        if (i < 0) i += size;
        if (i >= 0 && i < size) return Py_NewRef(PyList_GET_ITEM(coll, i));
    }
    return PyObject_GetItem(coll, key);
}

}  // namespace brisko
