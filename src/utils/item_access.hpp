// Item access with a shortcut for the commonest case: an exact list or tuple indexed by a small
// exact int.
#pragma once

#include <Python.h>

namespace brisko {

// coll[key]. An exact list or tuple with an in-range compact int index is read directly, which
// gives the element its own __getitem__ would; every other case (and every error) goes through
// the host.
inline PyObject* get_item(PyObject* coll, PyObject* key) {
    if (PyLong_CheckExact(key) && PyUnstable_Long_IsCompact(reinterpret_cast<PyLongObject*>(key))) {
        PyObject** items;
        Py_ssize_t size;
        if (PyList_CheckExact(coll)) {
            items = reinterpret_cast<PyListObject*>(coll)->ob_item;
            size = PyList_GET_SIZE(coll);
        } else if (PyTuple_CheckExact(coll)) {
            items = reinterpret_cast<PyTupleObject*>(coll)->ob_item;
            size = PyTuple_GET_SIZE(coll);
        } else {
            return PyObject_GetItem(coll, key);
        }
        Py_ssize_t i = PyUnstable_Long_CompactValue(reinterpret_cast<PyLongObject*>(key));
        if (i < 0) i += size;
        if (i >= 0 && i < size) return Py_NewRef(items[i]);
    }
    return PyObject_GetItem(coll, key);
}

}  // namespace brisko
