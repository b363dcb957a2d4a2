// take, drop, take_nth and cons: prefix cutting handed to the host's own islice and chain objects,
// whose validation, messages and laziness are theirs.
#include "itertoolz.hpp"

#include "../binding/cached_attr.hpp"
#include "../binding/function_def.hpp"

namespace brisko {
namespace {

PyObject* take(Bound<2>& a) {
    PyObject* argv[] = {a[1], a[0]};
    return call_attr(ISLICE, argv, 2);
}
Registered TAKE{ITERTOOLZ_NAMES, function_def<"take(n, seq)", take>()};

PyObject* drop(Bound<2>& a) {
    PyObject* argv[] = {a[1], a[0], Py_None};
    return call_attr(ISLICE, argv, 3);
}
Registered DROP{ITERTOOLZ_NAMES, function_def<"drop(n, seq)", drop>()};

PyObject* take_nth(Bound<2>& a) {
    Owned zero = Owned::steal(PyLong_FromLong(0));
    if (!zero) return nullptr;
    PyObject* argv[] = {a[1], zero.get(), Py_None, a[0]};
    return call_attr(ISLICE, argv, 4);
}
Registered TAKE_NTH{ITERTOOLZ_NAMES, function_def<"take_nth(n, seq)", take_nth>()};

PyObject* cons(Bound<2>& a) {
    Owned head = Owned::steal(PyTuple_Pack(1, a[0]));
    if (!head) return nullptr;
    PyObject* argv[] = {head.get(), a[1]};
    return call_attr(CHAIN, argv, 2);
}
Registered CONS{ITERTOOLZ_NAMES, function_def<"cons(el, seq)", cons>()};

}  // namespace

}  // namespace brisko
