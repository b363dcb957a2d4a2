// get: one element by key, or a tuple of elements for a list of keys, with an optional default.
#include <array>
#include <iterator>
#include <vector>

#include "itertoolz.hpp"

#include "../binding/function_def.hpp"
#include "../core/errors.hpp"
#include "../core/item_access.hpp"
#include "../core/tuple.hpp"

namespace brisko {
namespace {

// coll[key]; with a default, a lookup error (KeyError, IndexError, TypeError) gives the default.
PyObject* lookup(PyObject* coll, PyObject* key, PyObject* dflt) {
    PyObject* item = get_item(coll, key);
    if (item || !dflt || !is_lookup_error()) return item;
    PyErr_Clear();
    return Py_NewRef(dflt);
}

PyObject* get(Args<"get(ind, coll, default=...)">& a) { return get_impl(a["ind"], a["coll"], a["default"]); }
Registered GET{ITERTOOLZ_NAMES, function_def<get>()};

}  // namespace

// The tuple of lookups for a list of keys, the keys re-read one at a time (a user __getitem__ may
// change the list), after the `done` entries already made.
static PyObject* lookups_one_by_one(PyObject* ind, PyObject* coll, PyObject* dflt, std::vector<Owned> done) {
    for (Py_ssize_t i = Py_ssize_t(done.size()); i < PyList_GET_SIZE(ind); ++i) {
        Owned key = Owned::steal(list_item(ind, i));
        if (!key) break;  // another thread shortened the list since its length was read
        Owned item = Owned::steal(lookup(coll, key.get(), dflt));
        if (!item) return nullptr;
        done.push_back(std::move(item));
    }
    return tuple_from_owned(done);
}

// The tuple of coll[k] for the keys of `ind` when indexed_item reads every one of them, or null
// (no exception) when one is not: nothing here runs Python code, so only another thread can change
// the keys under it, and then a miss (a key gone) starts over the general way.
static PyObject* indexed_lookups(PyObject* ind, PyObject* coll) {
    if (!PyList_CheckExact(coll) && !PyTuple_CheckExact(coll)) return nullptr;
    const Py_ssize_t n = PyList_GET_SIZE(ind);
    Owned result = Owned::steal(PyTuple_New(n));
    if (!result) {
        PyErr_Clear();  // the general way raises it again
        return nullptr;
    }
    for (Py_ssize_t i = 0; i < n; ++i) {
        Owned key = Owned::steal(list_item(ind, i));
        PyObject* item = key ? indexed_item(coll, key.get()) : nullptr;
        if (!item) return nullptr;
        PyTuple_SET_ITEM(result.get(), i, item);
    }
    return result.release();
}

PyObject* get_impl(PyObject* ind, PyObject* coll, PyObject* dflt) {
    // Only a list selects several keys; a tuple is one key (mappings keyed by tuples).
    if (!PyList_Check(ind)) return lookup(coll, ind, dflt);
    if (PyObject* picked = indexed_lookups(ind, coll)) return picked;
    // Short key lists (pluck's usual case) collect on the stack, so a lookup allocates nothing
    // but its result tuple, which no Python code sees half-filled.
    constexpr Py_ssize_t SHORT = 16;
    const Py_ssize_t n = PyList_GET_SIZE(ind);
    if (n > SHORT) return lookups_one_by_one(ind, coll, dflt, {});
    std::array<Owned, SHORT> got;
    auto go_on_one_by_one = [&](Py_ssize_t done) {  // the list changed: the first `done` are made
        auto begin = std::make_move_iterator(got.begin());
        return lookups_one_by_one(ind, coll, dflt, std::vector<Owned>(begin, begin + done));
    };
    for (Py_ssize_t i = 0; i < n; ++i) {
        Owned key = Owned::steal(list_item(ind, i));  // held: the list may drop it meanwhile
        if (!key) return go_on_one_by_one(i);         // shortened by another thread
        got[std::size_t(i)] = Owned::steal(lookup(coll, key.get(), dflt));
        if (!got[std::size_t(i)]) return nullptr;
        if (PyList_GET_SIZE(ind) != n) return go_on_one_by_one(i + 1);
    }
    PyObject* result = PyTuple_New(n);
    if (!result) return nullptr;
    for (Py_ssize_t i = 0; i < n; ++i) PyTuple_SET_ITEM(result, i, got[std::size_t(i)].release());
    return result;
}

}  // namespace brisko
