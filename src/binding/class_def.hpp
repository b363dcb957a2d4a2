// Class definitions and their type objects, made once per interpreter.
#pragma once

#include <Python.h>

#include "../core/interpreter_cell.hpp"

namespace brisko {

// Guard: the type spec and hook are immutable after load; the type object is per interpreter. Declare
// one at namespace scope.
// One class: its PyType_Spec, an optional hook that completes the type before it is frozen (a slot
// a type spec cannot name, such as the shared raw iternext, or a class attribute; 0, or -1 with the
// exception set), and the cell holding its type object once made.
struct ClassDef {
    PyType_Spec* spec;
    int (*install)(PyTypeObject*) = nullptr;
    InterpreterCell cell{};
};

// The class's type object (borrowed), created on first use: from its PyType_Spec, then `install`, then
// frozen so that Python code cannot reassign its slots. Null with an exception on failure.
PyTypeObject* class_type(ClassDef& def) noexcept;
// The same, in `block`: the running interpreter's, found once for several values.
PyTypeObject* class_type(ClassDef& def, interpreter_cells::Block* block) noexcept;

// An `install` hook for a namespace class: each static method is kept in the class as the bare
// builtin it wraps. A staticmethod object is a descriptor, which keeps the interpreter from caching
// `Cls.name` at the call site; the builtin is found from that cache and called the same way.
int bare_static_methods(PyTypeObject* type) noexcept;

// The class method that makes a class subscriptable at run time, `Some[int]`, as its stub
// declares it generic: an annotation is evaluated at definition on 3.13, and by typing.get_type_hints
// on every version.
inline constexpr PyMethodDef CLASS_GETITEM = {"__class_getitem__", &Py_GenericAlias, METH_O | METH_CLASS,
                                              "See PEP 585"};

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

// The flags of a class that holds user objects: their cycles are collected.
inline constexpr unsigned long COLLECTED_CLASS_FLAGS =
    Py_TPFLAGS_DEFAULT | Py_TPFLAGS_HAVE_GC | Py_TPFLAGS_DISALLOW_INSTANTIATION;

}  // namespace brisko
