// The optional accessors: one element of a container or an iterable, as Some(element), or
// Nothing where the plain accessors would raise. Every input is read in iteration order, never
// through its __getitem__.
#include "option.hpp"

#include "../core/errors.hpp"
#include "../binding/function_def.hpp"
#include "../core/item_access.hpp"
#include "../iteration/for_each_element.hpp"
#include "../iteration/peeked.hpp"

namespace brisko {
namespace {

// After a pull returned null: the end gives Nothing, an error propagates.
PyObject* nothing_unless_error() { return PyErr_Occurred() ? nullptr : new_nothing(); }

// Some(coll[key]), Nothing for a lookup error, null for any other error. `item` is the lookup's result.
PyObject* found_or_nothing(PyObject* item) {
    if (item) return new_some(Owned::steal(item));
    if (!is_lookup_error()) return nullptr;
    PyErr_Clear();
    return new_nothing();
}

constexpr Signature FIRST_OPT_SIG = Signature::function("first_opt", {"seq"});
PyObject* first_opt(Args<FIRST_OPT_SIG>& a) { return brisko::first_opt(a[0]); }

constexpr Signature LAST_OPT_SIG = Signature::function("last_opt", {"seq"});
PyObject* last_opt(Args<LAST_OPT_SIG>& a) { return brisko::last_opt(a[0]); }

constexpr Signature NTH_OPT_SIG = Signature::function("nth_opt", {"n", "seq"});
PyObject* nth_opt(Args<NTH_OPT_SIG>& a) {
    std::uint64_t n;
    if (to_count(NTH_OPT_SIG, 0, a[0], n) < 0) return nullptr;
    return brisko::nth_opt(n, a[1]);
}

constexpr Signature PEEK_OPT_SIG = Signature::function("peek_opt", {"seq"});
PyObject* peek_opt(Args<PEEK_OPT_SIG>& a) {
    Owned it = Owned::steal(PyObject_GetIter(a[0]));
    if (!it) return nullptr;
    Owned head = Owned::steal(iter_next(it.get()));
    if (!head) return nothing_unless_error();
    Owned pair = Owned::steal(head_and_rest(head.get(), it.get()));
    if (!pair) return nullptr;
    return new_some(std::move(pair));
}

// A list `ind` is one key here, not a list of keys.
constexpr Signature GET_OPT_SIG = Signature::function("get_opt", {"ind", "coll"});
PyObject* get_opt(Args<GET_OPT_SIG>& a) { return found_or_nothing(get_item(a[1], a[0])); }

constexpr Signature GET_IN_OPT_SIG = Signature::function("get_in_opt", {"coll"}).with_rest();
PyObject* get_in_opt(Args<GET_IN_OPT_SIG>& a) {
    Owned current = Owned::borrow(a[0]);
    for (Py_ssize_t i = 0; i < a.n_rest; ++i) {
        PyObject* next = get_item(current.get(), a.rest[i]);
        if (!next) return found_or_nothing(nullptr);
        current = Owned::steal(next);
    }
    return new_some(std::move(current));
}

}  // namespace

PyObject* first_opt(PyObject* seq) {
    Owned it = Owned::steal(PyObject_GetIter(seq));
    if (!it) return nullptr;
    PyObject* item = iter_next(it.get());
    if (!item) return nothing_unless_error();
    return new_some(Owned::steal(item));
}

PyObject* last_opt(PyObject* seq) {
    Owned last;
    int rc = for_each_element(seq, [&](Owned&& item) {
        last = std::move(item);
        return 0;
    });
    if (rc < 0) return nullptr;
    return last ? new_some(std::move(last)) : new_nothing();
}

PyObject* nth_opt(std::uint64_t n, PyObject* seq) {
    std::uint64_t skipped = 0;
    Owned found;
    int rc = for_each_element(seq, [&](Owned&& item) {
        if (skipped++ < n) return 0;
        found = std::move(item);
        return 1;
    });
    if (rc < 0) return nullptr;
    return found ? new_some(std::move(found)) : new_nothing();
}

PyMethodDef FIRST_OPT_DEF = function_def<FIRST_OPT_SIG, first_opt>("first_opt(seq)\n--\n\n");
PyMethodDef LAST_OPT_DEF = function_def<LAST_OPT_SIG, last_opt>("last_opt(seq)\n--\n\n");
PyMethodDef NTH_OPT_DEF = function_def<NTH_OPT_SIG, nth_opt>("nth_opt(n, seq)\n--\n\n");
PyMethodDef GET_OPT_DEF = function_def<GET_OPT_SIG, get_opt>("get_opt(ind, coll)\n--\n\n");
PyMethodDef GET_IN_OPT_DEF = function_def<GET_IN_OPT_SIG, get_in_opt>("get_in_opt(coll, *keys)\n--\n\n");
PyMethodDef PEEK_OPT_DEF = function_def<PEEK_OPT_SIG, peek_opt>("peek_opt(seq)\n--\n\n");

}  // namespace brisko
