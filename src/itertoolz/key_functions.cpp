// apply_key and all_equal: the key rule shared by grouping, join and topk, and the equality test
// of diff.
#include "itertoolz.hpp"

#include "../core/call.hpp"
#include "../core/errors.hpp"

namespace brisko {

PyObject* apply_key(PyObject* key, PyObject* item) {
    if (PyCallable_Check(key)) return call_one(key, item);
    return lookup_key(key, item);
}

// Without a default, the same lookups get makes: item[key], or the tuple of item[k] for a list.
PyObject* lookup_key(PyObject* key, PyObject* item) { return get_impl(key, item, nullptr); }

int all_equal(PyObject* const* items, std::size_t count) {
    for (std::size_t i = 1; i < count; ++i) {
        // == and its truth, with no identity shortcut: a NaN is not equal to itself here.
        Owned result = Owned::steal(PyObject_RichCompare(items[0], items[i], Py_EQ));
        if (!result) return fetch_status();
        int eq = truth(result.get());
        if (eq <= 0) return eq;
    }
    return 1;
}

}  // namespace brisko
