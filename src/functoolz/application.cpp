// identity, apply, do and flip: single calls with the arguments rearranged.
#include "functoolz.hpp"

#include "../binding/function_def.hpp"
#include "../core/call.hpp"

namespace brisko {
namespace {

PyObject* identity(Bound<1>& a) { return Py_NewRef(a[0]); }

}  // namespace

// compose() of nothing is this same builtin.
PyMethodDef IDENTITY_DEF = function_def<"identity(x)", identity>();

namespace {

Registered IDENTITY{FUNCTOOLZ_NAMES, &IDENTITY_DEF};

// The extra keywords normally stay in the caller's vector and go on as they came; only
// apply(func=f, k=v) needs them gathered into a dict.
PyObject* apply(Bound<1>& a) {
    if (a.kwargs) return PyObject_VectorcallDict(a[0], a.rest, std::size_t(a.n_rest), a.kwargs.get());
    return PyObject_Vectorcall(a[0], a.rest, std::size_t(a.n_rest), a.kwnames);
}
Registered APPLY{FUNCTOOLZ_NAMES, function_def<"apply(func, *args, **kwargs)", apply, Kwargs::forward>()};

PyObject* do_(Bound<2>& a) {
    Owned dropped = Owned::steal(call_one(a[0], a[1]));
    return dropped ? Py_NewRef(a[1]) : nullptr;
}
Registered DO{FUNCTOOLZ_NAMES, function_def<"do(func, x)", do_>()};

// The exported `flip` is a curry over this builtin, so that flip(f) and flip(f, a) gather arguments.
PyObject* flip_apply(Bound<3>& a) { return call_two(a[0], a[2], a[1]); }
PyMethodDef FLIP_DEF = function_def<"flip(func, a, b)", flip_apply>();

PyObject* make_flip(PyObject* module) {
    Owned builtin = Owned::steal(new_function(&FLIP_DEF, module));
    return builtin ? new_curry(builtin.get()) : nullptr;
}
Registered FLIP{FUNCTOOLZ_NAMES, "flip", &make_flip};

}  // namespace
}  // namespace brisko
