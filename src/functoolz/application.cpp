// identity, apply, do and the builtin behind flip: single calls with the arguments rearranged.
#include "functoolz.hpp"

#include "../core/call.hpp"
#include "../binding/function_def.hpp"

namespace brisko {
namespace {

constexpr Signature IDENTITY_SIG = Signature::function("identity", {"x"});
PyObject* identity(Args<IDENTITY_SIG>& a) { return Py_NewRef(a[0]); }

// The extra keywords normally stay in the caller's vector and go on as they came; only
// apply(func=f, k=v) needs them gathered into a dict.
constexpr Signature APPLY_SIG = Signature::function("apply", {"func"}).with_rest().forwarding_kwargs();
PyObject* apply(Args<APPLY_SIG>& a) {
    if (a.kwargs) return PyObject_VectorcallDict(a[0], a.rest, std::size_t(a.n_rest), a.kwargs.get());
    return PyObject_Vectorcall(a[0], a.rest, std::size_t(a.n_rest), a.kwnames);
}

constexpr Signature DO_SIG = Signature::function("do", {"func", "x"});
PyObject* do_(Args<DO_SIG>& a) {
    Owned dropped = Owned::steal(call_one(a[0], a[1]));
    return dropped ? Py_NewRef(a[1]) : nullptr;
}

constexpr Signature FLIP_SIG = Signature::function("flip", {"func", "a", "b"});
PyObject* flip_apply(Args<FLIP_SIG>& a) { return call_two(a[0], a[2], a[1]); }

}  // namespace

PyMethodDef IDENTITY_DEF = function_def<IDENTITY_SIG, identity>("identity(x)\n--\n\n");
PyMethodDef APPLY_DEF = function_def<APPLY_SIG, apply>("apply(func, *args, **kwargs)\n--\n\n");
PyMethodDef DO_DEF = function_def<DO_SIG, do_>("do(func, x)\n--\n\n");
PyMethodDef FLIP_DEF = function_def<FLIP_SIG, flip_apply>("flip(func, a, b)\n--\n\n");

}  // namespace brisko
