// apply_key and all_equal: the key rule shared by grouping, join and topk, and the equality test
// of diff.
#include <vector>

#include "itertoolz.hpp"

#include "../utils/call.hpp"
#include "../utils/errors.hpp"
#include "../utils/item_access.hpp"
#include "../utils/tuple.hpp"

namespace brisko {

PyObject* apply_key(PyObject* key, PyObject* item) {
    if (PyCallable_Check(key)) return call_one(key, item);
    return lookup_key(key, item);
}

PyObject* lookup_key(PyObject* key, PyObject* item) {
    if (!PyList_Check(key)) return get_item(item, key);
    std::vector<Owned> parts;
    // A user __getitem__ may change the key list: its size is re-read and each key held.
    for (Py_ssize_t i = 0; i < PyList_GET_SIZE(key); ++i) {
        Owned k = Owned::borrow(PyList_GET_ITEM(key, i));
        Owned part = Owned::steal(get_item(item, k.get()));
        if (!part) return fetch_err();
        parts.push_back(std::move(part));
    }
    return tuple_from_owned(parts);
}

int all_equal(PyObject* const* items, std::size_t count) {
    for (std::size_t i = 1; i < count; ++i) {
        // == and its truth, with no identity shortcut: a NaN is not equal to itself here.
        Owned result = Owned::steal(PyObject_RichCompare(items[0], items[i], Py_EQ));
        if (!result) return fetch_err(), -1;
        int eq = truth(result.get());
        if (eq <= 0) return eq;
    }
    return 1;
}

}  // namespace brisko
