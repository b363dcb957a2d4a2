// The entry reader shared by the mapping tools.
#include "mapping_items.hpp"

#include "../core/interpreter_cell.hpp"

namespace brisko {
namespace {

InterpreterCell ITEMS_NAME, KEYS_NAME;

}  // namespace

int has_keys(PyObject* obj) {
    if (PyDict_CheckExact(obj)) return 1;
    PyObject* name = interned(KEYS_NAME, "keys");
    return name ? PyObject_HasAttrWithError(obj, name) : -1;
}

int DictItems::changed_size() {
    PyErr_SetString(PyExc_RuntimeError, "dictionary changed size during iteration");
    return -1;
}

int DictItems::changed_keys() {
    PyErr_SetString(PyExc_RuntimeError, "dictionary keys changed during iteration");
    return -1;
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
    PyObject* name = interned(ITEMS_NAME, "items");
    if (!name) return Owned();
    Owned items = Owned::steal(PyObject_CallMethodNoArgs(mapping, name));
    if (!items) return items;
    return Owned::steal(PyObject_GetIter(items.get()));
}

}  // namespace brisko
