// Option and Result values: the classes for registration and the internal constructors every other
// tool uses to build these values.
#pragma once

#include <Python.h>

#include "../utils/owned.hpp"

namespace brisko {

// The exported classes (borrowed type objects, made on first use), in export order. Null with an
// exception when a type object cannot be made.
PyTypeObject* some_type() noexcept;
PyTypeObject* nothing_type() noexcept;
PyTypeObject* option_ns_type() noexcept;
PyTypeObject* ok_type() noexcept;
PyTypeObject* err_type() noexcept;
PyTypeObject* result_ns_type() noexcept;

// New values owning the reference they are given (released when allocation fails).
PyObject* some(Owned value);
PyObject* ok_obj(Owned value);
PyObject* err_obj(Owned error);
// A new NothingType instance; nothing is ever shared, not even the module's `Nothing`.
PyObject* new_nothing();

}  // namespace brisko
