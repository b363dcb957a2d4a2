// PySource: one view over an input. An exact list is read by index (its length re-read at every
// step, the end latched); anything else, list subclasses included, through its iterator.
#pragma once

#include <Python.h>

#include <cstdint>

#include "errors.hpp"
#include "gc_visit.hpp"
#include "owned.hpp"

namespace brisko {

class PySource {
public:
    PySource() = default;
    // Null inside (exception set) when the input is not iterable; test with operator bool.
    static PySource from(PyObject* obj);
    explicit operator bool() const noexcept { return bool(obj_); }

    // An element (new reference), the end (null, nothing set) or an error (null, exception set).
    PyObject* next() {
        if (!is_list_) return nested_next(obj_.get());
        if (exhausted_) return nullptr;
        PyObject* list = obj_.get();
        if (index_ < PyList_GET_SIZE(list)) return Py_NewRef(PyList_GET_ITEM(list, index_++));
        exhausted_ = true;
        return nullptr;
    }

    // The next element that `keep(item)` accepts (1), skipping those it refuses (0); a -1 from
    // `keep` is an error. This is the skipping loop of every lazy filter: a long run of refused
    // elements answers signals, as the eager traversal does.
    template <class Keep>
    PyObject* next_kept(Keep&& keep) {
        for (std::uint64_t skipped = 1; PyObject* raw = next(); ++skipped) {
            Owned item = Owned::steal(raw);
            int kept = keep(item.get());
            if (kept != 0) return kept > 0 ? item.release() : nullptr;
            if (check_signals(skipped) < 0) return nullptr;
        }
        return nullptr;
    }

    // Elements left: a source whose own hint fails with an Exception counts as 0; -1 (with the
    // exception set) only for a KeyboardInterrupt or another BaseException-only failure.
    Py_ssize_t length_hint() noexcept;

    int traverse(const GcVisit& visit) const { return visit(obj_); }

private:
    Owned obj_;  // the exact list, or the iterator
    Py_ssize_t index_ = 0;
    bool is_list_ = false;
    bool exhausted_ = false;
};

}  // namespace brisko
