// HostTable: the open-addressing core of the tables keyed by host hash (PySeen, HashIndex): the
// host's probe sequence, growth at two thirds full, and equality decided as a host dict decides it.
// Each table lays out its own slots and keys and is reached by the core as its derived class.
#pragma once

#include <Python.h>

#include <cstddef>
#include <utility>

#include "block_memory.hpp"
#include "probe.hpp"
#include "py_hash.hpp"

namespace brisko {

// `Table` derives from HostTable<Table, Slot> and gives the core, for a slot of its layout:
//   static bool used(const Slot&)                  false for a free slot (all zero bytes)
//   static bool may_hold(const Slot&, Py_hash_t)  false when the slot's key cannot have this hash
//   PyObject* key_of(const Slot&) const            the slot's key, owned by the table
//   bool full_hash_is(const Slot&, Py_hash_t) const
//   void re_place(Slot* old, std::size_t capacity)  places every key into the grown slots (with
//                                                   free_slot) and frees the old ones
template <class Table, class Slot>
class HostTable {
public:
    HostTable(const HostTable&) = delete;
    HostTable& operator=(const HostTable&) = delete;
    HostTable& operator=(HostTable&&) = delete;

protected:
    explicit HostTable(std::size_t capacity)
        : slots_(static_cast<Slot*>(allocate_block(capacity * sizeof(Slot)))), mask_(capacity - 1) {}
    HostTable(HostTable&& other) noexcept : slots_(std::exchange(other.slots_, nullptr)), mask_(other.mask_) {}
    ~HostTable() { free_slots(); }

    // Returned as one value, not through a reference parameter: that costs the set 6-9% per element
    // (measured) over strs whose equal keys are distinct objects.
    struct Located {
        int found;  // 1: an equal key is in slot `at`; 0: `at` is the free slot `key` would take;
                    // -1: an equality test failed (the exception is set)
        std::size_t at;
    };

    // Where a key equal to `key` (of hash `hash`) is.
    Located locate(PyObject* key, Py_hash_t hash) const {
        const Table& table = static_cast<const Table&>(*this);
        Probe probe(hash, mask_);
        for (; Table::used(slots_[probe.slot()]); probe.next()) {
            const Slot& slot = slots_[probe.slot()];
            if (!Table::may_hold(slot, hash)) continue;
            PyObject* stored = table.key_of(slot);
            // Identity and the native comparisons need no hash check (equal keys have equal
            // hashes); the host's == runs only for keys whose full hashes are equal.
            int eq = keys_equal_native(stored, key);
            if (eq < 0) {
                if (!table.full_hash_is(slot, hash)) continue;
                // __eq__ may run Python code, but nothing it can reach holds this table: its owner
                // is borrowed for the whole call, and `stored` is owned by the table.
                eq = keys_equal_slow(stored, key);
            }
            if (eq != 0) return Located{eq, probe.slot()};
        }
        return Located{0, probe.slot()};
    }

    // Makes room for a key more than the `count` held, keeping `at` the free slot for `hash`.
    // Throws std::bad_alloc with the table unchanged when memory is short.
    void make_room(std::size_t count, Py_hash_t hash, std::size_t& at) {
        if ((count + 1) * 3 <= (mask_ + 1) * 2) return;
        std::size_t capacity = (mask_ + 1) * 2;
        // Allocated before anything changes: should it fail, the table is still whole and usable.
        auto* bigger = static_cast<Slot*>(allocate_block(capacity * sizeof(Slot)));
        Slot* old = std::exchange(slots_, bigger);
        std::size_t old_capacity = std::exchange(mask_, capacity - 1) + 1;
        static_cast<Table&>(*this).re_place(old, old_capacity);
        at = free_slot(hash);
    }

    // The free slot where a key with `hash` goes.
    std::size_t free_slot(Py_hash_t hash) const noexcept {
        Probe probe(hash, mask_);
        while (Table::used(slots_[probe.slot()])) probe.next();
        return probe.slot();
    }

    static void free_slots(Slot* slots, std::size_t capacity) noexcept { free_block(slots, capacity * sizeof(Slot)); }
    // Inline, so that destroying a moved-from table, or one already taken apart, calls nothing.
    void free_slots() noexcept {
        if (Slot* slots = std::exchange(slots_, nullptr)) free_slots(slots, mask_ + 1);
    }

    Slot* slots_;       // null once freed
    std::size_t mask_;  // capacity - 1, capacity a power of two
};

}  // namespace brisko
