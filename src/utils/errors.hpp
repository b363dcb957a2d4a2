// Shared error rules: null results that must carry an exception, and the lookup-error rule.
#pragma once

#include <Python.h>

#include <cstdint>

namespace brisko {

// For a host call whose null result we check ourselves: keeps the pending exception, or raises
// SystemError "FFI call failed without setting an exception". Always returns null.
[[gnu::cold]] PyObject* ffi_err() noexcept;
// The same for the shared fetch of a pending exception: SystemError
// "attempted to fetch exception but none was set" when nothing is pending.
[[gnu::cold]] PyObject* fetch_err() noexcept;

// TypeError "'<type qualname>' object is not an instance of '<expected>'" ("'None' is not an
// instance of '<expected>'" for None), the message of a failed type test. Always returns null.
[[gnu::cold]] PyObject* not_an_instance(PyObject* obj, const char* expected) noexcept;

// A pending exception counts as a lookup error when it matches KeyError, IndexError or TypeError.
bool is_lookup_error() noexcept;

// Raises StopIteration with no arguments; returns null.
[[gnu::cold]] PyObject* stop_iteration() noexcept;

// Calls the iterator's own iternext slot. Returns the element, or null: with an exception set
// for an error, with nothing set for the end (a StopIteration the slot raised is cleared).
[[gnu::cold]] PyObject* iter_end_or_error() noexcept;
inline PyObject* iter_next(PyObject* it) noexcept {
    if (PyObject* item = Py_TYPE(it)->tp_iternext(it)) return item;
    return iter_end_or_error();
}

// Eager loops over iterators can run for a long time: every 65536 steps, a pending signal
// (Ctrl-C) gets its chance to raise. -1 with the exception set when it did.
inline int check_signals(std::uint64_t step) noexcept {
    return (step & 0xFFFF) == 0 ? PyErr_CheckSignals() : 0;
}

}  // namespace brisko
