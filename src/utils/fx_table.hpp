// Flat open-addressing tables keyed by int64 values, hashed with FxHasher: the native set behind
// unique over int64 buffers and the count map behind frequencies over them.
#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <utility>

namespace brisko {

struct FxHasher {
    static std::uint64_t hash(std::int64_t v) noexcept { return std::uint64_t(v) * 0x517cc1b727220a95ULL; }
};

// Maps int64 keys to values of type V. INT64_MIN marks free slots, so that key lives outside.
template <class V>
class FxTable {
public:
    FxTable() : slots_(make_slots(INITIAL_BITS)), capacity_(std::size_t(1) << INITIAL_BITS), shift_(64 - INITIAL_BITS) {}

    // The value slot for `key`, inserting a value-initialised one (and setting `added`) if absent.
    V& find_or_add(std::int64_t key, bool& added) {
        added = false;
        if (key == FREE) {
            if (!has_free_key_) {
                has_free_key_ = true;
                added = true;
            }
            return free_key_value_;
        }
        if ((used_ + 1) * 2 > capacity_) grow();
        const std::size_t mask = capacity_ - 1;
        std::size_t i = home(key);
        for (; slots_[i].key != FREE; i = (i + 1) & mask) {
            if (slots_[i].key == key) return slots_[i].value;
        }
        slots_[i].key = key;
        ++used_;
        added = true;
        return slots_[i].value;
    }

private:
    static constexpr std::int64_t FREE = std::numeric_limits<std::int64_t>::min();
    static constexpr unsigned INITIAL_BITS = 6;

    struct Slot {
        std::int64_t key = FREE;
        [[no_unique_address]] V value{};
    };

    static std::unique_ptr<Slot[]> make_slots(unsigned bits) { return std::unique_ptr<Slot[]>(new Slot[std::size_t(1) << bits]); }
    std::size_t home(std::int64_t key) const noexcept { return FxHasher::hash(key) >> shift_; }

    void grow() {
        // Allocated before anything changes: should it fail, the table is still whole and usable.
        std::unique_ptr<Slot[]> bigger = make_slots(65 - shift_);
        std::unique_ptr<Slot[]> old = std::exchange(slots_, std::move(bigger));
        std::size_t old_capacity = capacity_;
        capacity_ *= 2;
        shift_ -= 1;
        const std::size_t mask = capacity_ - 1;
        for (std::size_t j = 0; j < old_capacity; ++j) {
            if (old[j].key == FREE) continue;
            std::size_t i = home(old[j].key);
            while (slots_[i].key != FREE) i = (i + 1) & mask;
            slots_[i] = old[j];
        }
    }

    std::unique_ptr<Slot[]> slots_;
    std::size_t capacity_;
    unsigned shift_;
    std::size_t used_ = 0;
    bool has_free_key_ = false;
    V free_key_value_{};
};

struct NoValue {};

// The set of int64 values seen so far.
class I64Set {
public:
    // True when `v` was not yet in the set (and now is).
    bool insert(std::int64_t v) {
        bool added;
        table_.find_or_add(v, added);
        return added;
    }

private:
    FxTable<NoValue> table_;
};

}  // namespace brisko
