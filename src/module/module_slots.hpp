// What every module of this library (_brisko, _introspect, and _testhooks in a test build) declares
// about the interpreter it runs in.
#pragma once

#include <Python.h>

// None of them needs the interpreter lock: where there is none, an iterator's state is held by one
// thread at a time (Turn), containers read in place are read under their own locks, shared tables
// publish entries whole, and process-wide state has the guards the README lists. So importing
// brisko leaves a free-threaded interpreter free-threaded.
#define BRISKO_MOD_GIL Py_MOD_GIL_NOT_USED
