// One step along a nested path: item access that never writes into the mapping it reads.
#pragma once

#include <Python.h>

#include "../core/owned.hpp"

namespace brisko {

// coll[key] as the nested-path tools read it. 1 with the value in `out`; 0 when `key` is absent
// from a dict (nothing raised: the caller decides between a default and KeyError); -1 with the
// exception of the access.
//
// A defaultdict (or subclass) inserts every absent key it is asked for; here an absent key gives
// what its default_factory returns, called but not stored, and is absent when there is no
// factory. Every other object, Counter and other dict subclasses included, is indexed as usual.
int path_lookup(PyObject* coll, PyObject* key, Owned& out);

// Raises KeyError(key); returns null.
[[gnu::cold]] PyObject* raise_key_error(PyObject* key);

}  // namespace brisko
