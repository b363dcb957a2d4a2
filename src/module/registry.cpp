// Registration of exported names, in the order the caller gives them.
#include "registry.hpp"

#include <cstring>
#include <vector>

#include "../core/owned.hpp"

namespace brisko {

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

PyObject* new_function(PyMethodDef* def) {
    Owned module_name = Owned::steal(PyUnicode_InternFromString("brisko._brisko"));
    if (!module_name) return nullptr;
    return PyCMethod_New(def, nullptr, module_name.get(), nullptr);
}

int add_functions_one_by_one(PyObject* module, PyMethodDef* const* defs, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        Owned function = Owned::steal(new_function(defs[i]));
        if (!function || add_name(module, defs[i]->ml_name, function.get()) < 0) return -1;
    }
    return 0;
}

int add_functions_batch(PyObject* module, PyMethodDef* const* defs, std::size_t count) {
    std::vector<Owned> functions;
    for (std::size_t i = 0; i < count; ++i) {
        functions.push_back(Owned::steal(new_function(defs[i])));
        if (!functions.back()) return -1;
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (add_name(module, defs[i]->ml_name, functions[i].get()) < 0) return -1;
    }
    return 0;
}

int add_class(PyObject* module, PyTypeObject* type) {
    if (!type) return -1;
    const char* dot = std::strrchr(type->tp_name, '.');
    return add_name(module, dot ? dot + 1 : type->tp_name, reinterpret_cast<PyObject*>(type));
}

}  // namespace brisko
