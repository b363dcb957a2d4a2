// Path lookups, with defaultdict reads that leave the defaultdict as it was.
#include "path_lookup.hpp"

#include "../binding/cached_attr.hpp"
#include "../core/interpreter_cell.hpp"
#include "../core/item_access.hpp"

namespace brisko {
namespace {

HostAttr DEFAULTDICT{"collections", "defaultdict"};
InterpreterCell DEFAULT_FACTORY_NAME;

// The defaultdict class (borrowed), or null: with the exception when the lookup failed, without
// one when the name does not hold a class.
PyTypeObject* defaultdict_type() {
    PyObject* type = cached_attr(DEFAULTDICT);
    return type && PyType_Check(type) ? reinterpret_cast<PyTypeObject*>(type) : nullptr;
}

// An absent key of a defaultdict: default_factory(), or absent when the factory is None.
int missing_from_defaultdict(PyObject* coll, Owned& out) {
    PyObject* name = interned(DEFAULT_FACTORY_NAME, "default_factory");
    if (!name) return -1;
    Owned factory = Owned::steal(PyObject_GetAttr(coll, name));
    if (!factory) return -1;
    if (factory.get() == Py_None) return 0;
    out = Owned::steal(PyObject_CallNoArgs(factory.get()));
    return out ? 1 : -1;
}

int defaultdict_lookup(PyObject* coll, PyTypeObject* defaultdict, PyObject* key, Owned& out) {
    // The dict's own table answers presence without calling __missing__.
    PyObject* raw;
    int present = PyDict_GetItemRef(coll, key, &raw);
    if (present < 0) return -1;
    if (!present) return missing_from_defaultdict(coll, out);
    out = Owned::steal(raw);
    if (Py_IS_TYPE(coll, defaultdict)) return 1;
    // A subclass may define its own __getitem__: a present key is read through it.
    out = Owned::steal(PyObject_GetItem(coll, key));
    return out ? 1 : -1;
}

}  // namespace

int path_lookup(PyObject* coll, PyObject* key, Owned& out) {
    if (PyDict_CheckExact(coll)) {
        PyObject* raw;
        int found = PyDict_GetItemRef(coll, key, &raw);
        out = Owned::steal(raw);
        return found;
    }
    if (PyDict_Check(coll)) {
        PyTypeObject* defaultdict = defaultdict_type();
        if (!defaultdict && PyErr_Occurred()) return -1;
        if (defaultdict && PyObject_TypeCheck(coll, defaultdict))
            return defaultdict_lookup(coll, defaultdict, key, out);
    }
    out = Owned::steal(get_item(coll, key));
    return out ? 1 : -1;
}

PyObject* raise_key_error(PyObject* key) {
    // Built from the key itself: a tuple key must not be spread into the exception's arguments.
    Owned error = Owned::steal(PyObject_CallOneArg(PyExc_KeyError, key));
    if (error) PyErr_SetObject(PyExc_KeyError, error.get());
    return nullptr;
}

}  // namespace brisko
