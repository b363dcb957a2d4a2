// Sequence and iterator tools: their registration table and the entry points other tools share.
#pragma once

#include <Python.h>

#include <cstdint>

#include "../binding/registration.hpp"

namespace brisko {

// The exported names, in export order (names.cpp), and the dedicated iterator classes, which each
// file registers unexported.
extern RegistrationTable ITERTOOLZ_NAMES;

// Counts the elements of `seq`; -1 with an exception set on failure.
int count_impl(PyObject* seq, std::uint64_t& out);
// The last `n` elements: a slice of `seq` when it slices, else a tuple.
PyObject* tail_impl(std::uint64_t n, PyObject* seq);
// The entry points below that take `tool` build an iterator that calls user code; `tool` (a string
// literal) names the function the user called, for the errors its steps raise.
PyObject* mapcat_impl(const char* tool, PyObject* func, PyObject* seqs);
// The lazy map(func, seq), a MapIter.
PyObject* map_impl(const char* tool, PyObject* func, PyObject* seq);
// The elements whose predicate result is true, a FilterIter; a None predicate tests the elements.
PyObject* filter_impl(const char* tool, PyObject* predicate, PyObject* seq);
// `initial` may be null: none given, the first element starts the totals.
PyObject* accumulate_impl(const char* tool, PyObject* binop, PyObject* seq, PyObject* initial);
// `n` is at least 1 (to_size).
PyObject* partition_all_impl(std::uint64_t n, PyObject* seq);
// coll[ind] (a tuple of lookups when `ind` is a list), `dflt` (when not null) replacing lookup errors.
PyObject* get_impl(PyObject* ind, PyObject* coll, PyObject* dflt);

// The key rule: key(item) for a callable key, the tuple of item[k] for a list of keys, else item[key].
PyObject* apply_key(PyObject* key, PyObject* item);
// The key rule for a key already known not to be callable.
PyObject* lookup_key(PyObject* key, PyObject* item);

// `n` is at least 1 (to_size).
PyObject* sliding_window_impl(std::uint64_t n, PyObject* seq);
// The elements of `seq` with `el` between each two; unlike the module-level interpose, nothing is
// read before the first step.
PyObject* interpose_impl(PyObject* el, PyObject* seq);
// `dflt` may be null: none given, a missing index raises.
PyObject* pluck_impl(const char* tool, PyObject* ind, PyObject* seqs, PyObject* dflt);
// `key` may be null (no key).
PyObject* unique_impl(const char* tool, PyObject* seq, PyObject* key);
PyObject* groupby_impl(PyObject* key, PyObject* seq);
PyObject* frequencies_impl(PyObject* seq);

}  // namespace brisko
