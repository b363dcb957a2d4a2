// assoc and dissoc: a copy of one mapping with one key set, or with some keys removed.
#include "dicttoolz.hpp"

#include "../binding/function_def.hpp"
#include "../core/errors.hpp"
#include "factory.hpp"

namespace brisko {
namespace {

PyObject* assoc(Args<"assoc(d, key, value, factory=None)">& a) {
    Owned result = new_container(a["factory"]);
    if (!result || copy_into(result.get(), a["d"]) < 0) return nullptr;
    if (set_item(result.get(), a["key"], a["value"]) < 0) return nullptr;
    return result.release();
}
Registered ASSOC{DICTTOOLZ_NAMES, function_def<assoc>()};

// Removes `key` from `target` when present: 0, or -1 with the exception of the test or deletion.
int remove_key(PyObject* target, PyObject* key) {
    // For an exact dict one lookup answers both membership and deletion.
    if (PyDict_CheckExact(target)) return PyDict_Pop(target, key, nullptr) < 0 ? -1 : 0;
    int present = PySequence_Contains(target, key);
    if (present <= 0) return present;
    return PyObject_DelItem(target, key);
}

PyObject* dissoc(Args<"dissoc(d, *keys, factory=None)">& a) {
    Owned result = new_container(a["factory"]);
    if (!result || copy_into(result.get(), a["d"]) < 0) return nullptr;
    for (Py_ssize_t i = 0; i < a.n_rest(); ++i) {
        if (remove_key(result.get(), a.rest()[i]) < 0 || check_signals(std::uint64_t(i) + 1) < 0) return nullptr;
    }
    return result.release();
}
Registered DISSOC{DICTTOOLZ_NAMES, function_def<dissoc>()};

}  // namespace

}  // namespace brisko
