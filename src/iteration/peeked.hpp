// What peeking at an iterator hands back: the first element and an iterator that still yields it.
#pragma once

#include <Python.h>

#include "../binding/cached_attr.hpp"
#include "../core/owned.hpp"

namespace brisko {

// (head, itertools.chain((head,), it)) as a new tuple, or null with the exception. `head` was
// just pulled from `it`.
inline PyObject* head_and_rest(PyObject* head, PyObject* it) {
    // Looked up at every call, not cached: a replaced itertools.chain is honoured at once.
    Owned chain = lookup_attr("itertools", "chain");
    if (!chain) return nullptr;
    Owned first = Owned::steal(PyTuple_Pack(1, head));
    if (!first) return nullptr;
    PyObject* argv[] = {first.get(), it};
    Owned chained = Owned::steal(PyObject_Vectorcall(chain.get(), argv, 2, nullptr));
    if (!chained) return nullptr;
    return PyTuple_Pack(2, head, chained.get());
}

}  // namespace brisko
