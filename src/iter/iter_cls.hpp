// Iter, the fluent wrapper that chains the sequence tools as methods: its class, for registration.
#pragma once

#include "../binding/class_def.hpp"
#include "../binding/registration.hpp"

namespace brisko {

// The exported class `Iter` (internal type IterCls).
extern ClassDef ITER_CLASS;

// Its exported name.
extern RegistrationTable ITER_NAMES;

// (inner,): the wrapped object of an Iter (a new reference; the caller checks the type), for pickling.
PyObject* iter_parts(PyObject* iter);

}  // namespace brisko
