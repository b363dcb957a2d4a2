// The module definition and its exec step, which registers every exported name in a fixed order.
#include <Python.h>

#include "../core/panic.hpp"
#include "../dicttoolz/dicttoolz.hpp"
#include "../functoolz/functoolz.hpp"
#include "../iter/iter_cls.hpp"
#include "../itertoolz/itertoolz.hpp"
#include "../option/option.hpp"
#include "module_slots.hpp"
#include "registry.hpp"

namespace brisko {
namespace {

// Each subsystem's table, in the order of the subsystems; a table's unexported classes are made
// right after its exported names.
int register_all(PyObject* module) {
    if (add_names(module, OPTION_NAMES) < 0) return -1;
    if (add_names(module, ITERTOOLZ_NAMES) < 0) return -1;
    if (add_names(module, FUNCTOOLZ_NAMES) < 0) return -1;
    if (add_names(module, DICTTOOLZ_NAMES) < 0) return -1;
    return add_names(module, ITER_NAMES);
}

int exec_module(PyObject* module) noexcept {
    return boundary([&]() -> int {
        if (!PyModule_Check(module)) {
            PyErr_Format(PyExc_TypeError, "'%s' object cannot be converted to 'PyModule'", Py_TYPE(module)->tp_name);
            return -1;
        }
        // A legacy-configured subinterpreter skips the host's own check of the slot below.
        if (PyInterpreterState_Get() != PyInterpreterState_Main()) {
            PyErr_SetString(PyExc_ImportError, "module brisko._brisko does not support loading in subinterpreters");
            return -1;
        }
        return register_all(module);
    });
}

PyModuleDef_Slot module_slots[] = {
    {Py_mod_exec, reinterpret_cast<void*>(&exec_module)},
    // Type objects and cached lookups are process-wide and belong to the interpreter that made
    // them: a second interpreter must not share them, so it cannot import the module at all.
    {Py_mod_multiple_interpreters, Py_MOD_MULTIPLE_INTERPRETERS_NOT_SUPPORTED},
    {Py_mod_gil, BRISKO_MOD_GIL},
    {0, nullptr},
};

PyModuleDef module_def = {
    PyModuleDef_HEAD_INIT, "_brisko", "", 0, nullptr, module_slots, nullptr, nullptr, nullptr,
};

}  // namespace
}  // namespace brisko

PyMODINIT_FUNC PyInit__brisko() { return PyModuleDef_Init(&brisko::module_def); }
