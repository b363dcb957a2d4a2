// What both modules of this library declare about the interpreter they run in.
#pragma once

#include <Python.h>

// The per-iterator borrow counters are plain words that rely on the interpreter lock; _introspect
// reads the same objects, so it declares the same.
#ifdef Py_GIL_DISABLED
#define BRISKO_MOD_GIL Py_MOD_GIL_USED
#else
#define BRISKO_MOD_GIL Py_MOD_GIL_NOT_USED
#endif
