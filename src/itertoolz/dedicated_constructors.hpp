// Native constructors of the dedicated iterator classes. Each takes ownership of what it is given
// and releases it if the object cannot be made.
#pragma once

#include <Python.h>

#include <cstdint>
#include <vector>

#include "../hashing/i64_buffer.hpp"
#include "../core/owned.hpp"
#include "../iteration/py_source.hpp"

namespace brisko {

// `tool` (a string literal) names the function the user called, for the errors of the iterator's
// steps; the classes that run no user code but their source's name their own function.
PyObject* new_unique_iter(const char* tool, PySource source, Owned key);
PyObject* new_unique_i64_iter(BufferView view);
PyObject* new_interpose_iter(Owned el, PySource source, Owned pending, bool started, bool done);
// `primed` holds up to n - 1 elements already taken from `source`, oldest first.
PyObject* new_sliding_window_iter(std::uint64_t n, PySource source, std::vector<Owned> primed);
PyObject* new_pluck_iter(const char* tool, Owned ind, PySource source);

}  // namespace brisko
