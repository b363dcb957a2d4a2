// The one-operation interface of native iterator classes and the one place that runs their steps,
// behind both the tp_iternext slot and the Python-level __next__.
// `raw_next` returns an element (new reference), the end (null, nothing set) or an error (null, set).
#pragma once

#include <Python.h>

#include <concepts>

#include "errors.hpp"
#include "owned.hpp"
#include "panic.hpp"

namespace brisko {

// A class runs its step in `raw_next` and names, in `tool`, the function whose iterator it is.
template <class T>
concept RawIterNext = requires(T* self) {
    { T::raw_next(self) } -> std::same_as<PyObject*>;
    { self->tool } -> std::convertible_to<const char*>;
};

// One step. The iterator holds itself while it runs: user code inside the step may drop every
// other reference to it (a callback that exhausts the consumer owning it). A StopIteration from
// user code is an error, never the end; a broken invariant surfaces as PanicException.
template <RawIterNext T>
PyObject* run_step(PyObject* self, const char* fallback) noexcept {
    Owned hold = Owned::borrow(self);
    T* iterator = reinterpret_cast<T*>(self);
    PyObject* item = boundary([&] { return T::raw_next(iterator); }, fallback);
    if (!item && PyErr_Occurred()) stop_iteration_is_an_error(iterator->tool);
    return item;
}

// The tp_iternext slot: the end is a null with no exception, so ordinary exhaustion costs no
// exception object.
template <RawIterNext T>
PyObject* raw_iternext(PyObject* self) noexcept {
    return run_step<T>(self, "panic in __next__");
}

// Puts raw_iternext<T> into the class's tp_iternext slot. The class's own `__next__` method stays
// in its dict, so an explicit it.__next__() call still reaches next_method<T>.
template <RawIterNext T>
int install_raw_iternext(PyTypeObject* type) noexcept {
    type->tp_iternext = &raw_iternext<T>;
    return 0;
}

// The Python-level __next__: the same step, with the end turned into StopIteration.
template <RawIterNext T>
PyObject* next_method(PyObject* self, PyObject*) noexcept {
    PyObject* item = run_step<T>(self, "panic in brisko iterator");
    if (!item && !PyErr_Occurred()) PyErr_SetNone(PyExc_StopIteration);
    return item;
}

}  // namespace brisko
