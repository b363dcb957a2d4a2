// Turns a signature line and a body into a registered function, method or constructor: fast-call
// entry, binding, boundary, and the docstring `inspect.signature` reads.
#pragma once

#include <Python.h>

#include <type_traits>

#include "../core/panic.hpp"
#include "args.hpp"
#include "signature_line.hpp"

namespace brisko {

// The fast-call entries behind every declared callable: bind, then run the body inside the boundary.
template <const Signature& SIG, PyObject* (*BODY)(Bound<SIG.n_slots()>&)>
PyObject* function_entry(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) noexcept {
    return boundary([&]() -> PyObject* {
        Bound<SIG.n_slots()> bound;
        if (bind(SIG, args, nargs, kwnames, bound) < 0) return nullptr;
        return BODY(bound);
    });
}

template <const Signature& SIG, PyObject* (*BODY)(PyObject*, Bound<SIG.n_slots()>&)>
PyObject* method_entry(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) noexcept {
    return boundary([&]() -> PyObject* {
        Bound<SIG.n_slots()> bound;
        if (bind(SIG, args, nargs, kwnames, bound) < 0) return nullptr;
        return BODY(self, bound);
    });
}

// A class constructor in vectorcall form, for the type's `Py_tp_vectorcall` slot: `cls(...)` binds
// like any registered function and builds no argument tuple. The body allocates the instance.
template <const Signature& SIG, PyObject* (*BODY)(Bound<SIG.n_slots()>&)>
PyObject* constructor_entry(PyObject*, PyObject* const* args, std::size_t nargsf, PyObject* kwnames) noexcept {
    return function_entry<SIG, BODY>(nullptr, args, Py_ssize_t(PyVectorcall_NARGS(nargsf)), kwnames);
}

// tp_new of a class whose constructor is its type's vectorcall entry: `cls.__new__(cls, ...)`
// unpacks its tuple and dict through PyVectorcall_Call, so both ways in bind the same way.
inline PyObject* new_through_vectorcall(PyTypeObject* type, PyObject* args, PyObject* kwds) noexcept {
    return PyVectorcall_Call(reinterpret_cast<PyObject*>(type), args, kwds);
}

// ---------------------------------------------------------------- declared by their signature line
//
// Each callable is declared once, by its text-signature line; the body receives Bound<N>, N being the
// number of parameters the line names besides $self, *rest and **kwargs:
//
//     PyObject* take(Bound<2>& a) { ... }
//     function_def<"take(n, seq)", take>()
//     method_def<"Iter.take($self, n)", iter_take>()            // body (PyObject* self, Bound<1>&)
//     static_method_def<"Option.of(v)", of>()
//     Constructor<"Some(value)", some_new>::entry, ::doc          // Py_tp_vectorcall and Py_tp_doc
//     function_def<"apply(func, *args, **kwargs)", apply, Kwargs::forward>()

// What **kwargs gathers: a dict, or (forward) the caller's own keywords left in place whenever no
// keyword names a parameter (see Bound::kwnames).
enum class Kwargs : bool { gather, forward };

template <class D, class Body>
consteval bool check_body() {
    static_assert(std::is_same_v<Body, PyObject* (*)(Bound<D::SIG.n_slots()>&)> ||
                      std::is_same_v<Body, PyObject* (*)(PyObject*, Bound<D::SIG.n_slots()>&)>,
                  "the body takes Bound<N>&, N counting the parameters besides $self, *rest and **kwargs");
    return true;
}

template <class D, auto BODY>
constexpr PyMethodDef declared_def(int flags) {
    static_assert(check_body<D, decltype(BODY)>());
    PyCFunction entry;
    if constexpr (std::is_invocable_v<decltype(BODY), PyObject*, Bound<D::SIG.n_slots()>&>) {
        entry = reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&method_entry<D::SIG, BODY>));
    } else {
        entry = reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&function_entry<D::SIG, BODY>));
    }
    return {D::SIG.name, entry, METH_FASTCALL | METH_KEYWORDS | flags, D::DOC.data()};
}

template <SignatureLine LINE, auto BODY, Kwargs KWARGS = Kwargs::gather>
constexpr PyMethodDef function_def() {
    return declared_def<Declared<LINE, Callable::function, KWARGS == Kwargs::forward>, BODY>(0);
}

template <SignatureLine LINE, auto BODY>
constexpr PyMethodDef method_def() {
    return declared_def<Declared<LINE, Callable::method>, BODY>(0);
}

template <SignatureLine LINE, auto BODY>
constexpr PyMethodDef static_method_def() {
    return declared_def<Declared<LINE, Callable::static_method>, BODY>(METH_STATIC);
}

// A class's constructor entry (`Py_tp_vectorcall`, with `new_through_vectorcall` as its tp_new) and
// its docstring (`Py_tp_doc`), both from the line "Cls(params)".
template <SignatureLine LINE, auto BODY, Kwargs KWARGS = Kwargs::gather>
struct Constructor {
    using D = Declared<LINE, Callable::constructor, KWARGS == Kwargs::forward>;
    static_assert(check_body<D, decltype(BODY)>());
    static constexpr vectorcallfunc entry = &constructor_entry<D::SIG, BODY>;
    static constexpr const char* doc = D::DOC.data();
};

}  // namespace brisko
