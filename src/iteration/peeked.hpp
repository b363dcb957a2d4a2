// What peeking at an iterator hands back: the first element and an iterator that still yields it.
#pragma once

#include <Python.h>

namespace brisko {

// (head, itertools.chain((head,), it)) as a new tuple, or null with the exception. `head` was
// just pulled from `it`. itertools.chain is looked up at every call, not cached: a replaced one is
// honoured at once.
PyObject* head_and_rest(PyObject* head, PyObject* it);

}  // namespace brisko
