// identity, apply, do and flip: single calls with the arguments rearranged.
#include "functoolz.hpp"

#include "../binding/function_def.hpp"
#include "../core/call.hpp"

namespace brisko {
namespace {

PyObject* identity(Args<"identity(x)">& a) { return Py_NewRef(a["x"]); }

}  // namespace

// compose() of nothing is this same builtin.
PyMethodDef IDENTITY_DEF = function_def<identity>();

namespace {

Registered IDENTITY{FUNCTOOLZ_NAMES, &IDENTITY_DEF};

// The extra keywords normally stay in the caller's vector and go on as they came; only
// apply(func=f, k=v) needs them gathered into a dict.
PyObject* apply(Args<"apply(func, *args, **kwargs)">& a) {
    if (a.kwargs()) return PyObject_VectorcallDict(a["func"], a.rest(), std::size_t(a.n_rest()), a.kwargs());
    return PyObject_Vectorcall(a["func"], a.rest(), std::size_t(a.n_rest()), a.kwnames());
}
Registered APPLY{FUNCTOOLZ_NAMES, function_def<apply, Kwargs::forward>()};

PyObject* do_(Args<"do(func, x)">& a) {
    Owned dropped = Owned::steal(call_one(a["func"], a["x"]));
    return dropped ? Py_NewRef(a["x"]) : nullptr;
}
Registered DO{FUNCTOOLZ_NAMES, function_def<do_>()};

// The exported `flip` is a curry over this builtin, so that flip(f) and flip(f, a) gather arguments.
PyObject* flip_apply(Args<"flip(func, a, b)">& a) { return call_two(a["func"], a["b"], a["a"]); }
PyMethodDef FLIP_DEF = function_def<flip_apply>();

PyObject* make_flip(PyObject* module) {
    Owned builtin = Owned::steal(new_function(&FLIP_DEF, module));
    return builtin ? new_curry(builtin.get()) : nullptr;
}
Registered FLIP{FUNCTOOLZ_NAMES, "flip", &make_flip};

}  // namespace
}  // namespace brisko
