// reduceby: a running reduction per key, kept directly in the result dict.
#include "itertoolz.hpp"

#include "../binding/function_def.hpp"
#include "../core/call.hpp"
#include "../core/errors.hpp"
#include "../iteration/for_each_element.hpp"

namespace brisko {
namespace {

PyObject* reduceby(Args<"reduceby(key, binop, seq, init=...)">& a) {
    PyObject *key = a["key"], *binop = a["binop"], *initial = a["init"];
    bool fresh_start = initial && PyCallable_Check(initial);  // a factory: one new start per key
    Owned result = Owned::steal(PyDict_New());
    if (!result) return nullptr;
    int rc = for_each_element(a["seq"], [&](PyObject* item) {
        Owned k = Owned::steal(apply_key(key, item));
        if (!k) return fetch_status();
        PyObject* found = nullptr;
        if (PyDict_GetItemRef(result.get(), k.get(), &found) < 0) return -1;
        Owned current = Owned::steal(found);
        Owned next;
        if (current) {
            next = Owned::steal(call_two(binop, current.get(), item));
        } else if (!initial) {
            next = Owned::borrow(item);
        } else {
            Owned start = fresh_start ? Owned::steal(PyObject_CallNoArgs(initial)) : Owned::borrow(initial);
            if (!start) return fetch_status();
            next = Owned::steal(call_two(binop, start.get(), item));
        }
        if (!next || PyDict_SetItem(result.get(), k.get(), next.get()) < 0) return fetch_status();
        return 0;
    });
    return rc < 0 ? nullptr : result.release();
}
Registered REDUCEBY{ITERTOOLZ_NAMES, function_def<reduceby>()};

}  // namespace

}  // namespace brisko
