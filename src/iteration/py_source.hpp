// PySource: one view over an input. An exact list is read by index (its length re-read at every
// step, the end latched); anything else, list subclasses included, through its iterator.
#pragma once

#include <Python.h>

#include <cstdint>
#include <type_traits>

#include "../core/errors.hpp"
#include "../core/gc_visit.hpp"
#include "../core/item_access.hpp"
#include "../core/owned.hpp"
#include "raw_iter_next.hpp"

namespace brisko {

class PySource {
public:
    PySource() = default;
    // Null inside (exception set) when the input is not iterable; test with operator bool.
    static PySource from(PyObject* obj);
    explicit operator bool() const noexcept { return bool(obj_); }

    // The depth (see IterHead) of an iterator that reads `arg`: 1 + the depth of a native
    // iterator source, 1 for any other source and for anything that is not a source.
    template <class A>
    static std::uint32_t reader_depth(const A& arg) noexcept {
        if constexpr (std::is_same_v<A, PySource>) return arg.depth_ + 1;
        return 1;
    }

    // An element (new reference), the end (null, nothing set) or an error (null, exception set).
    PyObject* next() {
        if (!is_list_) return checked_ ? nested_next(obj_.get()) : pull_native();
        if (exhausted_) return nullptr;
        if (PyObject* item = list_item(obj_.get(), index_)) {
            ++index_;
            return item;
        }
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
    // The next element of a native iterator source, whose step this source's reference keeps alive.
    PyObject* pull_native() {
        PyObject* it = obj_.get();
        return reinterpret_cast<IterHead*>(it)->pull(it);
    }

    // A pull from an iterator runs the recursion check, but from a native iterator only at every
    // CHECK_EVERY-th level of their nesting: between two checks the C stack grows by a few of
    // our own frames, far less than the margin the interpreter keeps between its checks.
    static constexpr std::uint32_t CHECK_EVERY = 4;

    Owned obj_;                // the exact list, or the iterator
    std::uint32_t depth_ = 0;  // the native iterator's depth, 0 for any other source
    bool checked_ = true;
    Py_ssize_t index_ = 0;
    bool is_list_ = false;
    bool exhausted_ = false;
};

}  // namespace brisko
