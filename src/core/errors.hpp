// Shared error rules: null results that must carry an exception, and the lookup-error rule.
#pragma once

#include <Python.h>

#include <cstdint>

#include "recursion_guard.hpp"

namespace brisko {

// For a host call whose null result we check ourselves: keeps the pending exception, or raises
// SystemError "FFI call failed without setting an exception". Always returns null.
[[gnu::cold]] PyObject* ffi_err() noexcept;
// The same for the shared fetch of a pending exception: SystemError
// "attempted to fetch exception but none was set" when nothing is pending.
[[gnu::cold]] PyObject* fetch_err() noexcept;
// fetch_err for an int-returning routine: always -1.
[[gnu::cold]] inline int fetch_status() noexcept {
    fetch_err();
    return -1;
}

// Where the code discards a failure on purpose: an Exception is cleared (0); anything else
// (KeyboardInterrupt, SystemExit, ...) stays pending for the caller to propagate (-1).
int discard_exception() noexcept;

// TypeError "'<type qualname>' object is not an instance of '<expected>'" ("'None' is not an
// instance of '<expected>'" for None), the message of a failed type test. Always returns null.
[[gnu::cold]] PyObject* not_an_instance(PyObject* obj, const char* expected) noexcept;

// A pending exception counts as a lookup error when it matches KeyError, IndexError or TypeError.
bool is_lookup_error() noexcept;

// Inside a lazy iterator's step, a StopIteration raised by user code (a callback, an element's
// __eq__ or __getitem__) must not read as the end of the iteration, or elements vanish without an
// error: when one is pending, it becomes RuntimeError "<tool> callback raised StopIteration" with
// the StopIteration as its cause, as the host does for generators. Anything else stays as it is.
[[gnu::cold]] void stop_iteration_is_an_error(const char* tool) noexcept;

// Raises StopIteration with no arguments; returns null.
[[gnu::cold]] PyObject* stop_iteration() noexcept;

// Calls the iterator's own iternext slot. Returns the element, or null: with an exception set
// for an error, with nothing set for the end (a StopIteration the slot raised is cleared).
[[gnu::cold]] PyObject* iter_end_or_error() noexcept;
inline PyObject* iter_next(PyObject* it) noexcept {
    if (PyObject* item = Py_TYPE(it)->tp_iternext(it)) return item;
    return iter_end_or_error();
}

// iter_next for a lazy step pulling from its source, which may be another of our iterators: a
// deep chain of nested iterators raises RecursionError instead of overflowing the C stack.
inline PyObject* nested_next(PyObject* it) noexcept {
    RecursionGuard guard(" while iterating");
    if (!guard) return nullptr;
    return iter_next(it);
}

// Eager loops over iterators can run for a long time: every 65536 steps, a pending signal
// (Ctrl-C) gets its chance to raise. -1 with the exception set when it did.
inline int check_signals(std::uint64_t step) noexcept { return (step & 0xFFFF) == 0 ? PyErr_CheckSignals() : 0; }

}  // namespace brisko
