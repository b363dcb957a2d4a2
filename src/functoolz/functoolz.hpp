// Function tools: currying, composition and application, memoisation and exception wrapping.
#pragma once

#include <Python.h>

#include "../binding/class_def.hpp"
#include "../binding/registration.hpp"

namespace brisko {

// The exported `curry` class.
extern ClassDef CURRY_CLASS;
// A curry over `func` with no gathered arguments (a new reference).
PyObject* new_curry(PyObject* func);
// curry(func, *args, **kwargs) with the keywords as one dict (or None), so that they may use any
// name: the way back from curry_parts. A new reference, or null with TypeError for an args that is
// not a tuple, a kwargs that is not a dict, or a keyword that is not a string.
PyObject* curry_from_parts(PyObject* func, PyObject* args, PyObject* kwargs);

// The exported names, in export order (names.cpp).
extern RegistrationTable FUNCTOOLZ_NAMES;
// The builtin `identity`, which compose() of nothing returns too.
extern PyMethodDef IDENTITY_DEF;

// What pickling reads back from the function objects (brisko._introspect). The classes the factories
// make (borrowed type objects, made on first use; null with an exception when one cannot be made):
PyTypeObject* compose_type() noexcept;
PyTypeObject* juxt_type() noexcept;
PyTypeObject* complement_type() noexcept;
PyTypeObject* excepts_type() noexcept;
PyTypeObject* memoize_type() noexcept;
// The parts of an instance of the class named (the caller checks the type), as a new reference, or
// null with ReferenceError once the collector has cleared the object. Nothing the object shares is
// lent out: the keywords come as a copy, and the cache is named by its type alone.
PyObject* curry_parts(PyObject* curry);            // (func, args, kwargs or None)
PyObject* compose_funcs(PyObject* compose);        // the functions, in call order
PyObject* juxt_funcs(PyObject* juxt);              // the functions, in argument order
PyObject* complement_parts(PyObject* complement);  // (func,)
PyObject* excepts_parts(PyObject* excepts);        // (exc, func, handler or None)
PyObject* memoize_parts(PyObject* memoize);        // (func, type of the cache, key or None)

}  // namespace brisko
