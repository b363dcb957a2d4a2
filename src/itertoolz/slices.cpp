// take, drop, take_nth and cons: prefix cutting handed to the host's own islice and chain objects,
// whose validation, messages and laziness are theirs.
#include "itertoolz.hpp"

#include "../binding/cached_attr.hpp"
#include "../binding/function_def.hpp"

namespace brisko {
namespace {

PyObject* take(Args<"take(n, seq)">& a) {
    PyObject* argv[] = {a["seq"], a["n"]};
    return call_attr(ISLICE, argv, 2);
}
Registered TAKE{ITERTOOLZ_NAMES, function_def<take>()};

PyObject* drop(Args<"drop(n, seq)">& a) {
    PyObject* argv[] = {a["seq"], a["n"], Py_None};
    return call_attr(ISLICE, argv, 3);
}
Registered DROP{ITERTOOLZ_NAMES, function_def<drop>()};

PyObject* take_nth(Args<"take_nth(n, seq)">& a) {
    Owned zero = Owned::steal(PyLong_FromLong(0));
    if (!zero) return nullptr;
    PyObject* argv[] = {a["seq"], zero.get(), Py_None, a["n"]};
    return call_attr(ISLICE, argv, 4);
}
Registered TAKE_NTH{ITERTOOLZ_NAMES, function_def<take_nth>()};

PyObject* cons(Args<"cons(el, seq)">& a) {
    Owned head = Owned::steal(PyTuple_Pack(1, a["el"]));
    if (!head) return nullptr;
    PyObject* argv[] = {head.get(), a["seq"]};
    return call_attr(CHAIN, argv, 2);
}
Registered CONS{ITERTOOLZ_NAMES, function_def<cons>()};

}  // namespace

}  // namespace brisko
