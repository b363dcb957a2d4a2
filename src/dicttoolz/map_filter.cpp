// keymap, valmap, itemmap and their filtering counterparts: one new mapping from one input,
// entry by entry in items() order. The six share one loop and differ in what they do with an entry.
#include "dicttoolz.hpp"

#include "../binding/function_def.hpp"
#include "../core/call.hpp"
#include "../core/errors.hpp"
#include "factory.hpp"
#include "mapping_items.hpp"

namespace brisko {
namespace {

// Which of the six tools an instantiation is.
enum class Tool { keymap, valmap, itemmap, keyfilter, valfilter, itemfilter };

[[gnu::cold]] int bad_pair_length(const char* relation) {
    PyErr_Format(PyExc_ValueError, "dictionary update sequence element has length %s 2; 2 is required", relation);
    return -1;
}

// The two elements of what itemmap's function returned: any iterable of exactly two elements.
int unpack_pair(PyObject* pair, Owned& first, Owned& second) {
    if (PyTuple_CheckExact(pair) || PyList_CheckExact(pair)) {
        Py_ssize_t n = PySequence_Fast_GET_SIZE(pair);
        if (n != 2) return bad_pair_length(n < 2 ? "<" : ">");
        first = Owned::borrow(PySequence_Fast_GET_ITEM(pair, 0));
        second = Owned::borrow(PySequence_Fast_GET_ITEM(pair, 1));
        return 0;
    }
    Owned it = Owned::steal(PyObject_GetIter(pair));
    if (!it) return -1;
    Owned* slots[2] = {&first, &second};
    for (Owned* slot : slots) {
        *slot = Owned::steal(iter_next(it.get()));
        if (!*slot) return PyErr_Occurred() ? -1 : bad_pair_length("<");
    }
    Owned extra = Owned::steal(iter_next(it.get()));
    if (extra) return bad_pair_length(">");
    return PyErr_Occurred() ? -1 : 0;
}

// Assigns `value` to `key` when `verdict` (a predicate's result) is true.
int keep_if(PyObject* result, PyObject* verdict, PyObject* key, PyObject* value) {
    if (!verdict) return -1;
    int keep = truth(verdict);
    if (keep <= 0) return keep;
    return set_item(result, key, value);
}

template <Tool T>
int apply_to_entry(PyObject* result, PyObject* func, PyObject* key, PyObject* value) {
    if constexpr (T == Tool::keymap || T == Tool::valmap) {
        Owned mapped = Owned::steal(call_one(func, T == Tool::keymap ? key : value));
        if (!mapped) return -1;
        return T == Tool::keymap ? set_item(result, mapped.get(), value) : set_item(result, key, mapped.get());
    } else if constexpr (T == Tool::keyfilter || T == Tool::valfilter) {
        Owned verdict = Owned::steal(call_one(func, T == Tool::keyfilter ? key : value));
        return keep_if(result, verdict.get(), key, value);
    } else {
        Owned entry = Owned::steal(PyTuple_Pack(2, key, value));
        if (!entry) return -1;
        Owned out = Owned::steal(call_one(func, entry.get()));
        if (!out) return -1;
        if constexpr (T == Tool::itemfilter) {
            return keep_if(result, out.get(), key, value);
        } else {
            Owned new_key, new_value;
            if (unpack_pair(out.get(), new_key, new_value) < 0) return -1;
            return set_item(result, new_key.get(), new_value.get());
        }
    }
}

template <Tool T>
PyObject* map_or_filter(PyObject* func, PyObject* d, PyObject* factory) {
    // A mapping of an exact dict has as many entries as its input (fewer only when keys collide).
    // A filter's result is not presized: a few entries kept from a large dict must not keep a
    // table sized for all of them.
    constexpr bool maps = T == Tool::keymap || T == Tool::valmap || T == Tool::itemmap;
    Owned result = new_container(factory, maps && PyDict_CheckExact(d) ? PyDict_GET_SIZE(d) : 0);
    if (!result) return nullptr;
    PyObject* target = result.get();
    int rc =
        for_each_item(d, [&](PyObject* key, PyObject* value) { return apply_to_entry<T>(target, func, key, value); });
    return rc < 0 ? nullptr : result.release();
}

// The bodies of the six, each instantiated with its own line.
template <Tool T, SignatureLine LINE>
PyObject* mapping(Args<LINE>& a) {
    return map_or_filter<T>(a["func"], a["d"], a["factory"]);
}
template <Tool T, SignatureLine LINE>
PyObject* filtering(Args<LINE>& a) {
    return map_or_filter<T>(a["predicate"], a["d"], a["factory"]);
}

Registered KEYMAP{DICTTOOLZ_NAMES, function_def<mapping<Tool::keymap, "keymap(func, d, factory=None)">>()};
Registered VALMAP{DICTTOOLZ_NAMES, function_def<mapping<Tool::valmap, "valmap(func, d, factory=None)">>()};
Registered ITEMMAP{DICTTOOLZ_NAMES, function_def<mapping<Tool::itemmap, "itemmap(func, d, factory=None)">>()};
Registered KEYFILTER{DICTTOOLZ_NAMES,
                     function_def<filtering<Tool::keyfilter, "keyfilter(predicate, d, factory=None)">>()};
Registered VALFILTER{DICTTOOLZ_NAMES,
                     function_def<filtering<Tool::valfilter, "valfilter(predicate, d, factory=None)">>()};
Registered ITEMFILTER{DICTTOOLZ_NAMES,
                      function_def<filtering<Tool::itemfilter, "itemfilter(predicate, d, factory=None)">>()};

}  // namespace
}  // namespace brisko
