// The module definition and its exec step, which registers every exported name in a fixed order.
#include <Python.h>

#include <iterator>

#include "../dicttoolz/dicttoolz.hpp"
#include "../functoolz/functoolz.hpp"
#include "../iter/iter_cls.hpp"
#include "../itertoolz/itertoolz.hpp"
#include "../option/option.hpp"
#include "../iteration/native_iter.hpp"
#include "../core/owned.hpp"
#include "../core/panic.hpp"
#include "module_slots.hpp"
#include "registry.hpp"

namespace brisko {
namespace {

// The Option and Result classes, the `Nothing` instance, then the optional accessors: the first
// names of the module.
PyMethodDef* const OPTIONAL_ACCESSORS[] = {
    &FIRST_OPT_DEF, &LAST_OPT_DEF, &NTH_OPT_DEF, &GET_OPT_DEF, &GET_IN_OPT_DEF, &PEEK_OPT_DEF,
};

int register_option_values(PyObject* module) {
    PyTypeObject* (*const classes[])() noexcept = {&some_type, &nothing_type, &option_ns_type,
                                                    &ok_type,   &err_type,     &result_ns_type};
    for (auto type : classes) {
        if (add_class(module, type()) < 0) return -1;
    }
    Owned nothing = Owned::steal(new_nothing());
    if (!nothing || add_name(module, "Nothing", nothing.get()) < 0) return -1;
    return add_functions_one_by_one(module, OPTIONAL_ACCESSORS, std::size(OPTIONAL_ACCESSORS));
}

// The sequence tools, in export order.
PyMethodDef* const SEQUENCE_TOOLS[] = {
    &COUNT_DEF,        &FIRST_DEF,      &SECOND_DEF,      &LAST_DEF,           &NTH_DEF,        &GET_DEF,
    &ISDISTINCT_DEF,   &FREQUENCIES_DEF, &TOPK_DEF,       &PEEK_DEF,           &TAKE_DEF,       &DROP_DEF,
    &TAKE_NTH_DEF,     &TAIL_DEF,       &CONS_DEF,        &CONCAT_DEF,         &CONCATV_DEF,    &INTERPOSE_DEF,
    &INTERLEAVE_DEF,   &SLIDING_WINDOW_DEF, &PARTITION_DEF, &PARTITION_ALL_DEF, &MERGE_SORTED_DEF, &DIFF_DEF,
    &GROUPBY_DEF,      &COUNTBY_DEF,    &REDUCEBY_DEF,    &MAPCAT_DEF,         &PLUCK_DEF,      &REMOVE_DEF,
    &ACCUMULATE_DEF,   &ITERATE_DEF,    &UNIQUE_DEF,      &JOIN_DEF,
};

// The dedicated iterator classes are not exported; their type objects are made here, at import.
struct DedicatedClassRow {
    ClassDef* def;
    const char* name;
};
const DedicatedClassRow DEDICATED_ITERATORS[] = {
    {&INTERPOSE_ITER_CLASS, "InterposeIter"},   {&SLIDING_WINDOW_ITER_CLASS, "SlidingWindowIter"},
    {&UNIQUE_ITER_CLASS, "UniqueIter"},         {&UNIQUE_I64_ITER_CLASS, "UniqueI64Iter"},
    {&PLUCK_ITER_CLASS, "PluckIter"},          {&MAP_ITER_CLASS, "MapIter"},
    {&FILTER_ITER_CLASS, "FilterIter"},
};

int install_dedicated_iterators() {
    for (const DedicatedClassRow& row : DEDICATED_ITERATORS) {
        if (class_type(*row.def)) continue;
        // Only exhausted memory or a broken host gets here: report the cause, then fail the import.
        PyErr_WriteUnraisable(nullptr);
        Owned message = Owned::steal(PyUnicode_FromFormat("failed to create type object for `%s`", row.name));
        if (message) set_panic(PyUnicode_AsUTF8(message.get()));
        return -1;
    }
    return 0;
}

// Function tools after `curry`, in export order; `flip` follows them.
PyMethodDef* const FUNCTION_TOOLS[] = {
    &IDENTITY_DEF, &APPLY_DEF,      &PIPE_DEF,    &DO_DEF,     &COMPOSE_DEF,      &COMPOSE_LEFT_DEF,
    &COMPLEMENT_DEF, &JUXT_DEF,     &EXCEPTS_DEF, &MEMOIZE_DEF, &THREAD_FIRST_DEF, &THREAD_LAST_DEF,
};

// `curry`, the function tools, then `flip`: a curry over its builtin, so that flip(f) and flip(f, a)
// gather arguments.
int register_function_tools(PyObject* module) {
    if (add_class(module, class_type(CURRY_CLASS)) < 0) return -1;
    if (add_functions_batch(module, FUNCTION_TOOLS, std::size(FUNCTION_TOOLS)) < 0) return -1;
    Owned flip_apply = Owned::steal(new_function(&FLIP_DEF));
    Owned flip = flip_apply ? Owned::steal(new_curry(flip_apply.get())) : Owned();
    return flip ? add_name(module, "flip", flip.get()) : -1;
}

// The mapping tools, in export order.
PyMethodDef* const MAPPING_TOOLS[] = {
    &MERGE_DEF,  &MERGE_WITH_DEF, &ASSOC_DEF,   &DISSOC_DEF,    &ASSOC_IN_DEF,  &UPDATE_IN_DEF,  &GET_IN_DEF,
    &KEYMAP_DEF, &VALMAP_DEF,     &ITEMMAP_DEF, &KEYFILTER_DEF, &VALFILTER_DEF, &ITEMFILTER_DEF,
};

int register_all(PyObject* module) {
    if (register_option_values(module) < 0) return -1;
    if (add_class(module, class_type(NATIVE_ITER_CLASS)) < 0) return -1;
    if (add_functions_one_by_one(module, SEQUENCE_TOOLS, std::size(SEQUENCE_TOOLS)) < 0) return -1;
    if (install_dedicated_iterators() < 0) return -1;
    if (register_function_tools(module) < 0) return -1;
    if (add_functions_batch(module, MAPPING_TOOLS, std::size(MAPPING_TOOLS)) < 0) return -1;
    return add_class(module, class_type(ITER_CLASS));
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
