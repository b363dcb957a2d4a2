// What the five dedicated iterator classes share: an object layout with the class's fields after
// PyObject_HEAD, the Python-level methods, dealloc and the slot table. Each class supplies its
// fields, `raw_next`, `length_hint` and its docstrings.
#pragma once

#include <Python.h>

#include <new>
#include <utility>

#include "../module/type_registry.hpp"
#include "../utils/panic.hpp"
#include "../utils/raw_iter_next.hpp"

namespace brisko {

// The object: the class's C++ fields live in `fields`, built by placement new once the object is
// allocated and destroyed explicitly in dealloc.
template <class Fields>
struct DedicatedIter {
    PyObject_HEAD
    Fields fields;

    static PyObject* raw_next(DedicatedIter* self) { return Fields::raw_next(self->fields); }
};

// A new instance owning `fields` (moved in, so a failure to allocate releases what it holds).
template <class Fields>
PyObject* make_dedicated(ClassDef& def, Fields&& fields) {
    auto* self = alloc_instance<DedicatedIter<Fields>>(def);
    if (!self) return nullptr;
    new (&self->fields) Fields(std::move(fields));
    return reinterpret_cast<PyObject*>(self);
}

template <class Fields>
struct DedicatedClass {
    using Object = DedicatedIter<Fields>;

    static void dealloc(PyObject* self) noexcept {
        // The fields' release may run Python code; the object is unreachable by then.
        reinterpret_cast<Object*>(self)->fields.~Fields();
        free_instance(self);
    }

    static PyObject* length_hint(PyObject* self, PyObject*) noexcept {
        return boundary([&]() -> PyObject* {
            Py_ssize_t n = Fields::length_hint(reinterpret_cast<Object*>(self)->fields);
            return n < 0 ? nullptr : PyLong_FromSsize_t(n);
        });
    }

    static inline PyMethodDef methods[] = {
        {"__next__", reinterpret_cast<PyCFunction>(&next_method<Object>), METH_NOARGS, nullptr},
        {"__length_hint__", &length_hint, METH_NOARGS, Fields::LENGTH_HINT_DOC},
        {nullptr, nullptr, 0, nullptr},
    };

    static inline PyType_Slot slots[] = {
        {Py_tp_dealloc, reinterpret_cast<void*>(&dealloc)},
        {Py_tp_iter, reinterpret_cast<void*>(&PyObject_SelfIter)},
        {Py_tp_methods, methods},
        {Py_tp_doc, const_cast<char*>(Fields::DOC)},
        {0, nullptr},
    };

    static inline PyType_Spec spec = {
        Fields::NAME, sizeof(Object), 0, Py_TPFLAGS_DEFAULT | Py_TPFLAGS_DISALLOW_INSTANTIATION, slots,
    };
};

// The class definition: type made from the shared spec, with raw_iternext installed.
template <class Fields>
ClassDef dedicated_class_def() {
    return ClassDef{&DedicatedClass<Fields>::spec, &install_raw_iternext<DedicatedIter<Fields>>};
}

}  // namespace brisko
