// The module definition and its exec step, which registers every exported name in a fixed order.
#include <Python.h>

#include <cstdint>

#include "../core/interpreter_cell.hpp"
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

// The module's share of its interpreter's block.
std::uint64_t* share_of(PyObject* module) noexcept { return static_cast<std::uint64_t*>(PyModule_GetState(module)); }

int exec_module(PyObject* module) noexcept {
    return boundary([&]() -> int {
        if (!PyModule_Check(module)) {
            PyErr_Format(PyExc_TypeError, "'%s' object cannot be converted to 'PyModule'", Py_TYPE(module)->tp_name);
            return -1;
        }
        // Every class, cached lookup and interned name this interpreter uses is made in its own
        // block, so that interpreters with a lock of their own never share a mutable object.
        if (interpreter_cells::open(share_of(module)) < 0) return -1;
        return register_all(module);
    });
}

int clear_module(PyObject* module) {
    if (std::uint64_t* share = share_of(module)) interpreter_cells::close(share);
    return 0;
}

void free_module(void* module) { clear_module(static_cast<PyObject*>(module)); }

PyModuleDef_Slot module_slots[] = {
    {Py_mod_exec, reinterpret_cast<void*>(&exec_module)},
    {Py_mod_multiple_interpreters, Py_MOD_PER_INTERPRETER_GIL_SUPPORTED},
    {Py_mod_gil, BRISKO_MOD_GIL},
    {0, nullptr},
};

PyModuleDef module_def = {
    PyModuleDef_HEAD_INIT, "_brisko",    "", sizeof(std::uint64_t), nullptr, module_slots, nullptr,
    &clear_module,         &free_module,
};

}  // namespace
}  // namespace brisko

PyMODINIT_FUNC PyInit__brisko() { return PyModuleDef_Init(&brisko::module_def); }
