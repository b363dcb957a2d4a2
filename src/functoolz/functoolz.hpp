// Function tools: currying, composition and application, memoisation and exception wrapping.
#pragma once

#include <Python.h>

#include "../utils/class_def.hpp"

namespace brisko {

// The exported `curry` class.
extern ClassDef CURRY_CLASS;
// A curry over `func` with no gathered arguments (a new reference).
PyObject* make_curry(PyObject* func);

// Registered functions, in export order.
extern PyMethodDef IDENTITY_DEF, APPLY_DEF, PIPE_DEF, DO_DEF, COMPOSE_DEF, COMPOSE_LEFT_DEF;
extern PyMethodDef COMPLEMENT_DEF, JUXT_DEF, EXCEPTS_DEF, MEMOIZE_DEF, THREAD_FIRST_DEF, THREAD_LAST_DEF;
// The builtin behind the exported `flip`, which is a curry over it.
extern PyMethodDef FLIP_DEF;

}  // namespace brisko
