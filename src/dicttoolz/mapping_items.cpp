// The entry reader shared by the mapping tools.
#include "mapping_items.hpp"

#include "../utils/once_cell.hpp"

namespace brisko {
namespace {

OnceCell ITEMS_NAME, KEYS_NAME;

PyObject* interned(OnceCell& cell, const char* text) {
    return cell.get_or_init([&]() { return Owned::steal(PyUnicode_InternFromString(text)); });
}

[[gnu::cold]] int dict_changed(const char* message) {
    PyErr_SetString(PyExc_RuntimeError, message);
    return -1;
}

}  // namespace

PyObject* items_name() { return interned(ITEMS_NAME, "items"); }
PyObject* keys_name() { return interned(KEYS_NAME, "keys"); }

int has_keys(PyObject* obj) {
    if (PyDict_CheckExact(obj)) return 1;
    PyObject* name = keys_name();
    return name ? PyObject_HasAttrWithError(obj, name) : -1;
}

int DictItems::next(Owned& key, Owned& value) {
    if (PyDict_GET_SIZE(dict_) != size_) return dict_changed("dictionary changed size during iteration");
    PyObject *k, *v;
    if (!PyDict_Next(dict_, &pos_, &k, &v)) return 0;
    if (remaining_ == 0) return dict_changed("dictionary keys changed during iteration");
    --remaining_;
    // Both are held before either old reference goes: dropping one may run a __del__.
    Owned held_key = Owned::borrow(k), held_value = Owned::borrow(v);
    key = std::move(held_key);
    value = std::move(held_value);
    return 1;
}

int unpack_entry(PyObject* item, PyObject** key, PyObject** value) {
    if (!PyTuple_Check(item)) {
        not_an_instance(item, "tuple");
        return -1;
    }
    if (PyTuple_GET_SIZE(item) < 2) {
        PyErr_SetString(PyExc_IndexError, "tuple index out of range");
        return -1;
    }
    *key = PyTuple_GET_ITEM(item, 0);
    *value = PyTuple_GET_ITEM(item, 1);
    return 0;
}

Owned items_iterator(PyObject* mapping) {
    PyObject* name = items_name();
    if (!name) return Owned();
    Owned items = Owned::steal(PyObject_CallMethodNoArgs(mapping, name));
    if (!items) return items;
    return Owned::steal(PyObject_GetIter(items.get()));
}

}  // namespace brisko
