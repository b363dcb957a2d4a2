// Class definitions and their once-per-process type objects.
#pragma once

#include <Python.h>

#include "../utils/once_cell.hpp"

namespace brisko {

// One class: its spec, an optional hook that fills slots a spec cannot name (the shared raw
// iternext), and the cell holding its type object once made.
struct ClassDef {
    PyType_Spec* spec;
    void (*install)(PyTypeObject*) = nullptr;
    OnceCell cell{};
};

// The class's type object (borrowed), created on first use: from its PyType_Spec, then `install`, then
// frozen so that Python code cannot reassign its slots. Null with an exception on failure.
PyTypeObject* class_type(ClassDef& def) noexcept;

// Allocates an instance of the class (a new reference, fields zeroed), or null with an exception.
template <class T>
T* alloc_instance(ClassDef& def) noexcept {
    PyTypeObject* type = class_type(def);
    if (!type) return nullptr;
    return reinterpret_cast<T*>(type->tp_alloc(type, 0));
}

// The tail of every dealloc: frees the object and drops the reference it held on its heap type.
inline void free_instance(PyObject* self) noexcept {
    PyTypeObject* type = Py_TYPE(self);
    type->tp_free(self);
    Py_DECREF(type);
}

}  // namespace brisko
