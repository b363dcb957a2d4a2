// HashIndex: distinct host objects in first-appearance order, each with a payload, found by host
// hash. Slots are 8 bytes (a 32-bit tag of the hash and a position) over an array of (key,
// payload) entries and an array of full hashes, as the host's own compact dicts are laid out: a
// lookup that hits touches one slot and one entry, and a table costs about half of what a host
// dict of the same keys does. Probing and equality are HostTable's.
#pragma once

#include <Python.h>

#include <cstdint>
#include <limits>
#include <utility>

#include "../core/gc_visit.hpp"
#include "../core/owned.hpp"
#include "chunked_array.hpp"
#include "host_table.hpp"

namespace brisko {

struct HashIndexSlot {
    std::uint32_t tag;      // HashIndexSlot::tag_of the key's hash
    std::uint32_t ordinal;  // the key's position + 1: 0, what a fresh zero-filled block holds, is free

    static std::uint32_t tag_of(Py_hash_t hash) noexcept {
        auto h = static_cast<std::uint64_t>(hash);
        return static_cast<std::uint32_t>(h ^ (h >> 32));
    }
    static HashIndexSlot of(Py_hash_t hash, std::size_t position) noexcept {
        return HashIndexSlot{tag_of(hash), std::uint32_t(position + 1)};
    }
    std::size_t position() const noexcept { return ordinal - 1; }
};

template <class Payload>
class HashIndex : HostTable<HashIndex<Payload>, HashIndexSlot> {
    using Core = HostTable<HashIndex<Payload>, HashIndexSlot>;
    friend Core;

public:
    struct Entry {
        Owned key;
        Payload payload{};
        int traverse(const GcVisit& visit) const { return visit.all(key, payload); }
    };

    HashIndex() : Core(INITIAL_CAPACITY) {}
    HashIndex(HashIndex&& other) noexcept
        : Core(std::move(other)), hashes_(std::move(other.hashes_)), entries_(std::move(other.entries_)) {}
    ~HashIndex() { release_probing(); }

    // The position of a key equal to `key`; otherwise `key` is appended (the index takes a new
    // reference) with a value-initialised payload, and its position returned with `added` set.
    // -1 with the exception set when an equality test fails or there are already 2**32 - 2 keys.
    std::int64_t find_or_add(PyObject* key, Py_hash_t hash, bool& added) {
        added = false;
        auto [found, at] = this->locate(key, hash);
        if (found != 0) return found > 0 ? std::int64_t(this->slots_[at].position()) : -1;
        if (entries_.size() >= MAX_KEYS) return too_many_keys();
        // Every allocation comes first, so that a failure leaves the index as it was.
        hashes_.reserve_one();
        entries_.reserve_one();
        this->make_room(entries_.size(), hash, at);
        std::size_t pos = entries_.size();
        this->slots_[at] = HashIndexSlot::of(hash, pos);
        hashes_.push_back(hash);
        entries_.push_back(Entry{Owned::borrow(key)});
        added = true;
        return std::int64_t(pos);
    }

    // The position of a key equal to `key`, -1 when there is none, -2 with the exception set when
    // an equality test fails.
    std::int64_t find(PyObject* key, Py_hash_t hash) const {
        auto [found, at] = this->locate(key, hash);
        return found > 0 ? std::int64_t(this->slots_[at].position()) : found == 0 ? -1 : -2;
    }

    std::size_t size() const noexcept { return entries_.size(); }
    Payload& payload(std::size_t pos) noexcept { return entries_[pos].payload; }

    // Frees everything that finds keys, keeping only the entries: the last step before they are
    // handed over (`entries().drain`), so that the index and a result built from it are never both
    // whole in memory. The index finds nothing afterwards.
    void release_probing() noexcept {
        this->free_slots();
        hashes_.clear();
    }
    ChunkedArray<Entry>& entries() noexcept { return entries_; }

    int traverse(const GcVisit& visit) const { return visit(entries_); }

private:
    static constexpr std::size_t INITIAL_CAPACITY = 8;
    static constexpr std::size_t MAX_KEYS = std::numeric_limits<std::uint32_t>::max() - 1;

    static bool used(const HashIndexSlot& slot) noexcept { return slot.ordinal != 0; }
    static bool may_hold(const HashIndexSlot& slot, Py_hash_t hash) noexcept {
        return slot.tag == HashIndexSlot::tag_of(hash);
    }
    PyObject* key_of(const HashIndexSlot& slot) const noexcept { return entries_[slot.position()].key.get(); }
    bool full_hash_is(const HashIndexSlot& slot, Py_hash_t hash) const noexcept {
        return hashes_[slot.position()] == hash;
    }

    // Re-placed from the hashes, in position order: the old slots are never read, and are freed
    // before the new ones are touched, so that a large index never has both resident.
    void re_place(HashIndexSlot* old, std::size_t capacity) noexcept {
        Core::free_slots(old, capacity);
        for (std::size_t pos = 0; pos < hashes_.size(); ++pos) {
            Py_hash_t hash = hashes_[pos];
            this->slots_[this->free_slot(hash)] = HashIndexSlot::of(hash, pos);
        }
    }

    [[gnu::cold]] static std::int64_t too_many_keys() {
        PyErr_SetString(PyExc_OverflowError, "too many distinct keys (at most 2**32 - 2 per call)");
        return -1;
    }

    ChunkedArray<Py_hash_t> hashes_;  // the full hash of each key, by position
    ChunkedArray<Entry> entries_;     // by position: first-appearance order
};

}  // namespace brisko
