// The `__module__` of a single-function wrapper's instances (curry, memoize, complement, excepts):
// its function's, as functools.wraps gives a Python decorator's. pickle reads the module of a global
// from the object itself, so a module-level wrapper pickles under the name that holds it.
#pragma once

#include <Python.h>

#include "../core/panic.hpp"

namespace brisko {

// The attribute `name` of a wrapper over `wrapped` (borrowed; null once the collector has cleared
// the wrapper): `__module__` is the function's own when it has one; any other name, and
// `__module__` otherwise, is found as on any object. The class keeps its own `__module__`
// ("brisko._brisko"): a type's attributes are not read through its instances' slot.
PyObject* wrapper_attr(PyObject* self, PyObject* name, PyObject* wrapped);

// The tp_getattro slot of a wrapper class whose instances lend their function through WRAPPED.
template <PyObject* (*WRAPPED)(PyObject*) noexcept>
PyObject* wrapper_getattro(PyObject* self, PyObject* name) noexcept {
    return boundary([&] { return wrapper_attr(self, name, WRAPPED(self)); });
}

}  // namespace brisko
