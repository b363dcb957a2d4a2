// Flat open-addressing tables keyed by int64 values, hashed with FxHasher: the native set behind
// unique over int64 buffers and the count map behind frequencies over them.
#pragma once

#include <bit>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "block_memory.hpp"

namespace brisko {

struct FxHasher {
    static std::uint64_t hash(std::int64_t v) noexcept { return std::uint64_t(v) * 0x517cc1b727220a95ULL; }
};

// Maps int64 keys to values of type V (trivial: zero bytes are its initial value). Slots live in
// zero-filled blocks, with key 0 marking a free slot and the key 0 itself kept outside: a fresh
// table needs no clearing pass, and its untouched pages cost no memory.
template <class V>
class FxTable {
    static_assert(std::is_trivially_copyable_v<V> && std::is_trivially_destructible_v<V>);

public:
    // Room for about `expected` keys before the first growth: a scan that knows its length
    // presizes and never rehashes (capped, so that a huge input does not reserve a huge table).
    explicit FxTable(std::size_t expected = 0) {
        unsigned bits = unsigned(std::bit_width(expected * 2));
        bits = bits < MIN_BITS ? MIN_BITS : bits > MAX_PRESIZE_BITS ? MAX_PRESIZE_BITS : bits;
        capacity_ = std::size_t(1) << bits;
        shift_ = 64 - bits;
        slots_ = static_cast<Slot*>(allocate_block(capacity_ * sizeof(Slot)));
    }
    FxTable(const FxTable&) = delete;
    FxTable& operator=(const FxTable&) = delete;
    FxTable(FxTable&& other) noexcept
        : slots_(std::exchange(other.slots_, nullptr)),
          capacity_(other.capacity_),
          shift_(other.shift_),
          used_(other.used_),
          has_zero_(other.has_zero_),
          zero_value_(other.zero_value_) {}
    ~FxTable() { free_block(slots_, capacity_ * sizeof(Slot)); }

    // The value slot for `key`, inserting a zero one (and setting `added`) if absent. Throws
    // std::bad_alloc, with the table unchanged, when it must grow and memory is short.
    V& find_or_add(std::int64_t key, bool& added) {
        added = false;
        if (key == 0) {
            added = !has_zero_;
            has_zero_ = true;
            return zero_value_;
        }
        if ((used_ + 1) * 2 > capacity_) grow();
        const std::size_t mask = capacity_ - 1;
        std::size_t i = home(key);
        for (; slots_[i].key != 0; i = (i + 1) & mask) {
            if (slots_[i].key == key) return slots_[i].value;
        }
        slots_[i].key = key;
        ++used_;
        added = true;
        return slots_[i].value;
    }

    // Starts loading the slot where `key` would be found: a scan that knows its next keys hides
    // the cache misses of a large table behind the work on the current one.
    void prefetch(std::int64_t key) const noexcept { __builtin_prefetch(&slots_[home(key)]); }

private:
    static constexpr unsigned MIN_BITS = 6;
    static constexpr unsigned MAX_PRESIZE_BITS = 26;

    struct Slot {
        std::int64_t key;  // 0: free
        [[no_unique_address]] V value;
    };

    std::size_t home(std::int64_t key) const noexcept { return FxHasher::hash(key) >> shift_; }

    void grow() {
        // Allocated before anything changes: should it fail, the table is still whole and usable.
        std::size_t old_capacity = capacity_;
        auto* bigger = static_cast<Slot*>(allocate_block(old_capacity * 2 * sizeof(Slot)));
        Slot* old = std::exchange(slots_, bigger);
        capacity_ = old_capacity * 2;
        shift_ -= 1;
        const std::size_t mask = capacity_ - 1;
        for (std::size_t j = 0; j < old_capacity; ++j) {
            if (old[j].key == 0) continue;
            std::size_t i = home(old[j].key);
            while (slots_[i].key != 0) i = (i + 1) & mask;
            slots_[i] = old[j];
        }
        free_block(old, old_capacity * sizeof(Slot));
    }

    Slot* slots_;
    std::size_t capacity_;
    unsigned shift_;
    std::size_t used_ = 0;
    bool has_zero_ = false;
    V zero_value_{};
};

struct NoValue {};

// The set of int64 values seen so far.
class I64Set {
public:
    explicit I64Set(std::size_t expected = 0) : table_(expected) {}

    // True when `v` was not yet in the set (and now is).
    bool insert(std::int64_t v) {
        bool added;
        table_.find_or_add(v, added);
        return added;
    }
    void prefetch(std::int64_t v) const noexcept { table_.prefetch(v); }

private:
    FxTable<NoValue> table_;
};

}  // namespace brisko
