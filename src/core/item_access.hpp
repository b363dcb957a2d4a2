// Item access with a shortcut for the commonest case: an exact list or tuple indexed by a small
// exact int.
#pragma once

#include <Python.h>

namespace brisko {

// coll[key] (borrowed) when coll is an exact list or tuple and key an in-range compact exact int,
// negative from the end: the element its own __getitem__ gives, read without running Python code.
// Null (and no exception) for every other case.
inline PyObject* indexed_item(PyObject* coll, PyObject* key) noexcept {
    if (!PyLong_CheckExact(key) || !PyUnstable_Long_IsCompact(reinterpret_cast<PyLongObject*>(key))) return nullptr;
    PyObject** items;
    Py_ssize_t size;
    if (PyList_CheckExact(coll)) {
        items = reinterpret_cast<PyListObject*>(coll)->ob_item;
        size = PyList_GET_SIZE(coll);
    } else if (PyTuple_CheckExact(coll)) {
        items = reinterpret_cast<PyTupleObject*>(coll)->ob_item;
        size = PyTuple_GET_SIZE(coll);
    } else {
        return nullptr;
    }
    Py_ssize_t i = PyUnstable_Long_CompactValue(reinterpret_cast<PyLongObject*>(key));
    if (i < 0) i += size;
    return i >= 0 && i < size ? items[i] : nullptr;
}

// coll[key], directly where indexed_item can read it; every other case (and every error) goes
// through the host.
inline PyObject* get_item(PyObject* coll, PyObject* key) {
    if (PyObject* item = indexed_item(coll, key)) return Py_NewRef(item);
    return PyObject_GetItem(coll, key);
}

}  // namespace brisko
