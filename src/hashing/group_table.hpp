// The grouping tools' native table: groups in order of first appearance, found through a
// HashIndex keyed by host hash, so that an element costs one hash and, on a hit, one equality
// test. The result dict is built once at the end, presized, while the table is taken apart chunk
// by chunk: the table and the result are never both whole in memory.
#pragma once

#include <Python.h>

#include <cstdint>

#include "../core/errors.hpp"
#include "../core/gc_visit.hpp"
#include "../core/owned.hpp"
#include "chunked_array.hpp"
#include "hash_index.hpp"
#include "py_hash.hpp"

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
        bool added;
        std::int64_t position = index_.find_or_add(key, hash, added);
        return position < 0 ? nullptr : &index_.payload(std::size_t(position));
    }

    // The position of `key`'s group: -1 when there is none, -2 with the exception set when
    // hashing or an equality test fails.
    std::int64_t position(PyObject* key) const {
        Py_hash_t hash = py_hash(key, int_fast_);
        return hash == -1 ? -2 : index_.find(key, hash);
    }

    std::size_t size() const noexcept { return index_.size(); }
    Payload& payload(std::size_t position) noexcept { return index_.payload(position); }
    int traverse(const GcVisit& visit) const { return visit(index_); }

    // The result dict: each key with `convert(payload)` (a new reference, or null on error). The
    // table is used up, whatever the outcome.
    template <class Convert>
    PyObject* to_dict(Convert convert) {
        index_.release_probing();
        Owned result = Owned::steal(PyDict_New());
        if (!result) return nullptr;
        int rc = index_.entries().drain([&](typename HashIndex<Payload>::Entry& entry) {
            Owned value = Owned::steal(convert(entry.payload));
            if (!value) return fetch_status();
            return PyDict_SetItem(result.get(), entry.key.get(), value.get());
        });
        return rc < 0 ? nullptr : result.release();
    }

private:
    HashIndex<Payload> index_;
    bool int_fast_;
};

// The elements of one group, in input order: the first one alone, and a host list once there
// are two, so that the many one-element groups of a near-unique key cost no list until the end,
// and a larger group is already the list the result will hold.
class GroupList {
public:
    GroupList() = default;
    GroupList(GroupList&& other) noexcept : bits_(std::exchange(other.bits_, 0)) {}
    GroupList& operator=(GroupList&&) = delete;
    ~GroupList() { Py_XDECREF(object()); }

    // 0, or -1 with the exception set (memory).
    int append(PyObject* item) {
        if (bits_ == 0) {
            bits_ = reinterpret_cast<std::uintptr_t>(Py_NewRef(item));
            return 0;
        }
        if (is_list()) return PyList_Append(object(), item);
        PyObject* list = PyList_New(2);
        if (!list) return -1;
        PyList_SET_ITEM(list, 0, object());  // takes over the reference to the first element
        PyList_SET_ITEM(list, 1, Py_NewRef(item));
        bits_ = reinterpret_cast<std::uintptr_t>(list) | LIST_BIT;
        return 0;
    }

    std::size_t size() const noexcept {
        if (bits_ == 0) return 0;
        return is_list() ? std::size_t(PyList_GET_SIZE(object())) : 1;
    }
    // The i-th element (borrowed), i < size().
    PyObject* operator[](std::size_t i) const noexcept {
        return is_list() ? PyList_GET_ITEM(object(), Py_ssize_t(i)) : object();
    }

    // The group as a new list (a new reference), leaving the group empty; null on error.
    PyObject* take_list() {
        if (is_list()) return reinterpret_cast<PyObject*>(std::exchange(bits_, 0) & ~LIST_BIT);
        PyObject* list = PyList_New(1);
        if (!list) return nullptr;
        PyList_SET_ITEM(list, 0, reinterpret_cast<PyObject*>(std::exchange(bits_, 0)));
        return list;
    }

    int traverse(const GcVisit& visit) const { return bits_ ? visit.visit(object(), visit.arg) : 0; }

private:
    // Objects are at least 8-byte aligned: the low bit is free to say which one `bits_` holds.
    static constexpr std::uintptr_t LIST_BIT = 1;
    bool is_list() const noexcept { return (bits_ & LIST_BIT) != 0; }
    PyObject* object() const noexcept { return reinterpret_cast<PyObject*>(bits_ & ~LIST_BIT); }

    std::uintptr_t bits_ = 0;  // 0, an element (owned), or a list (owned) | LIST_BIT
};

}  // namespace brisko
