// Turns a Signature and a body into a registered function: fast-call entry, binding, boundary.
#pragma once

#include <Python.h>

#include "args.hpp"
#include "panic.hpp"

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

}  // namespace brisko
