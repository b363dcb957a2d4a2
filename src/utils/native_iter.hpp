// NativeIter: the generic lazy iterator, owning one native step function and its captured state.
#pragma once

#include <Python.h>

#include <memory>
#include <utility>

#include "class_def.hpp"
#include "gc_visit.hpp"
#include "gil_ref_cell.hpp"

namespace brisko {

// A step produces the next element (new reference), the end (null, nothing set) or an error
// (null, exception set). NativeIter does not latch the end: a step that has ended must end again on
// every later call. The destructor releases whatever the step captured; `traverse` shows it to
// the collector.
class Step {
public:
    virtual ~Step() = default;
    virtual PyObject* next() = 0;
    virtual int traverse(const GcVisit& visit) const = 0;
};

struct NativeIter {
    PyObject_HEAD
    const char* tool;  // the function whose iterator this is, for error messages
    // Borrowed while the step runs; empty once the collector has cleared the iterator (it then ends).
    GilRefCell<std::unique_ptr<Step>> step;

    static PyObject* raw_next(NativeIter* self);
};

extern ClassDef NATIVE_ITER_CLASS;

// Takes ownership of `step`; on failure the step is destroyed and null returned with the error.
// `tool` (a string literal) names the function the user called, for the errors of its steps.
PyObject* make_native_iter(const char* tool, std::unique_ptr<Step> step);

template <class S, class... A>
PyObject* native_iter(const char* tool, A&&... args) {
    return make_native_iter(tool, std::make_unique<S>(std::forward<A>(args)...));
}

}  // namespace brisko
