// SigCell: the signature of a curry's callable, looked up on the chain's first call and then fixed.
#pragma once

#include <Python.h>

#include <atomic>

#include "../utils/gc_visit.hpp"
#include "../utils/owned.hpp"

namespace brisko {

// Empty until the first call resolves it; then it holds either the signature object of the
// callable (owned) or the no-signature marker, and never changes again. A thread that finds it
// empty waits for, or takes, the right to fill it through a PyMutex, which detaches it from the
// interpreter while it blocks: the thread running the lookup needs the interpreter to finish.
class SigCell {
public:
    SigCell() noexcept = default;
    explicit SigCell(Owned sig) noexcept : value_(sig.release()) {}
    SigCell(const SigCell&) = delete;
    SigCell& operator=(const SigCell&) = delete;
    ~SigCell();

    // 0 with `sig` borrowed from the cell (null for the no-signature marker), or -1 with the
    // exception set. Only an empty cell looks the signature up, through inspect.signature: a
    // ValueError or TypeError there resolves to the marker, any other failure leaves the cell empty
    // for the next call to retry.
    int resolve(PyObject* func, PyObject*& sig) {
        PyObject* v = value_.load(std::memory_order_acquire);
        if (!v) return resolve_slow(func, sig);
        sig = v == no_signature() ? nullptr : v;
        return 0;
    }

    // The signature object, for the collector (a parameter's default may refer back to the curry).
    int traverse(const GcVisit& visit) const {
        PyObject* v = value_.load(std::memory_order_acquire);
        return v && v != no_signature() ? visit.visit(v, visit.arg) : 0;
    }
    // Empties the cell (the collector's clear); the next resolve would look the signature up again.
    void clear() noexcept;

private:
    int resolve_slow(PyObject* func, PyObject*& sig);

    // A tag address, never a host object: no lookup result can be mistaken for it.
    static PyObject* no_signature() noexcept { return reinterpret_cast<PyObject*>(&NO_SIGNATURE_TAG); }
    static inline char NO_SIGNATURE_TAG = 0;

    std::atomic<PyObject*> value_{nullptr};  // null while empty
    PyMutex mutex_{};                         // held by the thread running the lookup
    std::atomic<unsigned long> owner_{0};     // that thread, so a reentrant lookup fails instead of deadlocking
};

// A cell already holding `sig`: the curries a partial bind makes share their parent's signature.
inline SigCell resolved_cell(PyObject* sig) noexcept { return SigCell(Owned::borrow(sig)); }

}  // namespace brisko
