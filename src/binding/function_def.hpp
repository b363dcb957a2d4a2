// Turns a Signature and a body into a registered function or method: fast-call entry, binding,
// boundary.
#pragma once

#include <Python.h>

#include "args.hpp"
#include "../core/panic.hpp"

namespace brisko {

template <const Signature& SIG>
using Args = Bound<SIG.n_slots()>;

template <const Signature& SIG, PyObject* (*BODY)(Args<SIG>&)>
PyObject* function_entry(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) noexcept {
    return boundary([&]() -> PyObject* {
        Args<SIG> bound;
        if (bind(SIG, args, nargs, kwnames, bound) < 0) return nullptr;
        return BODY(bound);
    });
}

// The method-table entry of a module-level function; `doc` is its signature line + "\n--\n\n".
template <const Signature& SIG, PyObject* (*BODY)(Args<SIG>&)>
constexpr PyMethodDef function_def(const char* doc) {
    return {SIG.name, reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&function_entry<SIG, BODY>)),
            METH_FASTCALL | METH_KEYWORDS, doc};
}

template <const Signature& SIG, PyObject* (*BODY)(PyObject*, Args<SIG>&)>
PyObject* method_entry(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) noexcept {
    return boundary([&]() -> PyObject* {
        Args<SIG> bound;
        if (bind(SIG, args, nargs, kwnames, bound) < 0) return nullptr;
        return BODY(self, bound);
    });
}

// The method-table entry of an instance method, whose body also receives `self`; `doc` is
// "name($self, ...)\n--\n\n".
template <const Signature& SIG, PyObject* (*BODY)(PyObject*, Args<SIG>&)>
constexpr PyMethodDef method_def(const char* doc) {
    return {SIG.name, reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&method_entry<SIG, BODY>)),
            METH_FASTCALL | METH_KEYWORDS, doc};
}

// The method-table entry of a static method: a registered function that a class carries.
template <const Signature& SIG, PyObject* (*BODY)(Args<SIG>&)>
constexpr PyMethodDef static_method_def(const char* doc) {
    PyMethodDef def = function_def<SIG, BODY>(doc);
    def.ml_flags |= METH_STATIC;
    return def;
}

// A class constructor in vectorcall form, for the type's `Py_tp_vectorcall` slot: `cls(...)` binds
// like any registered function and builds no argument tuple. The body allocates the instance.
template <const Signature& SIG, PyObject* (*BODY)(Args<SIG>&)>
PyObject* constructor_entry(PyObject*, PyObject* const* args, std::size_t nargsf, PyObject* kwnames) noexcept {
    return function_entry<SIG, BODY>(nullptr, args, Py_ssize_t(PyVectorcall_NARGS(nargsf)), kwnames);
}

// tp_new of a class whose constructor is its type's vectorcall entry: `cls.__new__(cls, ...)`
// unpacks its tuple and dict through PyVectorcall_Call, so both ways in bind the same way.
inline PyObject* new_through_vectorcall(PyTypeObject* type, PyObject* args, PyObject* kwds) noexcept {
    return PyVectorcall_Call(reinterpret_cast<PyObject*>(type), args, kwds);
}

}  // namespace brisko
