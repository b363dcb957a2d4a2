// NativeIter: the generic lazy iterator, owning one native step function and its captured state.
#pragma once

#include <Python.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <utility>

#include "../binding/class_def.hpp"
#include "../binding/collected_object.hpp"
#include "../core/gc_visit.hpp"
#include "gil_ref_cell.hpp"
#include "py_source.hpp"
#include "raw_iter_next.hpp"

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

// The fields are the step, never null, borrowed while it runs.
struct NativeIter : CollectedObject<IterHead, GilRefCell<std::unique_ptr<Step>>> {
    static PyObject* raw_next(NativeIter* self);
};

extern ClassDef NATIVE_ITER_CLASS;

// Takes ownership of `step`; on failure the step is destroyed and null returned with the error.
// `tool` (a string literal) names the function the user called, for the errors of its steps;
// `depth` is the new iterator's (see IterHead).
PyObject* new_native_iter(const char* tool, std::uint32_t depth, std::unique_ptr<Step> step);

// A NativeIter over a new S(args...). Its depth follows the sources among the arguments.
template <class S, class... A>
PyObject* new_native_iter(const char* tool, A&&... args) {
    std::uint32_t depth = 1;
    ((depth = std::max(depth, PySource::reader_depth(args))), ...);
    return new_native_iter(tool, depth, std::make_unique<S>(std::forward<A>(args)...));
}

}  // namespace brisko
