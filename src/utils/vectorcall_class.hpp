// Callable classes whose instances carry their own vectorcall pointer.
#pragma once

#include <Python.h>

#include <cstddef>
#include <new>
#include <type_traits>
#include <utility>

#include "../module/type_registry.hpp"
#include "panic.hpp"

namespace brisko {

// A ClassDef install hook: calls of T's instances go through T::vectorcall, while the class's
// tp_call (PyVectorcall_Call in its slot table) serves tuple-and-dict callers with the same function.
// The offset is set here rather than through a `__vectorcalloffset__` member, so the class shows no
// such attribute.
template <class T>
void install_vectorcall(PyTypeObject* type) noexcept {
    static_assert(std::is_standard_layout_v<T>, "offsetof needs a standard-layout object struct");
    type->tp_vectorcall_offset = Py_ssize_t(offsetof(T, vectorcall));
    type->tp_flags |= Py_TPFLAGS_HAVE_VECTORCALL;
}

// A class whose instances can only be called: no constructor, no attributes, no docstring. Fields
// supplies NAME and `static PyObject* call(Fields&, args, nargsf, kwnames)`; the fields are set
// once, when a factory makes the object, and never change.
template <class Fields>
struct CallOnly {
    struct Object {
        PyObject_HEAD
        vectorcallfunc vectorcall;
        Fields fields;
    };

    static PyObject* vectorcall(PyObject* self, PyObject* const* args, std::size_t nargsf, PyObject* kwnames) noexcept {
        return boundary([&] { return Fields::call(reinterpret_cast<Object*>(self)->fields, args, nargsf, kwnames); });
    }

    static void dealloc(PyObject* self) noexcept {
        // Releasing the fields may run Python code; the object is unreachable by then.
        reinterpret_cast<Object*>(self)->fields.~Fields();
        free_instance(self);
    }

    static inline PyType_Slot slots[] = {
        {Py_tp_dealloc, reinterpret_cast<void*>(&dealloc)},
        {Py_tp_call, reinterpret_cast<void*>(&PyVectorcall_Call)},
        {0, nullptr},
    };
    static inline PyType_Spec spec = {
        Fields::NAME, sizeof(Object), 0, Py_TPFLAGS_DEFAULT | Py_TPFLAGS_DISALLOW_INSTANTIATION, slots,
    };
    static inline ClassDef CLASS{&spec, &install_vectorcall<Object>};

    // A new instance owning `fields` (moved in, so a failure releases what they hold).
    static PyObject* make(Fields fields) {
        auto* self = alloc_instance<Object>(CLASS);
        if (!self) return nullptr;
        self->vectorcall = &vectorcall;
        new (&self->fields) Fields(std::move(fields));
        return reinterpret_cast<PyObject*>(self);
    }
};

}  // namespace brisko
