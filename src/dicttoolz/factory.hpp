// The two conventions every mapping tool shares: the factory rule, which makes the result
// container, and copy_into, which fills a container from any mapping.
#pragma once

#include <Python.h>

#include "../core/owned.hpp"

namespace brisko {

// The result container: a new empty dict when `factory` is absent (null) or None, else whatever
// `factory()` returns, unchecked. `size_hint` presizes the dict (it never shows in the result).
Owned new_container(PyObject* factory, Py_ssize_t size_hint = 0);

// target[key] = value through the host's set-item protocol (the dict function for an exact dict,
// which is what the protocol calls).
inline int set_item(PyObject* target, PyObject* key, PyObject* value) {
    return PyDict_CheckExact(target) ? PyDict_SetItem(target, key, value) : PyObject_SetItem(target, key, value);
}

// Assigns every entry of `source` (read through its items()) into `target`, in order.
// 0, or -1 with the exception of the read or of an assignment.
int copy_into(PyObject* target, PyObject* source);

}  // namespace brisko
