// HashIndex: distinct host objects in first-appearance order, each with a payload, found by host
// hash. Slots are 8 bytes (a 32-bit tag of the hash and a position) over an array of (key,
// payload) entries and an array of full hashes, as the host's own compact dicts are laid out: a
// lookup that hits touches one slot and one entry, and a table costs about half of what a host
// dict of the same keys does. Keys are compared by the host's == only when their full hashes are
// equal. The probe sequence is the host's, starting at the hash's low bits, so dense int keys stay
// local.
#pragma once

#include <Python.h>

#include <cstdint>
#include <limits>
#include <utility>

#include "../core/gc_visit.hpp"
#include "../core/owned.hpp"
#include "block_memory.hpp"
#include "chunked_array.hpp"
#include "probe.hpp"
#include "py_hash.hpp"

namespace brisko {

template <class Payload>
class HashIndex {
public:
    struct Entry {
        Owned key;
        Payload payload{};
        int traverse(const GcVisit& visit) const { return visit.all(key, payload); }
    };

    HashIndex() : slots_(static_cast<Slot*>(allocate_block(INITIAL_CAPACITY * sizeof(Slot)))) {}
    HashIndex(HashIndex&& other) noexcept
        : slots_(std::exchange(other.slots_, nullptr)),
          mask_(std::exchange(other.mask_, INITIAL_CAPACITY - 1)),
          hashes_(std::move(other.hashes_)),
          entries_(std::move(other.entries_)) {}
    HashIndex& operator=(HashIndex&&) = delete;
    HashIndex(const HashIndex&) = delete;
    ~HashIndex() { release_probing(); }

    // The position of a key equal to `key`; otherwise `key` is appended (the index takes a new
    // reference) with a value-initialised payload, and its position returned with `added` set.
    // -1 with the exception set when an equality test fails or there are already 2**32 - 2 keys.
    std::int64_t find_or_add(PyObject* key, Py_hash_t hash, bool& added) {
        added = false;
        std::int64_t found = find(key, hash);
        if (found != -1) return found == -2 ? -1 : found;
        if (entries_.size() >= MAX_KEYS) return too_many_keys();
        // Every allocation comes first, so that a failure leaves the index as it was.
        hashes_.reserve_one();
        entries_.reserve_one();
        if ((entries_.size() + 1) * 3 > (mask_ + 1) * 2) grow();
        std::size_t pos = entries_.size();
        slots_[free_slot(hash)] = Slot::of(hash, pos);
        hashes_.push_back(hash);
        entries_.push_back(Entry{Owned::borrow(key)});
        added = true;
        return std::int64_t(pos);
    }

    // The position of a key equal to `key`, -1 when there is none, -2 with the exception set when
    // an equality test fails.
    std::int64_t find(PyObject* key, Py_hash_t hash) const {
        const std::uint32_t tag = hash_tag(hash);
        for (Probe probe(hash, mask_); slots_[probe.slot()].used(); probe.next()) {
            const Slot slot = slots_[probe.slot()];
            if (slot.tag != tag) continue;
            std::size_t pos = slot.position();
            PyObject* stored = entries_[pos].key.get();
            // Identity and the native comparisons need no hash check (equal keys have equal
            // hashes); the host's == runs only for keys whose full hashes are equal.
            int eq = keys_equal_native(stored, key);
            if (eq < 0) {
                if (hashes_[pos] != hash) continue;
                // Equality may run Python code; nothing it can reach holds this index.
                eq = keys_equal_slow(stored, key);
            }
            if (eq != 0) return eq > 0 ? std::int64_t(pos) : -2;
        }
        return -1;
    }

    std::size_t size() const noexcept { return entries_.size(); }
    Payload& payload(std::size_t pos) noexcept { return entries_[pos].payload; }

    // Frees everything that finds keys, keeping only the entries: the last step before they are
    // handed over (`entries().drain`), so that the index and a result built from it are never both
    // whole in memory. The index finds nothing afterwards.
    void release_probing() noexcept {
        free_block(std::exchange(slots_, nullptr), (mask_ + 1) * sizeof(Slot));
        hashes_.clear();
    }
    ChunkedArray<Entry>& entries() noexcept { return entries_; }

    int traverse(const GcVisit& visit) const { return visit(entries_); }

private:
    struct Slot {
        std::uint32_t tag;      // hash_tag of the key's hash
        std::uint32_t ordinal;  // the key's position + 1: 0, what a fresh zero-filled block holds, is free

        static Slot of(Py_hash_t hash, std::size_t position) noexcept {
            return Slot{hash_tag(hash), std::uint32_t(position + 1)};
        }
        bool used() const noexcept { return ordinal != 0; }
        std::size_t position() const noexcept { return ordinal - 1; }
    };

    static constexpr std::size_t INITIAL_CAPACITY = 8;
    static constexpr std::size_t MAX_KEYS = std::numeric_limits<std::uint32_t>::max() - 1;

    static std::uint32_t hash_tag(Py_hash_t hash) noexcept {
        auto h = static_cast<std::uint64_t>(hash);
        return static_cast<std::uint32_t>(h ^ (h >> 32));
    }

    [[gnu::cold]] static std::int64_t too_many_keys() {
        PyErr_SetString(PyExc_OverflowError, "too many distinct keys (at most 2**32 - 2 per call)");
        return -1;
    }

    // The free slot where a key with `hash` goes.
    std::size_t free_slot(Py_hash_t hash) const noexcept {
        Probe probe(hash, mask_);
        while (slots_[probe.slot()].used()) probe.next();
        return probe.slot();
    }

    void grow() {
        std::size_t capacity = (mask_ + 1) * 2;
        // Allocated before anything changes: should it fail, the index is still whole and usable.
        auto* bigger = static_cast<Slot*>(allocate_block(capacity * sizeof(Slot)));
        free_block(std::exchange(slots_, bigger), (mask_ + 1) * sizeof(Slot));
        mask_ = capacity - 1;
        // Re-placed from the hashes, in position order: the old slots need not be read at all.
        for (std::size_t pos = 0; pos < hashes_.size(); ++pos) {
            Py_hash_t hash = hashes_[pos];
            slots_[free_slot(hash)] = Slot::of(hash, pos);
        }
    }

    Slot* slots_;
    std::size_t mask_ = INITIAL_CAPACITY - 1;  // capacity - 1, capacity a power of two
    ChunkedArray<Py_hash_t> hashes_;           // the full hash of each key, by position
    ChunkedArray<Entry> entries_;              // by position: first-appearance order
};

}  // namespace brisko
