// What the interpreters brisko supports (CPython 3.13 to 3.15) do not all offer, provided here once
// and in the host's own terms, so that every other file writes to the newest C API and none tests
// a version. Each piece below is what 3.13 lacks of 3.14's API.
#pragma once

#include <Python.h>

#include <cstddef>

#if PY_VERSION_HEX < 0x030E0000

// 1 with a new reference to the next item in *item, 0 at the end (a StopIteration is the end too,
// and is cleared), -1 with an exception and *item null; a non-iterator raises TypeError.
inline int PyIter_NextItem(PyObject* iter, PyObject** item) {
    iternextfunc next = Py_TYPE(iter)->tp_iternext;
    if (!next) {
        *item = nullptr;
        PyErr_Format(PyExc_TypeError, "expected an iterator, got '%s'", Py_TYPE(iter)->tp_name);
        return -1;
    }
    *item = next(iter);
    if (*item) return 1;
    if (!PyErr_Occurred()) return 0;
    if (!PyErr_ExceptionMatches(PyExc_StopIteration)) return -1;
    PyErr_Clear();
    return 0;
}

// Makes a heap type immutable, as 3.14's does: its attributes can no longer be set or deleted.
inline int PyType_Freeze(PyTypeObject* type) {
    type->tp_flags |= Py_TPFLAGS_IMMUTABLETYPE;
    PyType_Modified(type);
    return 0;
}

// 3.14 watches the native stack itself, in its recursion check and its deallocations.
#if defined(__linux__)
#define BRISKO_NATIVE_STACK_CHECK 1
#endif

// The slot through which 3.14 takes a class's own vectorcall (its constructor); before 3.14 a spec
// may not name it, so type_from_spec below installs it after the class is made.
#define Py_tp_vectorcall 82
#define BRISKO_VECTORCALL_SLOT_AFTER_CREATION 1

#endif

namespace brisko {

// Py_EnterRecursiveCall as 3.14 has it: besides the depth it counts, it refuses to go on when the
// thread's native stack runs low, so a deep chain raises RecursionError on a small thread stack too
// (3.13 counts C calls against a fixed limit, made for the main thread's stack).
int enter_recursive_call(const char* where) noexcept;

// A collected object's deallocation, from its start (false: put off, with the object queued, so
// return at once) to its end (where the outermost one frees what was put off). 3.14 puts off a
// deallocation itself once the native stack runs low; 3.13's trashcan counts calls instead, against
// a limit made for the main thread's stack, which a long chain on a small thread stack outruns.
#ifdef BRISKO_NATIVE_STACK_CHECK
bool begin_deallocation(PyObject* self) noexcept;
void end_deallocation() noexcept;
#else
inline bool begin_deallocation(PyObject*) noexcept { return true; }
inline void end_deallocation() noexcept {}
#endif

// PyType_FromMetaclass(nullptr, module, spec, nullptr), its spec's slots read alike on every version.
PyObject* type_from_spec(PyObject* module, PyType_Spec* spec) noexcept;

// Forgets the hash a tuple may cache (3.14 on), for a tuple refilled in place.
inline void forget_tuple_hash([[maybe_unused]] PyObject* tuple) noexcept {
#if PY_VERSION_HEX >= 0x030E0000
    reinterpret_cast<PyTupleObject*>(tuple)->ob_hash = -1;
#endif
}

}  // namespace brisko
