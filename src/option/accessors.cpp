// The optional accessors: one element of a container or an iterable, as Some(element), or
// Nothing where the plain accessors would raise. Every input is read in iteration order, never
// through its __getitem__.
#include "option.hpp"

#include "../binding/function_def.hpp"
#include "../core/errors.hpp"
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

PyObject* first_opt(Args<"first_opt(seq)">& a) { return brisko::first_opt(a["seq"]); }
Registered FIRST_OPT{OPTION_NAMES, function_def<first_opt>()};

PyObject* last_opt(Args<"last_opt(seq)">& a) { return brisko::last_opt(a["seq"]); }
Registered LAST_OPT{OPTION_NAMES, function_def<last_opt>()};

PyObject* nth_opt(Args<"nth_opt(n, seq)">& a) {
    std::uint64_t n;
    if (a.to_count("n", n) < 0) return nullptr;
    return brisko::nth_opt(n, a["seq"]);
}
Registered NTH_OPT{OPTION_NAMES, function_def<nth_opt>()};

PyObject* peek_opt(Args<"peek_opt(seq)">& a) {
    Owned it = Owned::steal(PyObject_GetIter(a["seq"]));
    if (!it) return nullptr;
    Owned head = Owned::steal(iter_next(it.get()));
    if (!head) return nothing_unless_error();
    Owned pair = Owned::steal(head_and_rest(head.get(), it.get()));
    if (!pair) return nullptr;
    return new_some(std::move(pair));
}
Registered PEEK_OPT{OPTION_NAMES, function_def<peek_opt>()};

// A list `ind` is one key here, not a list of keys.
PyObject* get_opt(Args<"get_opt(ind, coll)">& a) { return found_or_nothing(get_item(a["coll"], a["ind"])); }
Registered GET_OPT{OPTION_NAMES, function_def<get_opt>()};

PyObject* get_in_opt(Args<"get_in_opt(coll, *keys)">& a) {
    Owned current = Owned::borrow(a["coll"]);
    for (Py_ssize_t i = 0; i < a.n_rest(); ++i) {
        PyObject* next = get_item(current.get(), a.rest()[i]);
        if (!next) return found_or_nothing(nullptr);
        current = Owned::steal(next);
    }
    return new_some(std::move(current));
}
Registered GET_IN_OPT{OPTION_NAMES, function_def<get_in_opt>()};

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

}  // namespace brisko
