// brisko._introspect: what the package's pickling support (python/brisko/_pickling.py) reads from
// inside brisko's objects. Its init function sits in _brisko's own library, beside PyInit__brisko,
// so that it knows objects by the very type objects _brisko made; the package loads it by path.
#include <Python.h>

#include "../functoolz/functoolz.hpp"
#include "../iter/iter_cls.hpp"
#include "../core/errors.hpp"
#include "../binding/function_def.hpp"
#include "module_slots.hpp"

namespace brisko {
namespace {

PyTypeObject* curry_type() noexcept { return class_type(CURRY_CLASS); }
PyTypeObject* iter_type() noexcept { return class_type(ITER_CLASS); }

// A class whose parts pickling reads. `wrapped_at` is where its parts hold the one function it
// wraps: an index into the parts tuple, ITSELF when the parts are the function, NONE when the
// class wraps no single function.
struct Reader {
    const char* name;
    PyTypeObject* (*type)() noexcept;
    PyObject* (*read)(PyObject*);
    Py_ssize_t wrapped_at;
};
constexpr Py_ssize_t ITSELF = -1, NONE = -2;

constexpr Reader CURRY{"curry", &curry_type, &curry_parts, 0};
constexpr Reader COMPOSE{"Compose", &compose_type, &compose_funcs, NONE};
constexpr Reader JUXT{"Juxt", &juxt_type, &juxt_funcs, NONE};
constexpr Reader COMPLEMENT{"Complement", &complement_type, &complement_func, ITSELF};
constexpr Reader EXCEPTS{"Excepts", &excepts_type, &excepts_parts, 1};
constexpr Reader MEMOIZE{"Memoize", &memoize_type, &memoize_parts, 0};
constexpr Reader ITER{"Iter", &iter_type, &iter_inner, NONE};

const Reader* const READERS[] = {&CURRY, &COMPOSE, &JUXT, &COMPLEMENT, &EXCEPTS, &MEMOIZE, &ITER};

// The parts of `obj`, which must be exactly of the reader's class (they are never subclassed).
template <const Signature& SIG, const Reader& READER>
PyObject* read_parts(Args<SIG>& a) {
    PyTypeObject* type = READER.type();
    if (!type) return nullptr;
    if (!Py_IS_TYPE(a[0], type)) return not_an_instance(a[0], type->tp_name);
    return READER.read(a[0]);
}

constexpr Signature CURRY_PARTS_SIG = Signature::function("curry_parts", {"obj"});
constexpr Signature COMPOSE_FUNCS_SIG = Signature::function("compose_funcs", {"obj"});
constexpr Signature JUXT_FUNCS_SIG = Signature::function("juxt_funcs", {"obj"});
constexpr Signature COMPLEMENT_FUNC_SIG = Signature::function("complement_func", {"obj"});
constexpr Signature EXCEPTS_PARTS_SIG = Signature::function("excepts_parts", {"obj"});
constexpr Signature MEMOIZE_PARTS_SIG = Signature::function("memoize_parts", {"obj"});
constexpr Signature ITER_INNER_SIG = Signature::function("iter_inner", {"obj"});

// The function a single-function wrapper (curry, memoize, complement, excepts) holds, or None for
// any other object: the step down a stack of decorators towards the function that names them.
constexpr Signature WRAPPED_SIG = Signature::function("wrapped", {"obj"});
PyObject* wrapped(Args<WRAPPED_SIG>& a) {
    for (const Reader* reader : READERS) {
        PyTypeObject* type = reader->type();
        if (!type) return nullptr;
        if (!Py_IS_TYPE(a[0], type)) continue;
        if (reader->wrapped_at == NONE) break;
        Owned parts = Owned::steal(reader->read(a[0]));
        if (!parts || reader->wrapped_at == ITSELF) return parts.release();
        return Py_NewRef(PyTuple_GET_ITEM(parts.get(), reader->wrapped_at));
    }
    Py_RETURN_NONE;
}

// The way back from curry_parts: keywords as one dict, so that any name round-trips, `func` too.
constexpr Signature CURRY_FROM_PARTS_SIG = Signature::function("curry_from_parts", {"func", "args", "kwargs"});
PyObject* from_curry_parts(Args<CURRY_FROM_PARTS_SIG>& a) { return curry_from_parts(a[0], a[1], a[2]); }

PyMethodDef introspect_functions[] = {
    function_def<CURRY_PARTS_SIG, read_parts<CURRY_PARTS_SIG, CURRY>>("curry_parts(obj)\n--\n\n"),
    function_def<COMPOSE_FUNCS_SIG, read_parts<COMPOSE_FUNCS_SIG, COMPOSE>>("compose_funcs(obj)\n--\n\n"),
    function_def<JUXT_FUNCS_SIG, read_parts<JUXT_FUNCS_SIG, JUXT>>("juxt_funcs(obj)\n--\n\n"),
    function_def<COMPLEMENT_FUNC_SIG, read_parts<COMPLEMENT_FUNC_SIG, COMPLEMENT>>("complement_func(obj)\n--\n\n"),
    function_def<EXCEPTS_PARTS_SIG, read_parts<EXCEPTS_PARTS_SIG, EXCEPTS>>("excepts_parts(obj)\n--\n\n"),
    function_def<MEMOIZE_PARTS_SIG, read_parts<MEMOIZE_PARTS_SIG, MEMOIZE>>("memoize_parts(obj)\n--\n\n"),
    function_def<ITER_INNER_SIG, read_parts<ITER_INNER_SIG, ITER>>("iter_inner(obj)\n--\n\n"),
    function_def<WRAPPED_SIG, wrapped>("wrapped(obj)\n--\n\n"),
    function_def<CURRY_FROM_PARTS_SIG, from_curry_parts>("curry_from_parts(func, args, kwargs)\n--\n\n"),
    {nullptr, nullptr, 0, nullptr},
};

// The classes the factories make are not exported by _brisko; copyreg needs them.
int exec_introspect(PyObject* module) noexcept {
    return boundary([&]() -> int {
        if (PyInterpreterState_Get() != PyInterpreterState_Main()) {
            PyErr_SetString(PyExc_ImportError,
                            "module brisko._introspect does not support loading in subinterpreters");
            return -1;
        }
        for (const Reader* reader : {&COMPOSE, &JUXT, &COMPLEMENT, &EXCEPTS, &MEMOIZE}) {
            PyTypeObject* type = reader->type();
            if (!type || PyModule_AddObjectRef(module, reader->name, reinterpret_cast<PyObject*>(type)) < 0) {
                return -1;
            }
        }
        return 0;
    });
}

PyModuleDef_Slot introspect_slots[] = {
    {Py_mod_exec, reinterpret_cast<void*>(&exec_introspect)},
    {Py_mod_multiple_interpreters, Py_MOD_MULTIPLE_INTERPRETERS_NOT_SUPPORTED},
    {Py_mod_gil, BRISKO_MOD_GIL},
    {0, nullptr},
};

PyModuleDef introspect_def = {
    PyModuleDef_HEAD_INIT, "_introspect", "", 0, introspect_functions, introspect_slots, nullptr, nullptr, nullptr,
};

}  // namespace
}  // namespace brisko

PyMODINIT_FUNC PyInit__introspect() { return PyModuleDef_Init(&brisko::introspect_def); }
