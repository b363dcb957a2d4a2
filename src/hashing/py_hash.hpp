// py_hash: the host hash of an object, computed natively for exact strs with a cached hash and,
// when the self-check allows it, for compact exact ints.
#pragma once

#include <Python.h>

#include <cstring>

#include "../core/errors.hpp"

namespace brisko {

// True when the host hashes every compact int v to v (with -1 mapped to -2), checked once per
// process on a set of sample values.
bool int_fast_hash_enabled();

[[gnu::cold]] Py_hash_t host_hash(PyObject* obj);

// The host hash of `obj`, or -1 with the exception set (TypeError for unhashable objects).
inline Py_hash_t py_hash(PyObject* obj, bool int_fast) {
    if (PyUnicode_CheckExact(obj)) {
        Py_hash_t cached = reinterpret_cast<PyASCIIObject*>(obj)->hash;
        if (cached != -1) return cached;
    } else if (int_fast && PyLong_CheckExact(obj) && PyUnstable_Long_IsCompact(reinterpret_cast<PyLongObject*>(obj))) {
        Py_ssize_t v = PyUnstable_Long_CompactValue(reinterpret_cast<PyLongObject*>(obj));
        return v == -1 ? -2 : v;
    }
    return host_hash(obj);
}

// The host's == for two keys with equal hashes: 1, 0, or -1 with the exception set.
[[gnu::cold]] int keys_equal_slow(PyObject* stored, PyObject* key);

// Two exact strs compared as the host's == does.
inline int unicode_equal(PyObject* a, PyObject* b) {
    Py_ssize_t len = PyUnicode_GET_LENGTH(a);
    return len == PyUnicode_GET_LENGTH(b) && PyUnicode_KIND(a) == PyUnicode_KIND(b) &&
           std::memcmp(PyUnicode_DATA(a), PyUnicode_DATA(b), std::size_t(len) * PyUnicode_KIND(a)) == 0;
}

// What equality can decide without the host: identity, and two compact exact ints or two exact
// strs compared natively (the host's == gives the same answer). 1 or 0; -1 when only the host can
// tell (nothing is set).
inline int keys_equal_native(PyObject* stored, PyObject* key) {
    if (stored == key) return 1;
    if (PyLong_CheckExact(stored) && PyLong_CheckExact(key)) {
        auto* a = reinterpret_cast<PyLongObject*>(stored);
        auto* b = reinterpret_cast<PyLongObject*>(key);
        if (PyUnstable_Long_IsCompact(a) && PyUnstable_Long_IsCompact(b)) {
            return PyUnstable_Long_CompactValue(a) == PyUnstable_Long_CompactValue(b);
        }
    }
    if (PyUnicode_CheckExact(stored) && PyUnicode_CheckExact(key)) return unicode_equal(stored, key);
    return -1;
}

// Equality as a host dict decides it for two keys with equal hashes: identity, then ==.
// 1, 0, or -1 with the exception set.
inline int keys_equal(PyObject* stored, PyObject* key) {
    int eq = keys_equal_native(stored, key);
    return eq >= 0 ? eq : keys_equal_slow(stored, key);
}

}  // namespace brisko
