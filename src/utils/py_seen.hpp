// PySeen: an insert-only set of host objects, probed natively by host hash, calling host
// equality only when two full hashes are equal.
#pragma once

#include <Python.h>

#include <cstddef>
#include <memory>
#include <vector>

#include "gc_visit.hpp"
#include "owned.hpp"

namespace brisko {

class PySeen {
public:
    PySeen();  // 32 empty slots; captures int_fast_hash_enabled()

    // 1 when `obj` was new and is now held (a new reference), 0 when an equal object is already
    // present, -1 with the exception set (hashing or equality failed; the set is unchanged).
    int insert(PyObject* obj);

    int traverse(const GcVisit& visit) const { return visit(keys_); }

private:
    struct Slot {
        Py_hash_t hash;
        PyObject* obj;  // borrowed from keys_; null marks an empty slot
    };

    std::size_t probe_empty(Py_hash_t hash) const noexcept;
    void grow();

    std::vector<Owned> keys_;  // every inserted object, in insertion order; owns them
    std::unique_ptr<Slot[]> slots_;
    std::size_t size_ = 32;  // a power of two
    std::size_t mask_ = 31;
    std::size_t used_ = 0;
    bool int_fast_;
};

}  // namespace brisko
