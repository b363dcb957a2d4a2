// brisko._introspect: what the package's pickling support (python/brisko/_pickling.py) reads from
// inside brisko's objects. Its init function sits in _brisko's own library, beside PyInit__brisko,
// so that it knows objects by the very type objects _brisko made; the package loads it by path.
#include <Python.h>

#include "../binding/function_def.hpp"
#include "../core/interpreter_cell.hpp"
#include "../core/panic.hpp"
#include "../functoolz/functoolz.hpp"
#include "../iter/iter_cls.hpp"
#include "module_slots.hpp"

namespace brisko {
namespace {

PyTypeObject* curry_type() noexcept { return class_type(CURRY_CLASS); }
PyTypeObject* iter_type() noexcept { return class_type(ITER_CLASS); }

// A class whose parts pickling reads: the kind that names its family to pickling, its type object,
// and the reader of its parts (a tuple, read from an object exactly of that class). Guard: all but
// the interned kind, which is per interpreter, are immutable after load.
struct Reader {
    const char* kind;
    PyTypeObject* (*type)() noexcept;
    PyObject* (*read)(PyObject*);
    InterpreterCell kind_str{};  // `kind` as an interned str, made on first use
};

Reader READERS[] = {
    {"curry", &curry_type, &curry_parts},       {"compose", &compose_type, &compose_funcs},
    {"juxt", &juxt_type, &juxt_funcs},          {"complement", &complement_type, &complement_parts},
    {"excepts", &excepts_type, &excepts_parts}, {"memoize", &memoize_type, &memoize_parts},
    {"Iter", &iter_type, &iter_parts},
};

// (kind, parts) for an object of one of the classes above (never subclassed, so its type alone
// decides), None for any other object.
PyObject* parts(Args<"parts(obj)">& a) {
    for (Reader& reader : READERS) {
        PyTypeObject* type = reader.type();
        if (!type) return nullptr;
        if (!Py_IS_TYPE(a["obj"], type)) continue;
        PyObject* kind =
            reader.kind_str.get_or_init([&] { return Owned::steal(PyUnicode_InternFromString(reader.kind)); });
        if (!kind) return nullptr;
        Owned read = Owned::steal(reader.read(a["obj"]));
        if (!read) return nullptr;
        return PyTuple_Pack(2, kind, read.get());
    }
    Py_RETURN_NONE;
}

// (bottom, height) of the stack of single-function decorators that `obj` tops, None for any other
// object.
PyObject* stack(Args<"stack(obj)">& a) {
    const DecoratorStack* stack = decorator_stack(a["obj"]);
    if (!stack) return PyErr_Occurred() ? nullptr : Py_NewRef(Py_None);
    return Py_BuildValue("(On)", stack->bottom.get(), Py_ssize_t(stack->height));
}

// The way back from curry_parts: keywords as one dict, so that any name round-trips, `func` too.
PyObject* from_curry_parts(Args<"curry_from_parts(func, args, kwargs)">& a) {
    return curry_from_parts(a["func"], a["args"], a["kwargs"]);
}

PyMethodDef introspect_functions[] = {
    function_def<parts>(),
    function_def<stack>(),
    function_def<from_curry_parts>(),
    {nullptr, nullptr, 0, nullptr},
};

// Every class whose parts are read, under its bare name: the classes the factories make are not
// exported by _brisko, and copyreg needs them.
int exec_introspect(PyObject* module) noexcept {
    return boundary([&]() -> int {
        for (Reader& reader : READERS) {
            PyTypeObject* type = reader.type();
            if (!type || PyModule_AddType(module, type) < 0) return -1;
        }
        return 0;
    });
}

PyModuleDef_Slot introspect_slots[] = {
    {Py_mod_exec, reinterpret_cast<void*>(&exec_introspect)},
    {Py_mod_multiple_interpreters, Py_MOD_PER_INTERPRETER_GIL_SUPPORTED},
    {Py_mod_gil, BRISKO_MOD_GIL},
    {0, nullptr},
};

PyModuleDef introspect_def = {
    PyModuleDef_HEAD_INIT, "_introspect", "", 0, introspect_functions, introspect_slots, nullptr, nullptr, nullptr,
};

}  // namespace
}  // namespace brisko

PyMODINIT_FUNC PyInit__introspect() { return PyModuleDef_Init(&brisko::introspect_def); }
