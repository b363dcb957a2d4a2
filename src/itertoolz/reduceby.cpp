// reduceby: a running reduction per key, kept directly in the result dict.
#include "itertoolz.hpp"

#include "../utils/call.hpp"
#include "../utils/errors.hpp"
#include "../utils/function_def.hpp"

namespace brisko {
namespace {

constexpr Signature REDUCEBY_SIG = Signature::function("reduceby", {"key", "binop", "seq"}).with_rest();
PyObject* reduceby(Args<REDUCEBY_SIG>& a) {
    if (a.n_rest > 1) {
        PyErr_SetString(PyExc_TypeError, "reduceby takes at most 4 arguments");
        return nullptr;
    }
    PyObject *key = a[0], *binop = a[1];
    PyObject* initial = a.n_rest == 1 ? a.rest[0] : nullptr;
    bool fresh_start = initial && PyCallable_Check(initial);  // a factory: one new start per key
    Owned result = Owned::steal(PyDict_New());
    if (!result) return nullptr;
    Owned it = Owned::steal(PyObject_GetIter(a[2]));
    if (!it) return nullptr;
    while (PyObject* raw = iter_next(it.get())) {
        Owned item = Owned::steal(raw);
        Owned k = Owned::steal(apply_key(key, item.get()));
        if (!k) return fetch_err();
        PyObject* found = nullptr;
        if (PyDict_GetItemRef(result.get(), k.get(), &found) < 0) return nullptr;
        Owned current = Owned::steal(found);
        Owned next;
        if (current) {
            next = Owned::steal(call_two(binop, current.get(), item.get()));
        } else if (!initial) {
            next = std::move(item);
        } else {
            Owned start = fresh_start ? Owned::steal(PyObject_CallNoArgs(initial)) : Owned::borrow(initial);
            if (!start) return fetch_err();
            next = Owned::steal(call_two(binop, start.get(), item.get()));
        }
        if (!next || PyDict_SetItem(result.get(), k.get(), next.get()) < 0) return fetch_err();
    }
    if (PyErr_Occurred()) return nullptr;
    return result.release();
}

}  // namespace

PyMethodDef REDUCEBY_DEF = function_def<REDUCEBY_SIG, reduceby>("reduceby(key, binop, seq, *rest)\n--\n\n");

}  // namespace brisko
