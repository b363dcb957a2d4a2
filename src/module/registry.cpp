// Registration of exported names, in the order the caller gives them.
#include "registry.hpp"

#include "../core/owned.hpp"

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

}  // namespace

int add_names(PyObject* module, const RegistrationTable& table) {
    if (table.check() < 0) return -1;
    for (std::size_t i = 0; i < table.size(); ++i) {
        Owned obj = Owned::steal(table.row(i).make(module));
        if (!obj || add_name(module, table.name(i), obj.get()) < 0) return -1;
    }
    return 0;
}

}  // namespace brisko
