// Adding exported names to the module: each one goes into `__all__` and onto the module.
#pragma once

#include <Python.h>

#include <cstddef>

namespace brisko {

// Appends `name` to the module's `__all__` (made when missing) and binds it to `obj` (borrowed).
int add_name(PyObject* module, const char* name, PyObject* obj);

// A builtin function object for `def`, with __module__ "brisko._brisko" (a new reference).
PyObject* new_function(PyMethodDef* def);

// Creates and adds each function in turn, under its own __name__.
int add_functions_one_by_one(PyObject* module, PyMethodDef* const* defs, std::size_t count);
// Creates every function first, then adds them in order.
int add_functions_batch(PyObject* module, PyMethodDef* const* defs, std::size_t count);

// Adds the class under its bare name.
int add_class(PyObject* module, PyTypeObject* type);

}  // namespace brisko
