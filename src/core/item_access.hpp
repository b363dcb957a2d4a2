// Item access with a shortcut for the commonest case: an exact list or tuple indexed by a small
// exact int.
#pragma once

#include <Python.h>

namespace brisko {

// list[i] (a new reference) of a list that another thread may change meanwhile; null, with
// nothing set, when i is past its end. Without the interpreter lock, the host's strong read, which
// takes its reference safely against a concurrent removal; with it, a plain read.
inline PyObject* list_item(PyObject* list, Py_ssize_t i) noexcept {
    if (i >= PyList_GET_SIZE(list)) return nullptr;
#ifdef Py_GIL_DISABLED
    PyObject* item = PyList_GetItemRef(list, i);
    if (!item) PyErr_Clear();  // IndexError: the list shrank since its length was read
    return item;
#else
    return Py_NewRef(PyList_GET_ITEM(list, i));
#endif
}

// coll[key] (a new reference) when coll is an exact list or tuple and key an in-range compact exact
// int, negative from the end: the element its own __getitem__ gives, read without running Python
// code. Null (and no exception) for every other case.
inline PyObject* indexed_item(PyObject* coll, PyObject* key) noexcept {
    if (!PyLong_CheckExact(key) || !PyUnstable_Long_IsCompact(reinterpret_cast<PyLongObject*>(key))) return nullptr;
    Py_ssize_t i = PyUnstable_Long_CompactValue(reinterpret_cast<PyLongObject*>(key));
    if (PyTuple_CheckExact(coll)) {
        if (i < 0) i += PyTuple_GET_SIZE(coll);
        return i >= 0 && i < PyTuple_GET_SIZE(coll) ? Py_NewRef(PyTuple_GET_ITEM(coll, i)) : nullptr;
    }
    if (!PyList_CheckExact(coll)) return nullptr;
    if (i < 0) i += PyList_GET_SIZE(coll);
    return i >= 0 ? list_item(coll, i) : nullptr;
}

// coll[key], directly where indexed_item can read it; every other case (and every error) goes
// through the host.
inline PyObject* get_item(PyObject* coll, PyObject* key) {
    if (PyObject* item = indexed_item(coll, key)) return item;
    return PyObject_GetItem(coll, key);
}

}  // namespace brisko
