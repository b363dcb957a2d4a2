// Host hashing and key equality, with native shortcuts that give the host's own answers.
#include "py_hash.hpp"

#include <cstring>

#include "../core/interpreter_cell.hpp"

namespace brisko {

Py_hash_t host_hash(PyObject* obj) {
    Py_hash_t h = PyObject_Hash(obj);
    if (h == -1) ffi_err();
    return h;
}

namespace {

InterpreterCell INT_FAST_HASH;

Owned check_int_hashes() {
    static constexpr long long SAMPLES[] = {
        0,
        1,
        -1,
        -2,
        5,
        256,
        257,
        (1LL << 30) - 1,
        -((1LL << 30) - 1),
        1LL << 40,
        -(1LL << 40),
        0x7fffffffffffffffLL,
        -0x7fffffffffffffffLL,
    };
    for (long long sample : SAMPLES) {
        Owned value = Owned::steal(PyLong_FromLongLong(sample));
        if (!value) return value;
        auto* as_long = reinterpret_cast<PyLongObject*>(value.get());
        if (!PyUnstable_Long_IsCompact(as_long)) continue;
        Py_hash_t host = PyObject_Hash(value.get());
        if (host == -1 && PyErr_Occurred()) return Owned();
        Py_ssize_t v = PyUnstable_Long_CompactValue(as_long);
        if (host != (v == -1 ? -2 : v)) return Owned::borrow(Py_False);
    }
    return Owned::borrow(Py_True);
}

}  // namespace

bool int_fast_hash_enabled() {
    PyObject* flag = INT_FAST_HASH.get_or_init(check_int_hashes);
    if (!flag) {
        // The check itself could not run (memory): hash every int through the host instead.
        PyErr_Clear();
        return false;
    }
    return flag == Py_True;
}

int keys_equal_slow(PyObject* stored, PyObject* key) {
    int eq = PyObject_RichCompareBool(stored, key, Py_EQ);
    if (eq < 0) ffi_err();
    return eq;
}

}  // namespace brisko
