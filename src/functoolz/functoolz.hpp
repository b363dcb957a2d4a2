// Function tools: currying, composition and application, memoisation and exception wrapping.
#pragma once

#include <Python.h>

#include <cstddef>

#include "../binding/class_def.hpp"
#include "../binding/registration.hpp"
#include "../core/gc_visit.hpp"
#include "../core/owned.hpp"

namespace brisko {

// The exported `curry` class.
extern ClassDef CURRY_CLASS;
// A curry over `func` with no gathered arguments (a new reference).
PyObject* new_curry(PyObject* func);
// curry(func, *args, **kwargs) with the keywords as one dict (or None), so that they may use any
// name: the way back from curry_parts. A new reference, or null with TypeError for an args that is
// not a tuple, a kwargs that is not a dict, or a keyword that is not a string.
PyObject* curry_from_parts(PyObject* func, PyObject* args, PyObject* kwargs);

// Where a single-function decorator (curry, memoize, complement, excepts) stands in a stack of
// such decorators over one function: the function at the bottom, and how many decorators stand on
// it, this one included. Set when the decorator is made, from the one it wraps, so that pickling
// finds the bottom of a deep stack, and how far apart two of its decorators are, in one step.
struct DecoratorStack {
    Owned bottom;
    std::size_t height = 1;

    int traverse(const GcVisit& visit) const { return visit(bottom); }
};
// The stack a new decorator over `func` tops: one more than func's own, when func is such a
// decorator. -1 with an exception when a class cannot be had (brisko torn down in this interpreter).
int stack_over(PyObject* func, DecoratorStack& out);
// The stack `obj` tops: null, with no exception, for any other object (or one the collector has
// cleared); null with an exception when a class cannot be had.
const DecoratorStack* decorator_stack(PyObject* obj);
// Each decorator's own, for an object of its class.
const DecoratorStack* curry_stack(PyObject* curry) noexcept;
const DecoratorStack* memoize_stack(PyObject* memoize) noexcept;
const DecoratorStack* complement_stack(PyObject* complement) noexcept;
const DecoratorStack* excepts_stack(PyObject* excepts) noexcept;

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
