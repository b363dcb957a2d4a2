// Building tuples from borrowed or owned elements.
#pragma once

#include <Python.h>

#include <vector>

#include "owned.hpp"

namespace brisko {

// A new tuple holding new references to `items[0..n)`.
inline PyObject* tuple_from_array(PyObject* const* items, Py_ssize_t n) {
    PyObject* tuple = PyTuple_New(n);
    if (!tuple) return nullptr;
    for (Py_ssize_t i = 0; i < n; ++i) PyTuple_SET_ITEM(tuple, i, Py_NewRef(items[i]));
    return tuple;
}

// A new tuple taking over the references in `items` (left empty only on success).
inline PyObject* tuple_from_owned(std::vector<Owned>& items) {
    PyObject* tuple = PyTuple_New(Py_ssize_t(items.size()));
    if (!tuple) return nullptr;
    for (std::size_t i = 0; i < items.size(); ++i) PyTuple_SET_ITEM(tuple, Py_ssize_t(i), items[i].release());
    items.clear();
    return tuple;
}

}  // namespace brisko
