// GcVisit: hands every host reference that native state owns to the cycle collector's visit
// function, so that cycles through brisko objects are found and freed.
#pragma once

#include <Python.h>

#include <memory>
#include <optional>
#include <type_traits>
#include <vector>

#include "owned.hpp"

namespace brisko {

// A field type takes part by being an Owned, a container of such, or by defining
// `int traverse(const GcVisit&) const`. Fields are read without borrowing any cell: a collection
// can start inside a step (any allocation may trigger one), and every field holds a valid
// reference or null at every point where a step allocates.
//
// Whatever is visited here, user code reaches (gc.get_referents), as it reaches every tracked
// container (gc.get_referrers, gc.get_objects), and any user call may change it. So a container
// read across user code is one it cannot change (a tuple, native storage, or untracked until
// done), or it is re-read after every call, its elements held while they are used.
struct GcVisit {
    visitproc visit;
    void* arg;

    int operator()(const Owned& obj) const { return obj ? visit(obj.get(), arg) : 0; }

    template <class T>
        requires requires(const T& t, const GcVisit& v) { t.traverse(v); }
    int operator()(const T& field) const {
        return field.traverse(*this);
    }

    template <class T>
    int operator()(const std::vector<T>& fields) const {
        for (const T& f : fields) {
            if (int rc = (*this)(f)) return rc;
        }
        return 0;
    }

    template <class T>
    int operator()(const std::optional<T>& field) const {
        return field ? (*this)(*field) : 0;
    }

    template <class T>
    int operator()(const std::unique_ptr<T>& field) const {
        return field ? (*this)(*field) : 0;
    }

    // Plain data (counts, flags) owns no host reference.
    template <class T>
        requires std::is_arithmetic_v<T> || std::is_enum_v<T>
    int operator()(const T&) const {
        return 0;
    }

    // Visits each field in turn, stopping at the first non-zero result (as Py_VISIT does).
    template <class... F>
    int all(const F&... fields) const {
        int rc = 0;
        ((rc = rc ? rc : (*this)(fields)), ...);
        return rc;
    }
};

}  // namespace brisko
