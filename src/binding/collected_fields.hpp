// CollectedFields: the collector slots of an object whose C++ fields the collector may clear
// before the object dies. The object struct has `bool live` (the fields exist) and `fields`
// (with `int traverse(const GcVisit&) const`); the fields are built by placement new once the
// object is allocated and destroyed once, by the collector's clear or by dealloc.
#pragma once

#include <Python.h>

#include <new>
#include <utility>

#include "class_def.hpp"
#include "gc_visit.hpp"

namespace brisko {

template <class Object>
struct CollectedFields {
    static Object* object(PyObject* self) noexcept { return reinterpret_cast<Object*>(self); }

    // Moves `fields` into a freshly allocated object and marks them live.
    template <class Fields>
    static PyObject* build(Object* self, Fields&& fields) noexcept {
        new (&self->fields) std::remove_reference_t<Fields>(std::move(fields));
        self->live = true;
        return reinterpret_cast<PyObject*>(self);
    }

    static int traverse(PyObject* self, visitproc visit, void* arg) noexcept {
        Py_VISIT(Py_TYPE(self));
        return object(self)->live ? object(self)->fields.traverse(GcVisit{visit, arg}) : 0;
    }

    static int clear(PyObject* self) noexcept {
        using Fields = decltype(Object::fields);
        // Marked first: releasing the fields may run Python code.
        if (std::exchange(object(self)->live, false)) object(self)->fields.~Fields();
        return 0;
    }

    static void dealloc(PyObject* self) noexcept { dealloc_collected(self, [&] { clear(self); }); }
};

}  // namespace brisko
