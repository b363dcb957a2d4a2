// The factory rule and the copy step of the mapping tools.
#include "factory.hpp"

#include "mapping_items.hpp"

namespace brisko {

Owned new_container(PyObject* factory, Py_ssize_t size_hint) {
    if (factory == nullptr || factory == Py_None) {
        return Owned::steal(size_hint > 0 ? _PyDict_NewPresized(size_hint) : PyDict_New());
    }
    return Owned::steal(PyObject_CallNoArgs(factory));
}

int copy_into(PyObject* target, PyObject* source) {
    // Dict into dict: the host's merge gives the same entries in the same order, reuses the
    // stored hashes, and copies a whole table at once when the target is empty.
    if (PyDict_CheckExact(source) && PyDict_CheckExact(target)) return PyDict_Merge(target, source, 1);
    return for_each_item(source, [&](PyObject* key, PyObject* value) { return set_item(target, key, value); });
}

}  // namespace brisko
