// HashIndex: the grouping tools' map from host hash to the Chain of distinct keys sharing that
// hash. Flat open addressing keyed by PyHashHasher; a Chain allocates only when two distinct keys
// have the same full hash.
#pragma once

#include <Python.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace brisko {

struct PyHashHasher {
    static std::uint64_t hash(Py_hash_t h) noexcept { return std::uint64_t(h) * 0x9e3779b97f4a7c15ULL; }
};

// Distinct keys with one host hash, in order of first appearance. Keys are borrowed: the caller's
// entry table owns them, and `index` is the key's position in that table.
class Chain {
public:
    struct Link {
        PyObject* key;
        std::uint32_t index;
    };

    Chain() = default;
    explicit Chain(Link first) : one_(first) {}

    bool empty() const noexcept { return one_.key == nullptr; }
    // The index of an equal key (identity or host ==), -1 when none, -2 on error.
    std::int64_t find(PyObject* key) const;
    void add(Link link);

private:
    Link one_{nullptr, 0};
    std::unique_ptr<std::vector<Link>> many_;  // the keys after the first, when there are any
};

class HashIndex {
public:
    HashIndex();

    // The entry index of a key equal to `key`; otherwise `key` is recorded under `next`, which is
    // returned with `added` set. -1 with the exception set when an equality test fails.
    std::int64_t find_or_add(PyObject* key, Py_hash_t hash, std::uint32_t next, bool& added);

private:
    struct Slot {
        Py_hash_t hash;
        Chain chain;  // empty marks a free slot
    };

    std::size_t home(Py_hash_t hash) const noexcept { return PyHashHasher::hash(hash) >> shift_; }
    void grow();

    std::unique_ptr<Slot[]> slots_;
    std::size_t capacity_;  // a power of two
    unsigned shift_;        // 64 - log2(capacity)
    std::size_t used_ = 0;
};

}  // namespace brisko
