// apply_key: the key rule shared by grouping, join and topk.
#include "itertoolz.hpp"

#include "../core/call.hpp"

namespace brisko {

PyObject* apply_key(PyObject* key, PyObject* item) {
    if (PyCallable_Check(key)) return call_one(key, item);
    return lookup_key(key, item);
}

// Without a default, the same lookups get makes: item[key], or the tuple of item[k] for a list.
PyObject* lookup_key(PyObject* key, PyObject* item) { return get_impl(key, item, nullptr); }

}  // namespace brisko
