// Function tools: currying, composition and application, memoisation and exception wrapping.
#pragma once

#include <Python.h>

#include "../module/type_registry.hpp"

namespace brisko {

// The exported `curry` class.
extern ClassDef CURRY_CLASS;
// A curry over `func` with no gathered arguments (a new reference).
PyObject* make_curry(PyObject* func);

}  // namespace brisko
