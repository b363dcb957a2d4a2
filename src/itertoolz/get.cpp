// get: one element by key, or a tuple of elements for a list of keys, with an optional default.
#include <vector>

#include "itertoolz.hpp"

#include "../utils/errors.hpp"
#include "../utils/function_def.hpp"
#include "../utils/item_access.hpp"
#include "../utils/tuple.hpp"

namespace brisko {
namespace {

// coll[key]; with a default, a lookup error (KeyError, IndexError, TypeError) gives the default.
PyObject* lookup(PyObject* coll, PyObject* key, PyObject* dflt) {
    PyObject* item = get_item(coll, key);
    if (item || !dflt || !is_lookup_error()) return item;
    PyErr_Clear();
    return Py_NewRef(dflt);
}

constexpr Signature GET_SIG = Signature::function("get", {"ind", "coll"}).with_rest();
PyObject* get(Args<GET_SIG>& a) {
    if (a.n_rest > 1) {
        PyErr_SetString(PyExc_TypeError, "get takes at most 3 arguments");
        return nullptr;
    }
    return get_impl(a[0], a[1], a.n_rest == 1 ? a.rest[0] : nullptr);
}

}  // namespace

PyObject* get_impl(PyObject* ind, PyObject* coll, PyObject* dflt) {
    // Only a list selects several keys; a tuple is one key (mappings keyed by tuples).
    if (!PyList_Check(ind)) return lookup(coll, ind, dflt);
    std::vector<Owned> items;
    // The keys list may change under a user __getitem__: its size is re-read and each key held.
    for (Py_ssize_t i = 0; i < PyList_GET_SIZE(ind); ++i) {
        Owned key = Owned::borrow(PyList_GET_ITEM(ind, i));
        Owned item = Owned::steal(lookup(coll, key.get(), dflt));
        if (!item) return nullptr;
        items.push_back(std::move(item));
    }
    return tuple_from_owned(items);
}

PyMethodDef GET_DEF = function_def<GET_SIG, get>("get(ind, coll, *rest)\n--\n\n");

}  // namespace brisko
