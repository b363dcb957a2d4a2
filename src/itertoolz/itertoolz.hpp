// Sequence and iterator tools: the registered functions and the entry points other tools share.
#pragma once

#include <Python.h>

#include <cstdint>

namespace brisko {

// Element access.
extern PyMethodDef COUNT_DEF, FIRST_DEF, SECOND_DEF, LAST_DEF, NTH_DEF, GET_DEF, PEEK_DEF;
extern PyMethodDef TAKE_DEF, DROP_DEF, TAKE_NTH_DEF, TAIL_DEF, CONS_DEF;
// Lazy transformers.
extern PyMethodDef CONCAT_DEF, CONCATV_DEF, INTERLEAVE_DEF, PARTITION_DEF, PARTITION_ALL_DEF;
extern PyMethodDef MAPCAT_DEF, REMOVE_DEF, ACCUMULATE_DEF, ITERATE_DEF;

// Counts the elements of `seq`; -1 with an exception set on failure.
int count_impl(PyObject* seq, std::uint64_t& out);
// The last `n` elements: a slice of `seq` when it slices, else a tuple.
PyObject* tail_impl(std::uint64_t n, PyObject* seq);
PyObject* concat_impl(PyObject* seqs);
PyObject* mapcat_impl(PyObject* func, PyObject* seqs);
// `rest` holds the optional initial value: zero or one items.
PyObject* accumulate_impl(PyObject* binop, PyObject* seq, PyObject* const* rest, Py_ssize_t n_rest);
PyObject* partition_all_impl(std::uint64_t n, PyObject* seq);
// A NativeIter that yields nothing.
PyObject* empty_iter();

}  // namespace brisko
