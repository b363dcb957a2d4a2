// The one-operation interface of native iterator classes and the shared tp_iternext slot function.
// `raw_next` returns an element (new reference), the end (null, nothing set) or an error (null, set).
#pragma once

#include <Python.h>

#include <concepts>

#include "panic.hpp"

namespace brisko {

template <class T>
concept RawIterNext = requires(T* self) {
    { T::raw_next(self) } -> std::same_as<PyObject*>;
};

// The tp_iternext slot: the end is a null with no exception, so ordinary exhaustion costs no
// exception object. A broken invariant surfaces as PanicException, never as a crash.
template <RawIterNext T>
PyObject* raw_iternext(PyObject* self) noexcept {
    return boundary([&] { return T::raw_next(reinterpret_cast<T*>(self)); }, "panic in __next__");
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
    PyObject* item = boundary([&] { return T::raw_next(reinterpret_cast<T*>(self)); }, "panic in brisko iterator");
    if (!item && !PyErr_Occurred()) PyErr_SetNone(PyExc_StopIteration);
    return item;
}

}  // namespace brisko
