// The one-operation interface of native iterator classes and the one place that runs their steps,
// behind both the tp_iternext slot and the Python-level __next__.
// `raw_next` returns an element (new reference), the end (null, nothing set) or an error (null, set).
#pragma once

#include <Python.h>

#include <concepts>
#include <cstdint>

#include "../core/errors.hpp"
#include "../core/owned.hpp"
#include "../core/panic.hpp"

namespace brisko {

// What every native iterator object starts with.
struct IterHead {
    PyObject_HEAD
    const char* tool;     // the function the user called, for the errors of its steps
    std::uint32_t depth;  // 1, or 1 + the depth of the native iterator that is its source
    // The step as a native iterator reading this one runs it: without the hold on itself, since
    // the reader's reference keeps it alive (see run_step).
    PyObject* (*pull)(PyObject* self) noexcept;
};

// The tp_iter of every native iterator class: the host's rule (an iterator is its own iterator)
// under a name of our own, by which an object is known to be one of ours.
PyObject* native_self_iter(PyObject* self) noexcept;

// How deep the native iterators reading one another nest below `obj`: 0 for any other object.
inline std::uint32_t native_depth(PyObject* obj) noexcept {
    return Py_TYPE(obj)->tp_iter == &native_self_iter ? reinterpret_cast<IterHead*>(obj)->depth : 0;
}

// A class runs its step in `raw_next`; its object starts with an IterHead named `head`.
template <class T>
concept RawIterNext = requires(T* self) {
    { T::raw_next(self) } -> std::same_as<PyObject*>;
    { self->head } -> std::convertible_to<IterHead>;
};

// One step. Called by anyone but a native iterator reading this one, the iterator holds itself
// while the step runs: user code inside it may drop every other reference to it (a callback that
// exhausts the consumer owning it). A StopIteration from user code is an error, never the end;
// a broken invariant surfaces as PanicException.
template <RawIterNext T, bool HOLD = true>
PyObject* run_step(PyObject* self, const char* fallback) noexcept {
    Owned hold = HOLD ? Owned::borrow(self) : Owned();
    T* iterator = reinterpret_cast<T*>(self);
    PyObject* item = boundary([&] { return T::raw_next(iterator); }, fallback);
    if (!item && PyErr_Occurred()) stop_iteration_is_an_error(iterator->head.tool);
    return item;
}

// The tp_iternext slot: the end is a null with no exception, so ordinary exhaustion costs no
// exception object.
template <RawIterNext T>
PyObject* raw_iternext(PyObject* self) noexcept {
    return run_step<T>(self, "panic in __next__");
}

template <RawIterNext T>
PyObject* pull_step(PyObject* self) noexcept {
    return run_step<T, false>(self, "panic in __next__");
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
