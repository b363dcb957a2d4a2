// What every module of this library (_brisko, _introspect, and _testhooks in a test build) declares
// about the interpreter it runs in.
#pragma once

#include <Python.h>

// The per-iterator borrow counters are plain words that rely on the interpreter lock; the other
// modules reach the same objects, so they declare the same.
#ifdef Py_GIL_DISABLED
#define BRISKO_MOD_GIL Py_MOD_GIL_USED
#else
#define BRISKO_MOD_GIL Py_MOD_GIL_NOT_USED
#endif
