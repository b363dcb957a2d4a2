// Registration of a table's names: the exported ones in the table's order, then its unexported classes.
#include "registry.hpp"

#include "../core/owned.hpp"
#include "../core/panic.hpp"

namespace brisko {
namespace {

// Appends `name` to the module's `__all__` (made when missing) and binds it to `obj` (borrowed).
int add_name(PyObject* module, const char* name, PyObject* obj) {
    PyObject* raw = nullptr;
    int found = PyObject_GetOptionalAttrString(module, "__all__", &raw);
    if (found < 0) return -1;
    Owned all = Owned::steal(raw);
    if (!found) {
        all = Owned::steal(PyList_New(0));
        if (!all || PyObject_SetAttrString(module, "__all__", all.get()) < 0) return -1;
    } else if (!PyList_Check(all.get())) {
        PyErr_SetString(PyExc_TypeError, "the module's __all__ is not a list");
        return -1;
    }
    Owned key = Owned::steal(PyUnicode_InternFromString(name));
    if (!key || PyList_Append(all.get(), key.get()) < 0) return -1;
    return PyObject_SetAttr(module, key.get(), obj);
}

// An unexported class fails only on exhausted memory or a broken host: the cause is reported, and
// the import fails with a panic that names the class.
int make_unexported(PyObject* module, const Registered& row) {
    Owned made = Owned::steal(row.make(module));
    if (made) return 0;
    PyErr_WriteUnraisable(nullptr);
    char message[128];  // a class name is short; a longer one is cut, never overrun
    PyOS_snprintf(message, sizeof message, "failed to create type object for `%s`", row.name());
    set_panic(message);
    return -1;
}

}  // namespace

int add_names(PyObject* module, const RegistrationTable& table) {
    if (table.check() < 0) return -1;
    for (std::size_t i = 0; i < table.size(); ++i) {
        Owned obj = Owned::steal(table.row(i).make(module));
        if (!obj || add_name(module, table.name(i), obj.get()) < 0) return -1;
    }
    for (const Registered* row = table.first(); row; row = row->next()) {
        if (!row->exported() && make_unexported(module, *row) < 0) return -1;
    }
    return 0;
}

}  // namespace brisko
