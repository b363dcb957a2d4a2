// Building tuples from borrowed or owned elements, and reusing a result tuple nobody else holds.
#pragma once

#include <Python.h>

#include <vector>

#include "owned.hpp"
#include "python_compat.hpp"

namespace brisko {

// A new tuple holding new references to `items[0..n)`.
inline PyObject* tuple_from_array(PyObject* const* items, Py_ssize_t n) {
    PyObject* tuple = PyTuple_New(n);
    if (!tuple) return nullptr;
    for (Py_ssize_t i = 0; i < n; ++i) PyTuple_SET_ITEM(tuple, i, Py_NewRef(items[i]));
    return tuple;
}

// A new tuple holding new references to the objects `items` owns (which keeps them too).
inline PyObject* tuple_from_held(const std::vector<Owned>& items) {
    PyObject* tuple = PyTuple_New(Py_ssize_t(items.size()));
    if (!tuple) return nullptr;
    for (std::size_t i = 0; i < items.size(); ++i) PyTuple_SET_ITEM(tuple, Py_ssize_t(i), Py_NewRef(items[i].get()));
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

// A result tuple may be refilled in place only while the iterator holds the one reference to it:
// then no consumer can observe the change. Without the interpreter lock a count of one proves
// nothing (another thread may hold a reference it has not counted in this thread's field yet): the
// host's own test, as its iterators recycle their tuples.
inline bool recyclable(PyObject* tuple) noexcept {
#ifdef Py_GIL_DISABLED
    return PyUnstable_Object_IsUniquelyReferenced(tuple);
#else
    return Py_REFCNT(tuple) == 1;
#endif
}

// Call after refilling a recyclable tuple, before handing it out again. The host caches a tuple's
// hash inside the tuple and the collector may have untracked it while it held only atomic values;
// both are reset, so the tuple cannot be told from a fresh one.
inline void recycle(PyObject* tuple) noexcept {
    forget_tuple_hash(tuple);
    if (!PyObject_GC_IsTracked(tuple)) PyObject_GC_Track(tuple);
}

}  // namespace brisko
