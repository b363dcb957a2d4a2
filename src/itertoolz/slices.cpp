// take, drop, take_nth and cons: prefix cutting handed to the host's own islice and chain objects,
// whose validation, messages and laziness are theirs.
#include "itertoolz.hpp"

#include "../binding/cached_attr.hpp"
#include "../binding/function_def.hpp"

namespace brisko {
namespace {

constexpr Signature TAKE_SIG = Signature::function("take", {"n", "seq"});
PyObject* take(Args<TAKE_SIG>& a) {
    PyObject* argv[] = {a[1], a[0]};
    return call_attr(ISLICE, argv, 2);
}

constexpr Signature DROP_SIG = Signature::function("drop", {"n", "seq"});
PyObject* drop(Args<DROP_SIG>& a) {
    PyObject* argv[] = {a[1], a[0], Py_None};
    return call_attr(ISLICE, argv, 3);
}

constexpr Signature TAKE_NTH_SIG = Signature::function("take_nth", {"n", "seq"});
PyObject* take_nth(Args<TAKE_NTH_SIG>& a) {
    Owned zero = Owned::steal(PyLong_FromLong(0));
    if (!zero) return nullptr;
    PyObject* argv[] = {a[1], zero.get(), Py_None, a[0]};
    return call_attr(ISLICE, argv, 4);
}

constexpr Signature CONS_SIG = Signature::function("cons", {"el", "seq"});
PyObject* cons(Args<CONS_SIG>& a) {
    Owned head = Owned::steal(PyTuple_Pack(1, a[0]));
    if (!head) return nullptr;
    PyObject* argv[] = {head.get(), a[1]};
    return call_attr(CHAIN, argv, 2);
}

}  // namespace

PyMethodDef TAKE_DEF = function_def<TAKE_SIG, take>("take(n, seq)\n--\n\n");
PyMethodDef DROP_DEF = function_def<DROP_SIG, drop>("drop(n, seq)\n--\n\n");
PyMethodDef TAKE_NTH_DEF = function_def<TAKE_NTH_SIG, take_nth>("take_nth(n, seq)\n--\n\n");
PyMethodDef CONS_DEF = function_def<CONS_SIG, cons>("cons(el, seq)\n--\n\n");

}  // namespace brisko
