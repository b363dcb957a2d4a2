// Methods bound through the one binder: the fast-call entry of a method whose body also receives
// `self`, and static methods of the namespace classes.
#pragma once

#include <Python.h>

#include "../utils/function_def.hpp"

namespace brisko {

template <const Signature& SIG, PyObject* (*BODY)(PyObject*, Args<SIG>&)>
PyObject* method_entry(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) noexcept {
    return boundary([&]() -> PyObject* {
        Args<SIG> bound;
        if (bind(SIG, args, nargs, kwnames, bound) < 0) return nullptr;
        return BODY(self, bound);
    });
}

// The method-table entry of an instance method; `doc` is "name($self, ...)\n--\n\n".
template <const Signature& SIG, PyObject* (*BODY)(PyObject*, Args<SIG>&)>
constexpr PyMethodDef method_def(const char* doc) {
    return {SIG.name, reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&method_entry<SIG, BODY>)),
            METH_FASTCALL | METH_KEYWORDS, doc};
}

// The method-table entry of a static method: a registered function that the class carries.
template <const Signature& SIG, PyObject* (*BODY)(Args<SIG>&)>
constexpr PyMethodDef static_method_def(const char* doc) {
    PyMethodDef def = function_def<SIG, BODY>(doc);
    def.ml_flags |= METH_STATIC;
    return def;
}

}  // namespace brisko
