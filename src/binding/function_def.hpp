// Turns a body into a registered function, method, static method or constructor: fast-call entry,
// binding, boundary, and the docstring `inspect.signature` reads. The body's parameter type carries
// its signature line, so a callable is declared once, where its body is.
#pragma once

#include <Python.h>

#include "../core/panic.hpp"
#include "../core/python_compat.hpp"  // Py_tp_vectorcall, which the constructors fill
#include "args.hpp"
#include "named_args.hpp"
#include "signature_line.hpp"

namespace brisko {

// ---------------------------------------------------------------- declared by their body
//
// A body reads its arguments by the names of its line:
//
//     PyObject* take(Args<"take(n, seq)">& a) { ... a["n"] ... a["seq"] ... }
//     Registered TAKE{ITERTOOLZ_NAMES, function_def<take>()};
//
//     PyObject* iter_take(PyObject* self, Args<"Iter.take($self, n)">& a) { ... }
//     method_def<iter_take>()                       // in the class's method table
//     static_method_def<of>()                       // PyObject* of(Args<"Option.of(v)">&)
//     Constructor<some_new>::entry, ::doc           // PyObject* some_new(Args<"Some(value)">&):
//                                                   // Py_tp_vectorcall and Py_tp_doc
//     function_def<apply, Kwargs::forward>()        // Args<"apply(func, *args, **kwargs)">
//
// A body that serves several lines is a template over its line, `template <SignatureLine LINE>
// PyObject* f(Args<LINE>& a)`, registered as `function_def<f<"g(x, y)">>()`: each instantiation
// checks its names against its own line.
//
// Each kind takes the body of its shape, and its line says what it is: a function's or a
// constructor's "name(...)", a static method's "Cls.name(...)", a method's "Cls.name($self, ...)"
// with `self` as the body's first parameter. A body of another shape, or a line of another kind,
// stops the build at the assertion that says so; the compiler's notes name the body and its line.

// What **kwargs gathers: a dict, or (forward) the caller's own keywords left in place whenever no
// keyword names a parameter (see Args::kwnames).
enum class Kwargs : bool { gather, forward };

// A body's shape: what it takes besides its arguments, and its line.
template <class Body>
struct BodyShape {
    static constexpr bool IS_BODY = false;
};
template <SignatureLine L>
struct BodyShape<PyObject* (*)(Args<L>&)> {
    static constexpr bool IS_BODY = true, TAKES_SELF = false;
    static constexpr auto LINE = L;
};
template <SignatureLine L>
struct BodyShape<PyObject* (*)(PyObject*, Args<L>&)> {
    static constexpr bool IS_BODY = true, TAKES_SELF = true;
    static constexpr auto LINE = L;
};

// Whether a body taking `self` or not fits its line declared as KIND; instantiated with the line,
// so that the compiler's note under a failed assertion names it.
template <SignatureLine LINE, Callable KIND, bool TAKES_SELF>
struct BodyFits {
    static_assert(TAKES_SELF == (KIND == Callable::method),
                  "a method's body, and only a method's, takes `PyObject* self` before its Args");
    static constexpr bool OK = true;
};

// The body checked against the kind it is declared as, and the line's declaration for that kind.
template <auto BODY, Callable KIND, Kwargs KWARGS>
struct Checked {
    using Shape = BodyShape<decltype(BODY)>;
    static_assert(Shape::IS_BODY,
                  "a body is PyObject* f(Args<\"line\">&), a method's PyObject* f(PyObject* self, "
                  "Args<\"Cls.f($self, ...)\">&)");
    static_assert(BodyFits<Shape::LINE, KIND, Shape::TAKES_SELF>::OK);
    using D = Declared<Shape::LINE, KIND, KWARGS == Kwargs::forward>;
    using A = Args<Shape::LINE>;
};

// The fast-call entries behind every declared callable: bind, then run the body inside the boundary.
template <class C, auto BODY>
PyObject* function_entry(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) noexcept {
    return boundary([&]() -> PyObject* {
        typename C::A a;
        if (a.bind(C::D::SIG, args, nargs, kwnames) < 0) return nullptr;
        return BODY(a);
    });
}

// A body reaches its interpreter's state through InterpreterCell, not through a module or class
// passed in: METH_METHOD would pass the defining class, but the interpreter specialises its calls
// only of methods without that flag.
template <class C, auto BODY>
PyObject* method_entry(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) noexcept {
    return boundary([&]() -> PyObject* {
        typename C::A a;
        if (a.bind(C::D::SIG, args, nargs, kwnames) < 0) return nullptr;
        return BODY(self, a);
    });
}

// A static method is kept in its class as a builtin bound to the class (bare_static_methods).
template <class C, auto BODY>
PyObject* static_method_entry(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) noexcept {
    return boundary([&]() -> PyObject* {
        typename C::A a;
        if (a.bind(C::D::SIG, args, nargs, kwnames) < 0) return nullptr;
        return BODY(a);
    });
}

// A class constructor in vectorcall form, for the type's `Py_tp_vectorcall` slot: `cls(...)` binds
// like any registered function and builds no argument tuple. The body allocates the instance.
template <class C, auto BODY>
PyObject* constructor_entry(PyObject*, PyObject* const* args, std::size_t nargsf, PyObject* kwnames) noexcept {
    return boundary([&]() -> PyObject* {
        typename C::A a;
        if (a.bind(C::D::SIG, args, Py_ssize_t(nargsf), kwnames) < 0) return nullptr;
        return BODY(a);
    });
}

// tp_new of a class whose constructor is its type's vectorcall entry: `cls.__new__(cls, ...)`
// unpacks its tuple and dict through PyVectorcall_Call, so both ways in bind the same way.
inline PyObject* new_through_vectorcall(PyTypeObject* type, PyObject* args, PyObject* kwds) noexcept {
    return PyVectorcall_Call(reinterpret_cast<PyObject*>(type), args, kwds);
}

template <class C>
constexpr PyMethodDef method_table_entry(void (*entry)(), int flags) {
    return {C::D::SIG.name, reinterpret_cast<PyCFunction>(entry), METH_FASTCALL | METH_KEYWORDS | flags,
            C::D::DOC.data()};
}

template <auto BODY, Kwargs KWARGS = Kwargs::gather>
constexpr PyMethodDef function_def() {
    using C = Checked<BODY, Callable::function, KWARGS>;
    return method_table_entry<C>(reinterpret_cast<void (*)()>(&function_entry<C, BODY>), 0);
}

template <auto BODY>
constexpr PyMethodDef method_def() {
    using C = Checked<BODY, Callable::method, Kwargs::gather>;
    return method_table_entry<C>(reinterpret_cast<void (*)()>(&method_entry<C, BODY>), 0);
}

template <auto BODY>
constexpr PyMethodDef static_method_def() {
    using C = Checked<BODY, Callable::static_method, Kwargs::gather>;
    return method_table_entry<C>(reinterpret_cast<void (*)()>(&static_method_entry<C, BODY>), METH_STATIC);
}

// A class's constructor entry (`Py_tp_vectorcall`, with `new_through_vectorcall` as its tp_new) and
// its docstring (`Py_tp_doc`), both from the body's line "Cls(params)".
template <auto BODY, Kwargs KWARGS = Kwargs::gather>
struct Constructor {
    using C = Checked<BODY, Callable::constructor, KWARGS>;
    static constexpr vectorcallfunc entry = &constructor_entry<C, BODY>;
    static constexpr const char* doc = C::D::DOC.data();
};

}  // namespace brisko
