// CurryChain: what every curry of one chain shares, the callable's signature and what binding said
// for each call shape seen so far. Whether arguments bind fully, partially or never depends only on
// the signature and the call's shape (how many positionals, which keyword names), never on the
// values, so a chain asks inspect's binding once per shape instead of once per call. The chain is
// a small collected object of its own, so that the curries sharing it each hold (and show the
// collector) one reference to it, and it alone holds the signature.
#pragma once

#include <Python.h>

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "../core/gc_visit.hpp"
#include "../core/once_cell.hpp"
#include "../core/owned.hpp"

namespace brisko {

enum class Verdict : std::uint8_t { Unknown, Full, Partial, Never };

class CurryChain {
public:
    CurryChain() = default;
    CurryChain(const CurryChain&) = delete;
    CurryChain& operator=(const CurryChain&) = delete;
    ~CurryChain() { signature_.clear(); }

    // 0 with `sig` borrowed (null: the callable has no signature), or -1 with the exception set.
    // Only the chain's first call looks the signature up, through inspect.signature: a ValueError
    // or TypeError there means no signature, any other failure leaves the chain unresolved for the
    // next call to retry. Concurrent first calls wait for one lookup (OnceCell).
    int signature(PyObject* func, PyObject*& sig);

    // The verdict remembered for `n_args` positionals and the keyword names `kwnames` (a tuple,
    // or null for none), or Unknown.
    Verdict verdict(Py_ssize_t n_args, PyObject* kwnames) const noexcept;
    // Remembers a verdict for a shape while the table has room. The first SHAPES shapes stay for
    // good: an entry, once published, never changes, so that threads calling the same curry read
    // the table with no lock and never see an entry half-written or a name released under them. A
    // chain called in more shapes than that, or with many keyword names, looks those up afresh.
    void remember(Py_ssize_t n_args, PyObject* kwnames, Verdict verdict) noexcept;

    int traverse(const GcVisit& visit) const {
        PyObject* sig = signature_.get();
        return sig ? visit.visit(sig, visit.arg) : 0;
    }

private:
    static constexpr std::size_t SHAPES = 8;
    static constexpr std::size_t MAX_NAMES = 4;

    struct Shape {
        // -1 until the entry is published, by a release store after the fields below are written;
        // a reader that loads it (acquire) as anything else reads them whole.
        std::atomic<Py_ssize_t> n_args{-1};
        std::size_t n_names = 0;
        std::array<Owned, MAX_NAMES> names;  // the keyword names, in any order
        Verdict verdict = Verdict::Unknown;

        bool matches(Py_ssize_t n, PyObject* kwnames) const noexcept;
    };

    OnceCell signature_;  // inspect.signature(func), or None for a callable without one
    std::array<Shape, SHAPES> shapes_;
    std::atomic<std::size_t> claimed_{0};  // entries taken by a writer, each by one only
};

// A new chain object (a new reference), or null with the exception set.
PyObject* new_curry_chain();
// The chain inside a chain object; null once the collector has cleared it.
CurryChain* curry_chain(PyObject* chain_object) noexcept;

}  // namespace brisko
