// for_each_element: the one traversal behind every eager loop over an input. Long loops answer
// signals, so Ctrl-C stops frequencies(itertools.count()) as it stops a Python loop.
#pragma once

#include <Python.h>

#include <cstdint>
#include <type_traits>
#include <utility>

#include "../core/critical_section.hpp"
#include "../core/errors.hpp"
#include "../core/owned.hpp"

namespace brisko {

// Passes over an element of an exact list or tuple before a reference to it is taken.
struct KeepAll {
    bool operator()(PyObject*) const noexcept { return false; }
};

// Hands every element of `seq` to `body`: an exact list by position (its length re-read before
// every element), an exact tuple by position, anything else through its iterator. `body` returns
// 0 to go on, 1 to stop early or -1 for an error; the traversal returns 0 when every element was
// handed over, else what `body` returned last (or -1 when iterating failed). `passes(element)` may
// say that an element of an exact list or tuple needs no `body`: it reads the element borrowed, so
// it must run no Python code, and saves the reference a call of `body` costs. A `body` that keeps
// elements takes them as Owned&&: the traversal's own reference passes to it.
template <class Body, class Passes = KeepAll>
int for_each_element(PyObject* seq, Body&& body, Passes&& passes = Passes()) {
    auto hand_over = [&](Owned& item) {
        if constexpr (std::is_invocable_v<Body&, Owned&&>)
            return body(std::move(item));
        else
            return body(item.get());
    };
    std::uint64_t n = 0;
    if (PyList_CheckExact(seq) || PyTuple_CheckExact(seq)) {
        bool is_list = PyList_CheckExact(seq);
        // Without the interpreter lock, the list's own lock keeps other threads' changes out
        // between the read of an element and the reference taken to it; as the interpreter lock
        // is, it is let go while the body blocks, and the length is read again after it.
        CriticalSection locked(seq);
        for (Py_ssize_t i = 0; i < (is_list ? PyList_GET_SIZE(seq) : PyTuple_GET_SIZE(seq)); ++i) {
            if (check_signals(++n) < 0) return -1;
            PyObject* borrowed = is_list ? PyList_GET_ITEM(seq, i) : PyTuple_GET_ITEM(seq, i);
            if (passes(borrowed)) continue;
            // Held across the body: user code there may shrink the list.
            Owned item = Owned::borrow(borrowed);
            if (int rc = hand_over(item)) return rc;
        }
        return 0;
    }
    Owned it = Owned::steal(PyObject_GetIter(seq));
    if (!it) return -1;
    while (PyObject* raw = iter_next(it.get())) {
        Owned item = Owned::steal(raw);
        if (int rc = hand_over(item)) return rc;
        if (check_signals(++n) < 0) return -1;
    }
    return PyErr_Occurred() ? -1 : 0;
}

}  // namespace brisko
