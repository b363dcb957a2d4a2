// Option and Result values and the optional accessors: the classes for registration, the internal
// constructors every other tool uses to build these values, and the accessor cores `Iter` shares.
#pragma once

#include <Python.h>

#include <cstdint>

#include "../binding/registration.hpp"
#include "../core/owned.hpp"

namespace brisko {

// The exported names, in export order (names.cpp).
extern RegistrationTable OPTION_NAMES;

// The classes (borrowed type objects, made on first use). Null with an exception when a type object
// cannot be made.
PyTypeObject* nothing_type() noexcept;
PyTypeObject* err_type() noexcept;

// New values owning the reference they are given (released when allocation fails).
PyObject* new_some(Owned value);
PyObject* new_ok(Owned value);
PyObject* new_err(Owned error);
// A new NothingType instance; nothing is ever shared, not even the module's `Nothing`.
PyObject* new_nothing();

// The accessor cores: a new Option value, or null with the exception of the iteration.
PyObject* first_opt(PyObject* seq);
PyObject* last_opt(PyObject* seq);
PyObject* nth_opt(std::uint64_t n, PyObject* seq);

}  // namespace brisko
