// What the dedicated iterator classes share: the object (a CollectedObject with the class's fields
// after the IterHead), the Python-level methods and the slot table. Each class supplies its fields,
// `raw_next`, `length_hint`, `traverse`, its docstring and the text of its __length_hint__'s.
#pragma once

#include <Python.h>

#include <utility>

#include "../binding/class_def.hpp"
#include "../binding/collected_object.hpp"
#include "../binding/signature_line.hpp"
#include "../core/gc_visit.hpp"
#include "../core/panic.hpp"
#include "../iteration/raw_iter_next.hpp"

namespace brisko {

// The object: the class's fields after the IterHead, released by the collector's clear.
template <class Fields>
struct DedicatedIter : CollectedObject<IterHead, Fields> {
    // A cleared iterator has ended.
    static PyObject* raw_next(DedicatedIter* self) {
        return DedicatedIter::is_live(self) ? Fields::raw_next(self->fields) : nullptr;
    }
};

// The length hint of a class that gives at most one output per element of its source (the
// `source` of its cell's state): the source's own hint.
template <class Fields>
Py_ssize_t source_hint(Fields& self) {
    auto state = self.cell.borrow();
    return state ? state->source.length_hint() : -1;
}

// A new instance owning `fields` (moved in, so a failure to allocate releases what it holds);
// `tool` (a string literal) names the function the user called, and `depth` is the iterator's
// (PySource::reader_depth of its source).
template <class Fields>
PyObject* new_dedicated_iter(ClassDef& def, const char* tool, std::uint32_t depth, Fields&& fields) {
    auto* self = alloc_instance<DedicatedIter<Fields>>(def);
    if (!self) return nullptr;
    self->head.tool = tool;
    self->head.depth = depth;
    self->head.pull = &pull_step<DedicatedIter<Fields>>;
    return DedicatedIter<Fields>::build(self, std::move(fields));
}

template <class Fields>
struct DedicatedClass {
    using Object = DedicatedIter<Fields>;

    static PyObject* length_hint(PyObject* self, PyObject*) noexcept {
        return boundary([&]() -> PyObject* {
            Py_ssize_t n = Object::is_live(self) ? Fields::length_hint(Object::object(self)->fields) : 0;
            return n < 0 ? nullptr : PyLong_FromSsize_t(n);
        });
    }

    static constexpr auto LENGTH_HINT_DOC = line_doc<"__length_hint__($self)">(Fields::LENGTH_HINT_TEXT);

    static inline PyMethodDef methods[] = {
        {"__next__", reinterpret_cast<PyCFunction>(&next_method<Object>), METH_NOARGS, nullptr},
        {"__length_hint__", &length_hint, METH_NOARGS, LENGTH_HINT_DOC.data()},
        {nullptr, nullptr, 0, nullptr},
    };

    static inline auto slots = collected_slots<Object>({
        {Py_tp_iter, reinterpret_cast<void*>(&native_self_iter)},
        {Py_tp_methods, methods},
        {Py_tp_doc, const_cast<char*>(Fields::DOC)},
    });

    static inline PyType_Spec spec = {Fields::NAME, sizeof(Object), 0, COLLECTED_CLASS_FLAGS, slots.data()};
};

// The class definition: type made from the shared spec, with raw_iternext installed.
template <class Fields>
ClassDef dedicated_class_def() {
    return ClassDef{&DedicatedClass<Fields>::spec, &install_raw_iternext<DedicatedIter<Fields>>};
}

}  // namespace brisko
