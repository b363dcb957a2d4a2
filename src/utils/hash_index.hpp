// HashIndex: the grouping tools' map from host hash to the Chain of distinct keys sharing that
// hash. Flat open addressing over 24-byte slots with the host's own probe sequence, whose first
// slot is the hash's low bits: dense int keys land in a dense run of slots, which keeps a large
// table cache-friendly. A Chain allocates only when two distinct keys have the same full hash.
#pragma once

#include <Python.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace brisko {

// The hash of the map's slots, applied to a host hash. Identity: the host's hashes are already
// mixed for strs and tuples, and for ints their low bits are exactly what gives locality.
struct PyHashHasher {
    static std::size_t hash(Py_hash_t h) noexcept { return static_cast<std::size_t>(h); }
};

// Distinct keys with one host hash, in order of first appearance. Keys are borrowed: the caller's
// entry table owns them, and `index` is the key's position in that table.
struct Link {
    PyObject* key;
    std::uint32_t index;
};

class HashIndex {
public:
    HashIndex();

    // The entry index of a key equal to `key`; otherwise `key` is recorded under `next`, which is
    // returned with `added` set. -1 with the exception set when an equality test fails.
    std::int64_t find_or_add(PyObject* key, Py_hash_t hash, std::uint32_t next, bool& added);
    // The entry index of a key equal to `key`, -1 when there is none, -2 with the exception set
    // when an equality test fails.
    std::int64_t find(PyObject* key, Py_hash_t hash) const;

private:
    // The first key with its hash inline; later ones, if any, in overflow_[more - 1].
    struct Chain {
        Link first;
        std::uint32_t more;
    };
    struct Slot {
        Py_hash_t hash;
        Chain chain;  // a null first key marks a free slot
    };

    std::int64_t search_overflow(Chain& chain, PyObject* key, std::uint32_t next, bool& added);
    void grow();

    std::unique_ptr<Slot[]> slots_;
    std::size_t mask_;  // capacity - 1, capacity a power of two
    std::size_t used_ = 0;
    std::vector<std::vector<Link>> overflow_;  // chains of distinct keys with equal hashes
};

}  // namespace brisko
