// The grouping tools' native table: groups in order of first appearance, found through a
// HashIndex keyed by host hash, so that an element costs one hash and, on a hit, one equality
// test; the result dict is built once at the end.
#pragma once

#include <Python.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "../utils/errors.hpp"
#include "../utils/gc_visit.hpp"
#include "../utils/hash_index.hpp"
#include "../utils/owned.hpp"
#include "../utils/py_hash.hpp"

namespace brisko {

template <class Payload>
class GroupTable {
public:
    GroupTable() : int_fast_(int_fast_hash_enabled()) {}

    // The payload of `key`'s group, made (value-initialised) when the key is new; null with the
    // exception set when hashing or an equality test fails. Valid until the next call.
    Payload* group(PyObject* key) {
        Py_hash_t hash = py_hash(key, int_fast_);
        if (hash == -1) return nullptr;
        if (keys_.size() == std::numeric_limits<std::uint32_t>::max()) return too_many_groups();
        bool added;
        std::int64_t position = index_.find_or_add(key, hash, std::uint32_t(keys_.size()), added);
        if (position < 0) return nullptr;
        if (added) {
            keys_.push_back(Owned::borrow(key));  // the index borrows it from here
            payloads_.emplace_back();
        }
        return &payloads_[std::size_t(position)];
    }

    // The position of `key`'s group: -1 when there is none, -2 with the exception set when
    // hashing or an equality test fails.
    std::int64_t position(PyObject* key) const {
        Py_hash_t hash = py_hash(key, int_fast_);
        return hash == -1 ? -2 : index_.find(key, hash);
    }

    std::size_t size() const noexcept { return keys_.size(); }
    int traverse(const GcVisit& visit) const { return visit.all(keys_, payloads_); }
    Payload& payload(std::size_t position) noexcept { return payloads_[position]; }

    // The result dict: each key with `convert(payload)` (a new reference, or null on error).
    template <class Convert>
    PyObject* to_dict(Convert convert) {
        Owned result = Owned::steal(PyDict_New());
        if (!result) return nullptr;
        for (std::size_t i = 0; i < keys_.size(); ++i) {
            Owned value = Owned::steal(convert(payloads_[i]));
            if (!value || PyDict_SetItem(result.get(), keys_[i].get(), value.get()) < 0) return fetch_err();
        }
        return result.release();
    }

private:
    [[gnu::cold]] static Payload* too_many_groups() {
        PyErr_SetString(PyExc_OverflowError, "too many distinct keys (at most 2**32 - 1 per call)");
        return nullptr;
    }

    std::vector<Owned> keys_;  // in order of first appearance; owns the keys the index borrows
    std::vector<Payload> payloads_;
    HashIndex index_;
    bool int_fast_;
};

// The elements of one group, in input order. The first is held inline, so the many one-element
// groups of a join or a near-unique key allocate nothing; a larger group grows one vector.
class Members {
public:
    void append(PyObject* item) {
        if (!first_) {
            first_ = Owned::borrow(item);
        } else {
            rest_.push_back(Owned::borrow(item));
        }
    }
    std::size_t size() const noexcept { return first_ ? 1 + rest_.size() : 0; }
    int traverse(const GcVisit& visit) const { return visit.all(first_, rest_); }

    // Calls `visit(item)` (borrowed) for each element, in input order.
    template <class Visit>
    void for_each(Visit&& visit) const {
        if (!first_) return;
        visit(first_.get());
        for (const Owned& item : rest_) visit(item.get());
    }

    // Hands each element's reference to `take(item)`, in input order, leaving the group empty.
    // Moving the references never touches the elements themselves, which may be far apart in memory.
    template <class Take>
    void release_each(Take&& take) {
        if (!first_) return;
        take(first_.release());
        for (Owned& item : rest_) take(item.release());
        rest_.clear();
    }

private:
    Owned first_;
    std::vector<Owned> rest_;
};

}  // namespace brisko
